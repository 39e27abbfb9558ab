// The BMP reader. Every size is checked against the file before anything is
// allocated; RLE streams are decoded with every write bounds-checked.
//
// Decoding choices: 2-bit images become 4-bit with the same palette; bit
// fields other than 5-5-5, 5-6-5 and 8-8-8 become 32 bits; a pixel whose
// index lies beyond the colour table keeps its index and reads as black;
// pixels an RLE stream skips (deltas, early end of line or of bitmap) are
// index 0, but a stream cut before its end is refused.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "support/files.h"
#include "worklists/bmp/bmp.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kararisu {

namespace {

std::uint32_t get16(const std::uint8_t* p) {
    return p[0] | (p[1] << 8);
}
std::uint32_t get32(const std::uint8_t* p) {
    return get16(p) | (get16(p + 2) << 16);
}

Problem fail(ProblemKind kind, std::string why) {
    return {kind, std::move(why)};
}

const char* compressionName(std::uint32_t c) {
    switch (c) {
        case 0:
            return "RGB";
        case 1:
            return "RLE8";
        case 2:
            return "RLE4";
        case 3:
            return "BITFIELDS";
        case 4:
            return "JPEG";
        case 5:
            return "PNG";
        case 6:
            return "ALPHABITFIELDS";
        default:
            return "unknown";
    }
}

struct Mask {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit Mask(std::uint32_t m = 0) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1)) ++shift;
        while (bits + shift < 32 && ((m >> (shift + bits)) & 1)) ++bits;
    }
    bool contiguous() const {
        return !mask || (mask >> shift) == ((bits >= 32) ? ~0u : ((1u << bits) - 1));
    }
    std::uint8_t extract(std::uint32_t v) const {
        if (!mask) return 0;
        const std::uint32_t x = (v & mask) >> shift;
        if (bits >= 8) return std::uint8_t(x >> (bits - 8));
        const std::uint32_t max = (1u << bits) - 1;
        return std::uint8_t((x * 255 + max / 2) / max);
    }
};

// Enough for the file header, the largest info header and its masks.
constexpr std::size_t kHeadBytes = 14 + 124 + 16;

// How many bytes of a file the decoder can use, judged from its first bytes:
// the headers, masks and colour table, then the pixel data the dimensions
// allow (an RLE stream spends at most 2 bytes on a pixel, and 2 on each row
// end). A header the decoder will refuse needs no more than its head.
std::uint64_t bytesWanted(std::span<const std::uint8_t> head) {
    if (head.size() < 18 || head[0] != 'B' || head[1] != 'M') return head.size();
    const std::uint8_t* p = head.data();
    const std::uint64_t offBits = get32(p + 10), hs = get32(p + 14);
    if (hs < 12 || hs > 124 || head.size() < 14 + hs) return head.size();
    const std::uint8_t* h = p + 14;
    const bool core = hs == 12;
    const std::int64_t width = core ? std::int64_t(get16(h + 4)) : std::int32_t(get32(h + 4));
    const std::int64_t height = core ? std::int16_t(get16(h + 6)) : std::int32_t(get32(h + 8));
    const std::uint64_t bits = core ? get16(h + 10) : get16(h + 14);
    const std::uint32_t compression = hs >= 40 ? get32(h + 16) : 0;
    const std::int64_t rows = height < 0 ? -height : height;
    if (width < 0 || bits > 32 || !Bitmap::sizeAllowed(width, rows)) return head.size();
    const std::uint64_t tableEnd = 14 + hs + 16 + 4 * 256;
    const std::uint64_t start = std::max(offBits, tableEnd);
    const std::uint64_t w = std::uint64_t(width), r = std::uint64_t(rows);
    const bool rle = compression == 1 || compression == 2;
    const std::uint64_t data = rle ? 2 * w * r + 2 * r + 2 : (w * bits + 31) / 32 * 4 * r;
    return start + data;
}

