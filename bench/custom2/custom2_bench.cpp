// The Custom2 rewrite of DEFAULT_CUSTOM2 on one file, timed: what run.sh compares with cat
// and mawk. The process holds the rewrite alone, as Tarsel_Batch runs it inside a process
// that has started already.
//   custom2_bench INPUT OUTPUT VALUE

#include <chrono>
#include <cstdio>
#include <cstring>

#include "batch/custom2_bytes.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: custom2_bench INPUT OUTPUT VALUE\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    try {
        const auto counts = tarsel::batch::RewriteCustom2Bytes(argv[1], argv[2], argv[3]);
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        std::printf("seconds=%.3f records=%lld dropped=%lld\n", seconds.count(),
                    static_cast<long long>(counts.records), static_cast<long long>(counts.dropped));
    } catch (const tarsel::batch::Custom2Failure& failure) {
        std::fprintf(stderr, "custom2_bench: failed (step %d): %s\n",
                     static_cast<int>(failure.kind), std::strerror(failure.error));
        return 1;
    }
    return 0;
}
