#include "server/local/huge_pages.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <new>

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

LargeBlock::~LargeBlock() {
    if (data_) {
        ::munmap(data_, capacity_);
    }
}

void LargeBlock::Reserve(size_t bytes) {
    if (bytes <= capacity_) {
        return;
    }
    constexpr size_t kPage = size_t{4} << 10;
    const size_t capacity =
        (std::max({bytes, 2 * capacity_, size_t{1} << 20}) + kPage - 1) & ~(kPage - 1);
    void* grown = data_ ? ::mremap(data_, capacity_, capacity, MREMAP_MAYMOVE)
                        : ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE,
                                 MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (grown == MAP_FAILED) {
        throw std::bad_alloc();
    }
    data_ = static_cast<char*>(grown);
    capacity_ = capacity;
    // The whole mapping, not only its whole huge pages: advice on a part would split it
    // in two mappings, which mremap then refuses to grow as one.
    (void)::madvise(data_, capacity_, MADV_HUGEPAGE);
}

}  // namespace tarsel::local
