// Depth-first walk of a dimension through the client-library interface, as the metadata
// viewer walks it: per occurrence EnumChildMemberIDs, GetMemberLabel, GetMemberDescription.

#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <vector>

#include "bench/bench_logon.h"
#include "server/local/local_library.h"

namespace {

struct Walk {
    int64_t occurrences = 0;
    int64_t checksum = 0;
};

// Explicit stack: a 1,000,000-member chain must not overflow the call stack.
Walk DepthFirst(tarsel::DimensionTree& tree, QFile* pairs) {
    Walk walk;
    struct Frame {
        tarsel::MemberId parent;
        tarsel::IdArray children;
        size_t next = 0;
    };
    std::vector<Frame> stack;
    stack.push_back({tarsel::kNoMember, tree.EnumChildMemberIDs(-1, tarsel::kNoMember)});
    QString parentLabel;
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.children.size()) {
            stack.pop_back();
            continue;
        }
        const tarsel::MemberId id = top.children[top.next++];
        const tarsel::MemberId parent = top.parent;
        const QString label = tree.GetMemberLabel(id);
        const QString description = tree.GetMemberDescription(id, 0);
        ++walk.occurrences;
        walk.checksum += label.size() + description.size();
        if (pairs) {
            pairs->write((tree.GetMemberLabel(parent) + u',' + label + u'\n').toUtf8());
        }
        stack.push_back({id, tree.EnumChildMemberIDs(-1, id)});
    }
    return walk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: store_walk_bench HOME CLUSTER APPLICATION USER [PAIRS.csv]\n"
                     "The password is taken from TARSEL_PASSWORD.\n");
        return 2;
    }
    try {
        const QString home = QString::fromLocal8Bit(argv[1]);
        const auto library = tarsel::local::CreateLocalClientLibrary({}, home);
        QElapsedTimer timer;
        timer.start();
        auto tree = OpenForBench(*library, QString::fromLocal8Bit(argv[2]),
                                 QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]))
                        ->Metadata()
                        ->Entity();
        const double openSeconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;

        timer.restart();
        const Walk first = DepthFirst(*tree, nullptr);
        const double firstSeconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        timer.restart();
        const Walk second = DepthFirst(*tree, nullptr);
        const double secondSeconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        if (argc > 5) {  // the order of the walk, for comparison; not timed
            QFile pairs(QString::fromLocal8Bit(argv[5]));
            if (!pairs.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                std::fprintf(stderr, "cannot write %s\n", argv[5]);
                return 1;
            }
            DepthFirst(*tree, &pairs);
        }
        const double perMillion =
            1e6 / static_cast<double>(std::max<int64_t>(first.occurrences, 1));
        std::printf("open_seconds=%.3f\n", openSeconds);
        std::printf("occurrences=%lld checksum=%lld\n", static_cast<long long>(first.occurrences),
                    static_cast<long long>(first.checksum));
        std::printf("first_walk_seconds=%.3f per_million=%.3f\n", firstSeconds,
                    firstSeconds * perMillion);
        std::printf("second_walk_seconds=%.3f per_million=%.3f\n", secondSeconds,
                    secondSeconds * perMillion);
        return first.checksum == second.checksum ? 0 : 1;
    } catch (const tarsel::TarselError& e) {
        std::fprintf(stderr, "store_walk_bench: %s\n", e.description().toUtf8().constData());
        return 1;
    }
}