// RLE8 and RLE4 of a w x h picture into `out` (rows from the top), or only
// checked when `out` is null. A stream must reach its end-of-bitmap code or
// its last row; one that stops before is a cut file.
bool decodeRle(const std::uint8_t* p, std::size_t n, int bits, int w, int h, Bitmap* out,
               std::string& why) {
    std::size_t i = 0;
    int x = 0, line = 0;  // line counts from the first row stored
    auto put = [&](unsigned v) {
        if (out && x < w && line < h) out->setIndex(x, h - 1 - line, v);
        ++x;
    };
    while (line < h) {
        if (i + 2 > n) {
            why = "file ends inside the pixel data";
            return false;
        }
        const unsigned count = p[i], code = p[i + 1];
        i += 2;
        if (count > 0) {
            for (unsigned k = 0; k < count; ++k)
                put(bits == 8 ? code : ((k & 1) ? (code & 0x0f) : (code >> 4)));
        } else if (code == 0) {
            x = 0;
            ++line;
        } else if (code == 1) {
            return true;
        } else if (code == 2) {
            if (i + 2 > n) {
                why = "file ends inside the pixel data";
                return false;
            }
            x += p[i];
            line += p[i + 1];
            i += 2;
        } else {
            const std::size_t bytes = bits == 8 ? code : (code + 1) / 2;
            const std::size_t padded = (bytes + 1) & ~std::size_t{1};
            if (i + bytes > n) {
                why = "RLE data ends inside a run of literal pixels";
                return false;
            }
            for (unsigned k = 0; k < code; ++k)
                put(bits == 8 ? p[i + k] : ((k & 1) ? (p[i + k / 2] & 0x0f) : (p[i + k / 2] >> 4)));
            i += std::min(padded, n - i);
        }
        if (x > w + 255 * 2) x = w + 1;  // keep the counter bounded on hostile streams
    }
    return true;
}

