#pragma once
// Large buffers backed by huge pages where the kernel offers them. A buffer of a million
// members touched page by page costs tens of thousands of page faults, each dear on a
// virtual machine; in 2 MiB pages it costs a few dozen. Only advice: where the kernel does
// not take it, nothing changes.

#include <cstddef>
#include <vector>

namespace tarsel::local {

// Advises huge pages for the whole 2 MiB pages inside [data, data + bytes). Worth calling
// only before the memory is first written.
void AdviseHugePages(const void* data, size_t bytes);

// A block of memory of its own mapping, grown by remapping it: a large block never moves
// by copying, and is backed by huge pages where the kernel offers them.
class LargeBlock {
  public:
    LargeBlock() = default;
    ~LargeBlock();
    LargeBlock(const LargeBlock&) = delete;
    LargeBlock& operator=(const LargeBlock&) = delete;

    // At least bytes of room, what was there kept; throws std::bad_alloc when refused.
    void Reserve(size_t bytes);
    char* data() const { return data_; }
    size_t capacity() const { return capacity_; }

  private:
    char* data_ = nullptr;
    size_t capacity_ = 0;
};

// v.reserve(count), the new room advised as above.
template <typename T>
void ReserveLarge(std::vector<T>& v, size_t count) {
    if (count > v.capacity()) {
        v.reserve(count);
        AdviseHugePages(v.data(), v.capacity() * sizeof(T));
    }
}

}  // namespace tarsel::local
