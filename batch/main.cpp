// Tarsel_Batch: runs a command file against a Tarsel application (see --help).

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "batch/bsTarsel_Batch.h"
#include "server/local/local_library.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    tarsel::batch::InstallStopHandlers();
    QTextStream out(stdout);
    QTextStream err(stderr);
    std::shared_ptr<tarsel::ClientLibrary> library;
    try {
        library = tarsel::local::CreateLocalClientLibrary();
    } catch (const std::exception& error) {
        // LOGON then reports the missing library in the log.
        err << "Tarsel_Batch: the Tarsel client library is not usable: " << error.what() << "\n";
        err.flush();
    }
    tarsel::batch::SystemClock clock;
    tarsel::batch::CurlMailTransport mail;
    tarsel::batch::SpawnProcessStarter starter;
    tarsel::batch::BatchEnvironment environment{library.get(),     clock, mail, starter,
                                                QLocale::system(), out,   err};
    return tarsel::batch::Main(app.arguments().mid(1), environment);
}
