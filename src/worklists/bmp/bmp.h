#pragma once
// BMP files: reading every header and compression real files use, and
// writing in the bitmap's own pixel format.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

#include "worklists/bitmap.h"

namespace kararisu {

// Why a file is not a valid bitmap. The text for people comes with the value.
enum class BmpProblem {
    None,
    CannotOpen,  // the file could not be opened or read at all
    Truncated,
    BadSignature,
    BadHeaderSize,
    BadPlanes,
    BadBitCount,
    UnsupportedCompression,
    EmbeddedImage,  // JPEG or PNG inside a BMP
    BadDimensions,
    TooLarge,
    BadPaletteSize,
    BadBitFields,
    BadPixelOffset,
    BadRle,
};

// What the file said, for `info`.
struct BmpFileInfo {
    std::uint32_t headerSize = 0;
    int fileBitCount = 0;
    std::uint32_t compression = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;  // as stored; negative means top-down
    bool topDown = false;
};

struct BmpReadResult {
    Bitmap bitmap;
    BmpFileInfo info;
    BmpProblem problem = BmpProblem::None;
    std::string reason;  // a sentence a person can act on; empty when ok
    bool ok() const { return problem == BmpProblem::None; }
};

BmpReadResult decodeBmp(std::span<const std::uint8_t> bytes);
BmpReadResult readBmpFile(const std::string& path);

// The two failures of loading, told apart.
class CannotOpenError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
class InvalidBitmapError : public std::runtime_error {
  public:
    InvalidBitmapError(BmpProblem problem, const std::string& what)
        : std::runtime_error(what), problem_(problem) {}
    BmpProblem problem() const { return problem_; }

  private:
    BmpProblem problem_;
};
class SaveError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Throws CannotOpenError or InvalidBitmapError.
Bitmap loadBmp(const std::string& path);

// The file bytes of a bitmap: bottom-up, colour table for 1, 4 and 8 bits,
// bit fields for 5-6-5.
std::vector<std::uint8_t> encodeBmp(const Bitmap& bitmap);
// Writes atomically (temporary file in the same folder, renamed over the
// target when complete); throws SaveError with the system's reason.
void saveBmp(const Bitmap& bitmap, const std::string& path);

}  // namespace kararisu
