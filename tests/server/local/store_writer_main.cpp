// The second process of the concurrency tests.
//
//   local_store_writer <application file> <generations>
//     writes generation after generation: every Entity member's label becomes
//     "E<id>-gen<k>" in one transaction per generation; the test reads meanwhile and
//     must never see two generations at once.
//   local_store_writer create <home> <cluster> <members>
//     creates the application "Big" with that many Entity members; the test kills it
//     half-way and finds no application.

#include <QString>
#include <cstdio>
#include <cstdlib>

#include "server/local/cluster_store.h"
#include "server/local/sqlite_db.h"
#include "server/tarsel_error.h"

namespace {
int Create(const QString& home, const QString& cluster, int members) {
    tarsel::local::AppModel model;
    model.languages = {QStringLiteral("English")};
    auto& entity = model.dim(tarsel::Dimension::Entity);
    for (int i = 0; i < members; ++i) {
        entity.members.emplace_back().label = QStringLiteral("E%1").arg(i);
        entity.hierarchy.push_back({QString(), entity.members.back().label});
    }
    std::fprintf(stdout, "building\n");
    std::fflush(stdout);
    tarsel::local::ClusterStore::Open(home, cluster)
        .CreateApplication(QStringLiteral("Big"), model);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && QByteArray(argv[1]) == "create") {
        try {
            return Create(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                          std::atoi(argv[4]));
        } catch (const tarsel::TarselError& error) {
            std::fprintf(stderr, "%s\n", error.description().toLocal8Bit().constData());
            return 1;
        }
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: local_store_writer <application file> <generations>\n");
        return 2;
    }
    using namespace tarsel::local::sql;
    try {
        Database db(QString::fromLocal8Bit(argv[1]), OpenMode::ReadWrite);
        Statement update(db, "UPDATE members SET label = 'E' || id || '-gen' || ?1 WHERE dim = 4");
        Statement counter(db,
                          "UPDATE application SET value = value + 1 WHERE key = 'change_counter'");
        const int generations = std::atoi(argv[2]);
        for (int k = 1; k <= generations; ++k) {
            Transaction write(db, Transaction::Kind::Write);
            update.Bind(1, k).Run();
            counter.Run();
            write.Commit();
        }
    } catch (const tarsel::TarselError& error) {
        std::fprintf(stderr, "%s\n", error.description().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
