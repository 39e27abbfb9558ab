#pragma once
// The BMP reader's first step: what the headers, masks and colour table say
// about the pixels, every size checked against the file before anything is
// allocated.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "support/problem.h"
#include "worklists/bitmap.h"
#include "worklists/bmp/bmp.h"

namespace kararisu {

// Little-endian fields.
inline std::uint32_t le16(const std::uint8_t* p) {
    return p[0] | (p[1] << 8);
}
inline std::uint32_t le32(const std::uint8_t* p) {
    return le16(p) | (le16(p + 2) << 16);
}

// A file whose length is not known yet (a pipe): the checks that need it
// happen as its bytes arrive.
inline constexpr std::uint64_t kUnknownFileSize = std::numeric_limits<std::uint64_t>::max();

// Enough for the file header, the largest info header and its masks.
inline constexpr std::size_t kBmpHeadBytes = kBmpFileHeaderSize + kBmpV5HeaderSize + 16;
// And the largest colour table after them.
inline constexpr std::size_t kBmpPrefixBytes = kBmpHeadBytes + 4 * 256;

// One channel's bit run in a pixel of 16 or 32 bits.
struct BmpMask {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit BmpMask(std::uint32_t m) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1)) ++shift;
        while (bits + shift < 32 && ((m >> (shift + bits)) & 1)) ++bits;
    }
    bool contiguous() const {
        return !mask || (mask >> shift) == ((bits >= 32) ? ~0u : ((1u << bits) - 1));
    }
    // The channel scaled to 8 bits.
    std::uint8_t extract(std::uint32_t v) const {
        if (!mask) return 0;
        const std::uint32_t x = (v & mask) >> shift;
        if (bits >= 8) return std::uint8_t(x >> (bits - 8));
        const std::uint32_t max = (1u << bits) - 1;
        return std::uint8_t((x * 255 + max / 2) / max);
    }
};

struct BmpLayout {
    BmpFileInfo info;
    unsigned bits = 0;
    std::uint32_t offBits = 0;
    int width = 0, rows = 0;
    bool rle = false;
    std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    std::vector<Rgb> table;
    std::uint64_t pixelsAt = 0;
    PixelFormat format = PixelFormat::Bpp32;

    // Bytes of one stored row of an uncompressed file.
    std::size_t fileStride() const { return (std::size_t(width) * bits + 31) / 32 * 4; }
    // A 32-bit file whose masks declare an alpha channel.
    bool alphaDeclared() const;
    bool standardMasks() const;
};

// Reads the headers from the first bytes of a file of `size` bytes (or
// kUnknownFileSize), which hold at least min(size, kBmpPrefixBytes) bytes or
// everything bmpBytesWanted allows. A pixel offset beyond the end of a file
// of unknown size is found when the pixels are read.
Outcome<BmpLayout> readBmpLayout(std::span<const std::uint8_t> head, std::uint64_t size);

// How many bytes of a file the decoder can use, judged from its first bytes
// (at least kBmpHeadBytes of them, or the whole file).
std::uint64_t bmpBytesWanted(std::span<const std::uint8_t> head);

}  // namespace kararisu
