#include "server/local/huge_pages.h"

#include <sys/mman.h>

#include <cstdint>

namespace tarsel::local {

void AdviseHugePages(const void* data, size_t bytes) {
    constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
    const auto start = reinterpret_cast<uintptr_t>(data);
    const uintptr_t begin = (start + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = (start + bytes) & ~(kHugePage - 1);
    if (data && end > begin) {
        // A refusal (no such kernel support) leaves ordinary pages, which serve as well.
        (void)::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    }
}

}  // namespace tarsel::local
