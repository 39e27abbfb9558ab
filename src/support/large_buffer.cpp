#include "support/large_buffer.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace kararisu {

namespace {

constexpr std::size_t kHuge = std::size_t{2} << 20;
constexpr std::size_t kMapped = std::size_t{1} << 20;  // smaller blocks come from the heap

std::size_t mappedSize(std::size_t bytes) {
    return (bytes + kHuge - 1) / kHuge * kHuge;
}

}  // namespace

namespace {

// Small blocks come from the heap; larger ones are mapped, in huge pages or
// small ones.
void* allocate(std::size_t bytes, bool hugePages) {
    if (bytes < kMapped) {
        void* p = std::calloc(bytes ? bytes : 1, 1);
        if (p == nullptr) throw std::bad_alloc();
        return p;
    }
    if (bytes > std::size_t(-1) - 2 * kHuge) throw std::bad_alloc();
    const std::size_t size = mappedSize(bytes);
    if (!hugePages) {
        void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        ::madvise(p, size, MADV_NOHUGEPAGE);  // a hint; fine if refused
        return p;
    }
    // Map one huge page more than needed and trim, so the block starts on a
    // huge-page boundary.
    void* raw =
        ::mmap(nullptr, size + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kHuge - 1) / kHuge * kHuge;
    if (aligned > start) ::munmap(raw, aligned - start);
    const std::uintptr_t end = start + size + kHuge;
    if (end > aligned + size)
        ::munmap(reinterpret_cast<void*>(aligned + size), end - aligned - size);
    ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);  // a hint; fine if refused
    return reinterpret_cast<void*>(aligned);
}

}  // namespace

void* allocateLarge(std::size_t bytes) {
    return allocate(bytes, true);
}

void* allocateSparse(std::size_t bytes) {
    return allocate(bytes, false);
}

void discardPages(void* p, std::size_t bytes) noexcept {
    if (bytes == 0) return;
    // Blocks below kMapped live on the heap: cleared instead.
    if (bytes < kMapped || ::madvise(p, bytes, MADV_DONTNEED) != 0) std::memset(p, 0, bytes);
}

void populatePages(void* p, std::size_t bytes) noexcept {
#ifdef MADV_POPULATE_WRITE
    if (bytes >= kSmallPage) ::madvise(p, bytes, MADV_POPULATE_WRITE);  // fine if refused
#else
    (void)p, (void)bytes;
#endif
}

void releaseLarge(void* p, std::size_t bytes) noexcept {
    if (p == nullptr) return;
    if (bytes < kMapped) {
        std::free(p);
        return;
    }
    ::munmap(p, mappedSize(bytes));
}

}  // namespace kararisu
