#pragma once
// PNG files through libspng: reading every colour type and bit depth,
// interlaced or not, with its transparency; writing paletted images as
// indexed PNGs and the others as truecolour.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "support/atomic_file.h"
#include "support/large_buffer.h"
#include "support/problem.h"
#include "worklists/bitmap.h"

namespace kararisu {

// What the file said, for `info`.
struct PngFileInfo {
    int bitDepth = 0;
    int colorType = 0;  // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    bool interlaced = false;
    bool transparencyChunk = false;  // tRNS
    // Pixels whose alpha was neither 0 nor 255: held as transparent when
    // below 128 and as opaque otherwise.
    std::uint64_t partialAlpha = 0;
};

struct PngImage {
    Bitmap bitmap;
    PngFileInfo info;
};

// The eight bytes every PNG file starts with.
bool hasPngSignature(std::span<const std::uint8_t> head);

// How a decoded picture is held:
// - palette images and greys of 1, 2, 4 and 8 bits are paletted, of the
//   file's depth (2 bits widened to 4), the palette (or the grey ramp)
//   padded with black to 2, 16 or 256 entries; tRNS marks entries whose
//   alpha is below 128 transparent;
// - RGB and 16-bit grey without tRNS are 24 bits;
// - everything with alpha, or with a tRNS colour, is 32 bits with a mask of
//   the pixels whose alpha is below 128.
// 16-bit samples are rounded to 8 bits; gamma and colour chunks are not
// applied. A file that is no valid PNG gives one of the Png… problem kinds;
// one too large for memory, OutOfMemory.
Outcome<PngImage> decodePng(std::span<const std::uint8_t> bytes);
// The same from a file, read as it is decoded: no copy of the file is held.
Outcome<PngImage> readPngFile(const std::string& path);
// From a pipe or any descriptor (standard input), read no further than the
// file's end chunk; `already` holds its first bytes (up to the eight of the
// signature) when they were read from fd before.
Outcome<PngImage> readPngStream(int fd, std::span<const std::uint8_t> already = {});

// How the encoder compresses: libspng's filter choice (SPNG_FILTER_CHOICE_*
// bits; 0 for the program's own choice by pixel format) and zlib's level
// and strategy.
struct PngCompression {
    int filters = 0;
    // Level 6: on a 12-megapixel photo at 256 colours, level 9 saves 3.6 %
    // of the file at four times the time (bench/png_size.sh).
    int level = 6;
    int strategy = -1;  // -1: the program's own choice
};

// The file bytes: paletted bitmaps as indexed PNG of the same depth with
// the whole palette (so the file reads back to the same indices, palette
// and depth) and a tRNS chunk up to the last transparent entry (alpha 0);
// others as 8-bit RGB, or RGBA when they carry a mask. A picture without
// pixels cannot be written (PngCannotWrite). Throws std::bad_alloc when
// memory is refused.
Outcome<LargeVector<std::uint8_t>> encodePng(const Bitmap& bitmap, const PngCompression& how = {});
// Writes atomically (see writeFileAtomically): replacing, or only where the
// name is free.
Outcome<void> savePng(const Bitmap& bitmap, const std::string& path,
                      WriteMode mode = WriteMode::Replace);

}  // namespace kararisu
