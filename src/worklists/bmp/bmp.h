#pragma once
// BMP files: reading every header and compression real files use, and
// writing in the bitmap's own pixel format.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "support/atomic_file.h"
#include "support/problem.h"
#include "worklists/bitmap.h"

namespace kararisu {

// The file header, then one of the bitmap headers, told apart by their size.
inline constexpr std::uint32_t kBmpFileHeaderSize = 14;
inline constexpr std::uint32_t kBmpCoreHeaderSize = 12;      // OS/2 1.x
inline constexpr std::uint32_t kBmpOs2ShortHeaderSize = 16;  // OS/2 2.x, cut after the bit count
inline constexpr std::uint32_t kBmpInfoHeaderSize = 40;
inline constexpr std::uint32_t kBmpV2HeaderSize = 52;   // with the colour masks
inline constexpr std::uint32_t kBmpV3HeaderSize = 56;   // and the alpha mask
inline constexpr std::uint32_t kBmpOs2HeaderSize = 64;  // OS/2 2.x
inline constexpr std::uint32_t kBmpV4HeaderSize = 108;
inline constexpr std::uint32_t kBmpV5HeaderSize = 124;

// The compressions of the info header.
inline constexpr std::uint32_t kBmpUncompressed = 0;
inline constexpr std::uint32_t kBmpRle8 = 1;
inline constexpr std::uint32_t kBmpRle4 = 2;
inline constexpr std::uint32_t kBmpBitFields = 3;
inline constexpr std::uint32_t kBmpJpeg = 4;
inline constexpr std::uint32_t kBmpPng = 5;
inline constexpr std::uint32_t kBmpAlphaBitFields = 6;

// A compression's name as the format's documents write it ("BITFIELDS",
// "unknown" for codes beyond them), and as the batch tool describes it
// ("bit fields", "other").
const char* bmpCompressionName(std::uint32_t compression);
const char* bmpCompressionDescription(std::uint32_t compression);

// What the file said, for `info`.
struct BmpFileInfo {
    std::uint32_t headerSize = 0;
    int fileBitCount = 0;
    std::uint32_t compression = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;  // as stored; negative means top-down
    bool topDown = false;
    // A 32-bit file whose bit fields declare an alpha channel: pixels whose
    // alpha is below 128 are transparent (unless every alpha is 0, as
    // writers that fill the channel with nothing leave it), and this many
    // had an alpha neither 0 nor 255.
    std::uint64_t partialAlpha = 0;
};

struct BmpImage {
    Bitmap bitmap;
    BmpFileInfo info;
};

// A file that is no valid bitmap gives one of the Bmp… problem kinds; a file
// that cannot be read at all one of the file kinds; a picture too large for
// the memory there is, OutOfMemory.
Outcome<BmpImage> decodeBmp(std::span<const std::uint8_t> bytes);
Outcome<BmpImage> readBmpFile(const std::string& path);
// From a pipe or any descriptor without a size (standard input): no more is
// read than the headers say the picture can use, within the size limits.
// `already` holds the first bytes when they were read from fd before.
Outcome<BmpImage> readBmpStream(int fd, std::span<const std::uint8_t> already = {});
Outcome<Bitmap> loadBmp(const std::string& path);

// The file bytes of a bitmap: bottom-up, colour table for 1, 4 and 8 bits,
// bit fields for 5-6-5.
std::vector<std::uint8_t> encodeBmp(const Bitmap& bitmap);
// The same bytes handed to `send` in order, a row at a time straight from
// the picture, so that no copy of the file is built.
void streamBmp(const Bitmap& bitmap,
               const std::function<void(std::span<const std::uint8_t>)>& send);
// Writes atomically (see writeFileAtomically): replacing, or only where the
// name is free.
Outcome<void> saveBmp(const Bitmap& bitmap, const std::string& path,
                      WriteMode mode = WriteMode::Replace);

}  // namespace kararisu
