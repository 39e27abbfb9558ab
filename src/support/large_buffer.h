#pragma once
// Memory for pixel buffers and big tables. Large blocks are mapped on their
// own and asked for in 2 MiB pages where the system offers them: a picture
// of 12 megapixels otherwise costs tens of thousands of page faults, which
// on virtual machines take longer than the work done in the memory. Blocks
// come zero-filled; only the pages written are ever backed.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace kararisu {

// Zero-filled; throws std::bad_alloc.
void* allocateLarge(std::size_t bytes);
// The same in small pages, for tables written here and there: each page
// written costs only itself.
void* allocateSparse(std::size_t bytes);
void releaseLarge(void* p, std::size_t bytes) noexcept;
// Gives the memory of [p, p + bytes) back; it reads as zero again. p and
// bytes are multiples of kSmallPage within a block of allocateSparse.
inline constexpr std::size_t kSmallPage = 4096;
void discardPages(void* p, std::size_t bytes) noexcept;
// Backs [p, p + bytes) of such a block at once, which costs far less than
// meeting its pages one by one; a hint only.
void populatePages(void* p, std::size_t bytes) noexcept;

// An allocator for std::vector over allocateLarge.
template <typename T>
struct LargeAllocator {
    using value_type = T;
    LargeAllocator() = default;
    template <typename U>
    LargeAllocator(const LargeAllocator<U>&) {}
    T* allocate(std::size_t n) {
        if (n > std::size_t(-1) / sizeof(T)) throw std::bad_alloc();
        return static_cast<T*>(allocateLarge(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { releaseLarge(p, n * sizeof(T)); }
    template <typename U>
    bool operator==(const LargeAllocator<U>&) const {
        return true;
    }
};

template <typename T>
using LargeVector = std::vector<T, LargeAllocator<T>>;

// An owned block of bytes from allocateLarge.
class LargeBlock {
  public:
    LargeBlock() = default;
    explicit LargeBlock(std::size_t bytes)
        : data_(bytes ? static_cast<std::uint8_t*>(allocateLarge(bytes)) : nullptr), size_(bytes) {}
    enum class Sparse { Yes };
    LargeBlock(std::size_t bytes, Sparse)
        : data_(bytes ? static_cast<std::uint8_t*>(allocateSparse(bytes)) : nullptr),
          size_(bytes) {}
    ~LargeBlock() { releaseLarge(data_, size_); }
    LargeBlock(LargeBlock&& o) noexcept : data_(o.data_), size_(o.size_) {
        o.data_ = nullptr, o.size_ = 0;
    }
    LargeBlock& operator=(LargeBlock&& o) noexcept {
        if (this != &o) {
            releaseLarge(data_, size_);
            data_ = o.data_, size_ = o.size_;
            o.data_ = nullptr, o.size_ = 0;
        }
        return *this;
    }
    LargeBlock(const LargeBlock&) = delete;
    LargeBlock& operator=(const LargeBlock&) = delete;

    std::uint8_t* get() const { return data_; }
    std::size_t size() const { return size_; }

  private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace kararisu
