// Writes generation after generation into an application file: every Entity member's
// description becomes "gen <k>" in one transaction per generation. The concurrency test
// reads the file meanwhile and must never see two generations at once.
//
//   local_store_writer <application file> <generations>

#include <QString>
#include <cstdio>
#include <cstdlib>

#include "server/local/sqlite_db.h"
#include "server/tarsel_error.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: local_store_writer <application file> <generations>\n");
        return 2;
    }
    using namespace tarsel::local::sql;
    try {
        Database db(QString::fromLocal8Bit(argv[1]), OpenMode::ReadWrite);
        Statement update(db, "UPDATE members SET descriptions = ?1 WHERE dim = 4");
        Statement counter(db,
                          "UPDATE application SET value = value + 1 WHERE key = 'change_counter'");
        const int generations = std::atoi(argv[2]);
        for (int k = 1; k <= generations; ++k) {
            Transaction write(db, Transaction::Kind::Write);
            const QString text = QStringLiteral("gen %1").arg(k);
            update.Bind(1, text).Run();
            counter.Run();
            write.Commit();
        }
    } catch (const tarsel::TarselError& error) {
        std::fprintf(stderr, "%s\n", error.description().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
