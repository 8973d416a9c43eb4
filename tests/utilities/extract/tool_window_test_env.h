#pragma once
// What the tests of the builder and extract windows share: a local server whose session
// fills the shared state as the main window would (through a fault plan when a test makes
// calls fail), scripted message boxes, and saving through the real save-file window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "tests/support/fault_injection.h"
#include "tests/support/local_server.h"
#include "utilities/shell/folder_tree.h"
#include "utilities/shell/frmDrvDirFil.h"
#include "utilities/shell/message_box.h"
#include "utilities/shell/modGlobal.h"

namespace tooltest {

class ToolWindowTest : public tarsel::test::LocalServerTest {
  protected:
    void SetUp() override {
        modGlobal::ResetSessionState();
        ui::InstallMessageBoxes(boxes);
        ASSERT_TRUE(folder.isValid());
    }
    void TearDown() override {
        ui::InstallMessageBoxes(nullptr);
        modGlobal::ResetSessionState();
        LocalServerTest::TearDown();
    }

    // Logs on to a server made from model and chooses dimension, as the main window does;
    // with a plan, every call of the session goes through it.
    void Start(const tarsel::local::AppModel& model, tarsel::Dimension dimension,
               std::shared_ptr<tarsel::test::FaultPlan> plan = nullptr) {
        auto& server = StartServer(model);
        modGlobal::gSession =
            plan ? tarsel::test::WithFaults(server.Session(), plan) : server.Session();
        modGlobal::gMetadata = modGlobal::gSession->Metadata();
        modGlobal::gApplicationName = QStringLiteral("TestApp");
        Choose(dimension);
    }
    static void Choose(tarsel::Dimension dimension) {
        modGlobal::gDimension =
            modGlobal::gMetadata->GetDimensionByIndex(static_cast<int>(dimension));
        modGlobal::gDimensionName = tarsel::DimensionUpperName(dimension);
    }

    // Presses saveButton and, in the save-file window it opens, saves as name in the test's
    // folder. Returns the bytes of the file afterwards.
    QByteArray SaveThroughWindow(QWidget& window, QPushButton* saveButton, const QString& name) {
        bool seen = false;
        // Looks for the save-file window while the button's click runs its modal loop; the
        // timer goes with this call, so nothing fires once it has returned.
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = window.findChild<frmDrvDirFil*>();
            if (seen || dialog == nullptr || !dialog->isVisible()) {
                return;
            }
            seen = true;
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Tarsel Utilities - Save File..."));
            dialog->findChild<FolderTree*>(QStringLiteral("Dirbox"))->SetPath(folder.path());
            dialog->findChild<QLineEdit*>(QStringLiteral("txtFileName"))->setText(name);
            dialog->findChild<QPushButton*>(QStringLiteral("cmdSave"))->click();
            if (dialog->isVisible()) {  // a declined prompt keeps it open
                dialog->reject();
            }
        });
        poll.start();
        saveButton->click();
        poll.stop();
        EXPECT_TRUE(seen);
        QFile file(folder.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // The control of window with that object name; a test failure when there is none.
    template <typename T>
    static T* Get(QWidget& window, const char* name) {
        T* child = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    QStringList Titles() const {
        QStringList titles;
        for (const auto& box : boxes->shown()) {
            titles << box.title;
        }
        return titles;
    }

    std::shared_ptr<ui::ScriptedMessageBoxes> boxes = std::make_shared<ui::ScriptedMessageBoxes>();
    QTemporaryDir folder;
};

// main() of a window test program: an offscreen application around the tests.
inline int RunOffscreenTests(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

}  // namespace tooltest
