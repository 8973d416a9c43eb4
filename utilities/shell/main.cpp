// TarselUtilities: the interactive program. Chooses the client-library implementation
// (the local Tarsel server with its Qt logon dialogs) and the tool windows, then runs the
// start-up of modGlobal.

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>

#include "server/local/local_library.h"
#include "server/local/prompt/logon_prompt.h"
#include "utilities/appinfo/frmApplicationInfo.h"
#include "utilities/extract/frmExtract.h"
#include "utilities/listbuilder/frmMemberListBuilder.h"
#include "utilities/shell/frmMain.h"
#include "utilities/shell/modGlobal.h"
#include "utilities/shell/program_identity.h"
#include "utilities/shell/services.h"
#include "utilities/shell/window_lifetime.h"
#include "utilities/viewer/frmMetadataViewer.h"

namespace {

struct Options {
    tarsel::local::LogonDefaults logon;
    QString screenshot;
};

Options ReadOptions(const QApplication& application) {
    QCommandLineParser parser;
    parser.setApplicationDescription(modGlobal::ProgramDescription());
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption cluster(
        QStringLiteral("cluster"), QStringLiteral("Cluster to log on to."), QStringLiteral("name"));
    const QCommandLineOption applicationName(QStringLiteral("application"),
                                             QStringLiteral("Application to open."),
                                             QStringLiteral("name"));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("User to log on as."),
                                  QStringLiteral("name"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the main window to file once it is shown, then exit."),
        QStringLiteral("file"));
    parser.addOptions({cluster, applicationName, user, screenshot});
    parser.process(application);
    Options options;
    options.logon.cluster = parser.value(cluster);
    options.logon.application = parser.value(applicationName);
    options.logon.user = parser.value(user);
    options.screenshot = parser.value(screenshot);
    return options;
}

// The tool windows of the program: one row each.
ui::ToolWindowFactories ToolWindows() {
    return {
        {ui::ToolWindowKind::MetadataViewer, &viewer::MakeWindow},
        {ui::ToolWindowKind::ApplicationInfo, &appinfo::MakeApplicationInfoWindow},
        {ui::ToolWindowKind::MemberListBuilder, &listbuilder::MakeMemberListBuilderWindow},
        {ui::ToolWindowKind::ExtractMetadata, &extract::MakeExtractWindow},
    };
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    modGlobal::SetProgramIdentity();
    const Options options = ReadOptions(application);

    ui::ShellServices services;
    // The one place the client-library implementation is chosen.
    services.library = tarsel::local::CreateLocalClientLibrary(
        tarsel::local::CreateQtLogonPromptFactory(tarsel::local::WithOptions(
            tarsel::local::LogonDefaultsFromEnvironment(), options.logon)));
    services.toolWindows = ToolWindows();

    const std::unique_ptr<frmMain> window = modGlobal::Main(services);
    if (!window) {
        return 1;
    }
    if (!options.screenshot.isEmpty()) {
        // Late enough for the window to be laid out and painted.
        QTimer::singleShot(1000, window.get(), [&window, file = options.screenshot] {
            const bool saved = window->grab().save(file);
            if (!saved) {
                std::fprintf(stderr, "Could not save the screenshot to %s\n", qPrintable(file));
            }
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    ui::QuitWhenNoWindowIsVisible(application);
    return QApplication::exec();
}