Outcome<BmpImage> decode(std::span<const std::uint8_t> b) {
    const std::size_t size = b.size();
    if (size < 2 || b[0] != 'B' || b[1] != 'M')
        return fail(ProblemKind::BmpBadSignature, "not a BMP file (it does not start with \"BM\")");
    if (size < 18) return fail(ProblemKind::BmpTruncated, "file ends inside the file header");
    const std::uint8_t* p = b.data();
    const std::uint32_t offBits = get32(p + 10);
    const std::uint32_t hs = get32(p + 14);
    BmpImage r;
    r.info.headerSize = hs;
    const bool core = hs == 12;
    if (!(hs == 12 || hs == 16 || hs == 40 || hs == 52 || hs == 56 || hs == 64 || hs == 108 ||
          hs == 124))
        return fail(ProblemKind::BmpBadHeaderSize, "bad header size " + std::to_string(hs));
    if (size < 14 + std::size_t(hs))
        return fail(ProblemKind::BmpTruncated, "file ends inside the bitmap header");
    const std::uint8_t* h = p + 14;
    std::int64_t width, height;
    unsigned planes, bits;
    std::uint32_t compression = 0, clrUsed = 0;
    if (core) {
        width = get16(h + 4);
        height = std::int16_t(get16(h + 6));
        planes = get16(h + 8);
        bits = get16(h + 10);
    } else {
        width = std::int32_t(get32(h + 4));
        height = std::int32_t(get32(h + 8));
        planes = get16(h + 12);
        bits = get16(h + 14);
        if (hs >= 40) {
            compression = get32(h + 16);
            clrUsed = get32(h + 32);
        }
    }
    // OS/2 2.x headers number their compressions differently.
    const bool os2v2 = hs == 16 || hs == 64;
    if (os2v2 && compression == 3)
        return fail(ProblemKind::BmpUnsupportedCompression,
                    "unsupported compression 3 (OS/2 Huffman)");
    if (os2v2 && compression == 4)
        return fail(ProblemKind::BmpUnsupportedCompression,
                    "unsupported compression 4 (OS/2 RLE24)");
    r.info.fileBitCount = int(bits);
    r.info.compression = compression;
    r.info.width = width;
    r.info.height = height;
    r.info.topDown = height < 0;
    if (planes != 1)
        return fail(ProblemKind::BmpBadPlanes, "bad plane count " + std::to_string(planes));
    if (compression == 4 || compression == 5)
        return fail(ProblemKind::BmpEmbeddedImage,
                    std::string("unsupported compression ") + std::to_string(compression) + " (" +
                        compressionName(compression) + "): the file holds an embedded image");
    if (compression > 6 || (compression == 6 && hs < 40))
        return fail(ProblemKind::BmpUnsupportedCompression,
                    "unsupported compression " + std::to_string(compression));
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return fail(ProblemKind::BmpBadBitCount,
                    bits == 64 ? std::string("64 bits per pixel is not supported")
                               : "bad bit count " + std::to_string(bits));
    if ((compression == 1 && bits != 8) || (compression == 2 && bits != 4) ||
        ((compression == 3 || compression == 6) && bits != 16 && bits != 32))
        return fail(ProblemKind::BmpUnsupportedCompression,
                    std::string("compression ") + compressionName(compression) + " with " +
                        std::to_string(bits) + " bits per pixel");
    const bool rle = compression == 1 || compression == 2;
    if (width < 0)
        return fail(ProblemKind::BmpBadDimensions, "negative width " + std::to_string(width));
    if (rle && height < 0)
        return fail(ProblemKind::BmpBadDimensions, "an RLE bitmap cannot be stored top-down");
    const std::int64_t rows = height < 0 ? -height : height;
    if (!Bitmap::sizeAllowed(width, rows))
        return fail(ProblemKind::BmpTooLarge, std::to_string(width) + " x " + std::to_string(rows) +
                                                  " pixels is too large to hold in memory");

    // Colour masks.
    std::uint32_t masks[4] = {0, 0, 0, 0};
    std::size_t tableAt = 14 + hs;
    if (compression == 3 || compression == 6) {
        const int nmasks = compression == 6 ? 4 : 3;
        if (hs >= 52) {
            for (int k = 0; k < 3; ++k) masks[k] = get32(h + 40 + 4 * k);
            if (hs >= 56) masks[3] = get32(h + 52);
        } else {
            if (size < tableAt + 4 * std::size_t(nmasks))
                return fail(ProblemKind::BmpTruncated, "file ends inside the colour masks");
            for (int k = 0; k < nmasks; ++k) masks[k] = get32(p + tableAt + 4 * k);
            tableAt += 4 * nmasks;
        }
    } else if (bits == 16) {
        masks[0] = 0x7c00, masks[1] = 0x03e0, masks[2] = 0x001f;
    } else if (bits == 32) {
        masks[0] = 0xff0000, masks[1] = 0xff00, masks[2] = 0xff;
    }
    for (int k = 0; k < 3; ++k)
        if (bits >= 16 && !Mask(masks[k]).contiguous())
            return fail(ProblemKind::BmpBadBitFields, "colour masks are not contiguous bit runs");
    if ((compression == 3 || compression == 6) && (masks[0] | masks[1] | masks[2]) == 0)
        return fail(ProblemKind::BmpBadBitFields, "colour masks are all zero");
    if (offBits != 0 && offBits < tableAt)
        return fail(ProblemKind::BmpBadPixelOffset, "pixel data overlaps the headers");

    // Colour table.
    std::vector<Rgb> table;
    if (bits <= 8) {
        const std::size_t maxEntries = std::size_t{1} << bits;
        std::size_t n = clrUsed == 0 ? maxEntries : clrUsed;
        if (clrUsed > 256 * 256)
            return fail(ProblemKind::BmpBadPaletteSize,
                        "bad colour table size " + std::to_string(clrUsed));
        const std::size_t entrySize = core ? 3 : 4;
        const std::size_t limit = offBits > tableAt ? offBits : size;
        const std::size_t room =
            limit > tableAt ? (std::min<std::size_t>(limit, size) - tableAt) / entrySize : 0;
        if (n > room) n = room;  // a table shorter than announced: what is there is used
        if (n == 0) return fail(ProblemKind::BmpBadPaletteSize, "the colour table is missing");
        n = std::min(n, maxEntries);
        for (std::size_t k = 0; k < n; ++k) {
            const std::uint8_t* e = p + tableAt + entrySize * k;
            table.push_back(Rgb{e[2], e[1], e[0]});
        }
    }
    if (offBits > size)
        return fail(ProblemKind::BmpBadPixelOffset,
                    "the pixel data lies beyond the end of the file");
    const std::size_t pixelsAt = offBits ? offBits : tableAt + (core ? 3 : 4) * table.size();

    const int w = int(width), hh = int(rows);
    const bool topDown = height < 0;
    PixelFormat f;
    if (bits <= 8) {
        f = bits == 1 ? PixelFormat::Bpp1 : bits == 8 ? PixelFormat::Bpp8 : PixelFormat::Bpp4;
    } else if (bits == 24) {
        f = PixelFormat::Bpp24;
    } else if (bits == 16 && masks[0] == 0xf800 && masks[1] == 0x07e0 && masks[2] == 0x1f) {
        f = PixelFormat::Bpp16;
    } else if (bits == 16 && masks[0] == 0x7c00 && masks[1] == 0x03e0 && masks[2] == 0x1f) {
        f = PixelFormat::Bpp15;
    } else {
        f = PixelFormat::Bpp32;
    }

    if (rle) {
        // Runs hold at most 255 pixels in 2 bytes; a stream far too short for
        // the picture it announces is refused before the picture is allocated.
        const std::uint64_t pixels = std::uint64_t(w) * std::uint64_t(hh);
        const std::uint64_t stream = size - pixelsAt;
        if (pixels > (std::uint64_t{1} << 20) && pixels / 1024 > stream)
            return fail(ProblemKind::BmpBadRle, "RLE data too short for a " + std::to_string(w) +
                                                    " x " + std::to_string(hh) + " picture");
        // The stream is checked before the picture is allocated, so a short
        // file claiming a huge picture costs no memory.
        std::string why;
        if (!decodeRle(p + pixelsAt, size - pixelsAt, bits, w, hh, nullptr, why))
            return fail(
                why.starts_with("file ends") ? ProblemKind::BmpTruncated : ProblemKind::BmpBadRle,
                why);
        r.bitmap = Bitmap(w, hh, f);
        r.bitmap.setPaletteEntries(Palette(table));
        decodeRle(p + pixelsAt, size - pixelsAt, bits, w, hh, &r.bitmap, why);
        return r;
    }

    const std::size_t fileStride = (std::size_t(w) * bits + 31) / 32 * 4;
    if (hh > 0 && (size - pixelsAt) / (fileStride ? fileStride : 1) < std::size_t(hh) && fileStride)
        return fail(ProblemKind::BmpTruncated, "file ends inside the pixel data");
    r.bitmap = Bitmap(w, hh, f);
    if (bits <= 8) r.bitmap.setPaletteEntries(Palette(table));
    const Mask mr(masks[0]), mg(masks[1]), mb(masks[2]);
    const bool alphaDeclared = bits == 32 && (compression == 3 || compression == 6) && masks[3];
    const Mask ma(alphaDeclared ? masks[3] : 0);
    bool alphaUsed = false;
    for (int y = 0; y < hh && w > 0; ++y) {
        const std::uint8_t* src = p + pixelsAt + fileStride * std::size_t(topDown ? y : hh - 1 - y);
        if (bits == 2) {
            for (int x = 0; x < w; ++x)
                r.bitmap.setIndex(x, y, (src[x >> 2] >> (6 - 2 * (x & 3))) & 3);
        } else if (f == PixelFormat::Bpp32 && bits == 16) {
            std::uint32_t* o = r.bitmap.row32(y);
            for (int x = 0; x < w; ++x) {
                const std::uint32_t v = get16(src + 2 * x);
                o[x] = Rgb{mr.extract(v), mg.extract(v), mb.extract(v)}.value();
            }
        } else if (f == PixelFormat::Bpp32) {
            std::uint32_t* o = r.bitmap.row32(y);
            const bool standard = masks[0] == 0xff0000 && masks[1] == 0xff00 && masks[2] == 0xff;
            for (int x = 0; x < w; ++x) {
                const std::uint32_t v = get32(src + 4 * x);
                o[x] = standard ? (v & 0xffffff)
                                : Rgb{mr.extract(v), mg.extract(v), mb.extract(v)}.value();
                if (ma.mask == 0) continue;
                const std::uint8_t a = ma.extract(v);
                if (a != 0) alphaUsed = true;
                if (a != 0 && a != 255) ++r.info.partialAlpha;
                if (a < 128) r.bitmap.writableMaskRow(y)[x] = 1;
            }
        } else {
            std::memcpy(r.bitmap.row(y), src, std::min(fileStride, r.bitmap.stride()));
        }
    }
    if (alphaDeclared && !alphaUsed) r.bitmap.clearTransparency();
    return r;
}

}  // namespace

