// The Custom2 rewrite of DEFAULT_CUSTOM2 on one file, timed: what run.sh compares with cat
// and mawk.
//   custom2_bench INPUT OUTPUT VALUE

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "batch/custom2_rewrite.h"
#include "server/tarsel_error.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: custom2_bench INPUT OUTPUT VALUE\n");
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    try {
        const auto counts = tarsel::batch::RewriteCustom2(
            QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]),
            QStringLiteral("DefaultCustom2"));
        std::printf("seconds=%.3f records=%lld dropped=%lld\n", timer.nsecsElapsed() / 1e9,
                    static_cast<long long>(counts.records), static_cast<long long>(counts.dropped));
    } catch (const tarsel::TarselError& error) {
        std::fprintf(stderr, "custom2_bench: %s\n", error.description().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
