// Every window's title bar reads exactly its caption: the program sets no display name for
// Qt to append, and each window and message box carries its own title.

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "utilities/shell/frmAbout.h"
#include "utilities/shell/frmDrvDirFil.h"
#include "utilities/shell/frmMain.h"
#include "utilities/shell/frmSplash.h"
#include "utilities/shell/message_box.h"
#include "utilities/shell/program_identity.h"
#include "utilities/shell/services.h"

namespace {

// The title a real message box shows for a request.
QString RealBoxTitle(const QString& title) {
    ui::InstallMessageBoxes(nullptr);
    QString seen;
    QTimer::singleShot(0, [&seen] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen = box->windowTitle();
            box->button(QMessageBox::Ok)->click();
        }
    });
    ui::ShowMessage(nullptr, QStringLiteral("Text"), title);
    return seen;
}

TEST(ShellWindowTitles, EveryWindowShowsItsCaptionAlone) {
    modGlobal::SetProgramIdentity();
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("TarselUtilities"));
    EXPECT_EQ(QCoreApplication::applicationVersion(), QStringLiteral("11.1.2"));
    // An explicitly set display name would stay put; an unset one follows the name, and
    // only a set one is appended to window titles.
    QCoreApplication::setApplicationName(QStringLiteral("Probe"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("Probe"));
    modGlobal::SetProgramIdentity();

    ui::ShellServices services;
    frmMain main(services);
    EXPECT_EQ(main.windowTitle(), QStringLiteral("Tarsel Utilities"));
    EXPECT_EQ(frmSplash(services.clock).windowTitle(), QStringLiteral("Tarsel Utilities"));
    EXPECT_EQ(frmAbout(&main).windowTitle(), QStringLiteral("About TarselUtilities"));
    EXPECT_EQ(frmDrvDirFil(&main).windowTitle(), QStringLiteral("Tarsel Utilities - Save File..."));
    for (auto [kind, caption] :
         {std::pair{ui::ToolWindowKind::MetadataViewer, "Tarsel Utilities - Metadata Viewer"},
          {ui::ToolWindowKind::ApplicationInfo, "Tarsel Utilities - Application Information"},
          {ui::ToolWindowKind::ExtractMetadata, "Tarsel Utilities - Extracts"},
          {ui::ToolWindowKind::MemberListBuilder, "Tarsel Utilities - Member List Builder"}}) {
        std::unique_ptr<QWidget> standIn(ui::ToolWindowFactoryFor({}, kind)(nullptr, services));
        EXPECT_EQ(standIn->windowTitle(), QString::fromLatin1(caption));
    }

    EXPECT_EQ(RealBoxTitle(QString()), QStringLiteral("Tarsel Utilities"));
    EXPECT_EQ(RealBoxTitle(QStringLiteral("Print Attributes")), QStringLiteral("Print Attributes"));
}

}  // namespace