Outcome<BmpImage> decodeBmp(std::span<const std::uint8_t> bytes) {
    try {
        return decode(bytes);
    } catch (const std::bad_alloc&) {
        return Problem::outOfMemory("not enough memory to hold the picture");
    }
}

namespace {

// Reads at most `fileSize` bytes from fd: the headers first; then only as
// much as they say the picture can use, so padding after the pixels is never
// read, and a stream without end costs no more than the largest picture the
// limits allow.
// `already` holds the first bytes, read from fd before (at most kHeadBytes).
Outcome<BmpImage> readBmpFrom(int fd, std::uint64_t fileSize,
                              std::span<const std::uint8_t> already = {}) {
    std::uint8_t head[kHeadBytes];
    const std::size_t known = std::min(already.size(), kHeadBytes);
    std::copy(already.begin(), already.begin() + std::ptrdiff_t(known), head);
    Outcome<std::size_t> got = readFully(
        fd, std::span<std::uint8_t>(head + known,
                                    std::min<std::uint64_t>(kHeadBytes, fileSize) - known));
    if (!got) return got.problem();
    *got += known;
    const std::uint64_t wanted =
        std::min(fileSize, bytesWanted(std::span<const std::uint8_t>(head, *got)));
    if (wanted > std::numeric_limits<std::size_t>::max())
        return Problem::outOfMemory("not enough memory to read the file");
    try {
        LargeBlock bytes(std::max<std::size_t>(std::size_t(wanted), *got));
        if (*got > 0) std::memcpy(bytes.get(), head, *got);
        const Outcome<std::size_t> rest =
            readFully(fd, std::span<std::uint8_t>(bytes.get() + *got, bytes.size() - *got));
        if (!rest) return rest.problem();
        return decodeBmp(std::span<const std::uint8_t>(bytes.get(), *got + *rest));
    } catch (const std::bad_alloc&) {
        return Problem::outOfMemory("not enough memory to read the file");
    }
}

}  // namespace

Outcome<BmpImage> readBmpFile(const std::string& path) {
    std::uint64_t fileSize = 0;
    const Outcome<UniqueFd> file = openForReading(path, &fileSize);
    if (!file) return file.problem();
    return readBmpFrom(file->get(), fileSize);
}

Outcome<BmpImage> readBmpStream(int fd, std::span<const std::uint8_t> already) {
    return readBmpFrom(fd, std::numeric_limits<std::uint64_t>::max(), already);
}

Outcome<Bitmap> loadBmp(const std::string& path) {
    Outcome<BmpImage> r = readBmpFile(path);
    if (!r) return r.problem();
    return std::move(r->bitmap);
}

}  // namespace kararisu
