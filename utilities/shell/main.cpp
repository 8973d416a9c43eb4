// TarselUtilities: the interactive program. Chooses the client-library implementation
// (the local Tarsel server with its Qt logon dialogs) and the tool windows, then runs the
// start-up of modGlobal.

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>

#include "server/client_library.h"
#include "server/local/local_library.h"
#include "server/local/prompt/logon_prompt.h"
#include "utilities/shell/frmMain.h"
#include "utilities/shell/modGlobal.h"
#include "utilities/shell/program_identity.h"
#include "utilities/shell/tool_windows.h"
#include "utilities/shell/window_lifetime.h"

#ifdef TARSEL_HAVE_VIEWER
#include "utilities/viewer/frmMetadataViewer.h"
#endif

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

void RegisterToolWindows() {
#ifdef TARSEL_HAVE_VIEWER
    ui::RegisterToolWindowFactory(
        ui::ToolWindowKind::MetadataViewer,
        [](QWidget* owner) -> QWidget* { return new frmMetadataViewer(owner); });
#endif
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TarselUtilities"));
    QApplication::setApplicationDisplayName(modGlobal::ProgramTitle());
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(modGlobal::kProgramMajor)
                                            .arg(modGlobal::kProgramMinor)
                                            .arg(modGlobal::kProgramRevision));
    const Options options = ReadOptions(application);

    // The one place the client-library implementation is chosen.
    tarsel::InstallClientLibrary(tarsel::local::CreateLocalClientLibrary(
        tarsel::local::CreateQtLogonPromptFactory(tarsel::local::WithOptions(
            tarsel::local::LogonDefaultsFromEnvironment(), options.logon))));
    RegisterToolWindows();

    const std::unique_ptr<frmMain> window = modGlobal::Main();
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
