#include "worklists/bmp/bmp_headers.h"

#include <algorithm>
#include <string>

namespace kararisu {

namespace {

Problem fail(ProblemKind kind, std::string why) {
    return {kind, std::move(why)};
}

struct CompressionNames {
    std::uint32_t code;
    const char* name;
    const char* description;
};

constexpr CompressionNames kCompressions[] = {
    {kBmpUncompressed, "RGB", "none"},
    {kBmpRle8, "RLE8", "RLE8"},
    {kBmpRle4, "RLE4", "RLE4"},
    {kBmpBitFields, "BITFIELDS", "bit fields"},
    {kBmpJpeg, "JPEG", "JPEG"},
    {kBmpPng, "PNG", "PNG"},
    {kBmpAlphaBitFields, "ALPHABITFIELDS", "alpha bit fields"},
};

const CompressionNames* namesOf(std::uint32_t compression) {
    for (const CompressionNames& c : kCompressions)
        if (c.code == compression) return &c;
    return nullptr;
}

bool knownHeaderSize(std::uint32_t hs) {
    for (const std::uint32_t size :
         {kBmpCoreHeaderSize, kBmpOs2ShortHeaderSize, kBmpInfoHeaderSize, kBmpV2HeaderSize,
          kBmpV3HeaderSize, kBmpOs2HeaderSize, kBmpV4HeaderSize, kBmpV5HeaderSize})
        if (hs == size) return true;
    return false;
}

bool hasBitFields(std::uint32_t compression) {
    return compression == kBmpBitFields || compression == kBmpAlphaBitFields;
}

bool isRle(std::uint32_t compression) {
    return compression == kBmpRle8 || compression == kBmpRle4;
}

// The fields of the bitmap header, before any of them is judged.
struct Header {
    std::uint32_t size = 0;
    std::int64_t width = 0, height = 0;
    unsigned planes = 0, bits = 0;
    std::uint32_t compression = kBmpUncompressed, clrUsed = 0;
};

Header headerFields(const std::uint8_t* h, std::uint32_t hs) {
    Header r;
    r.size = hs;
    if (hs == kBmpCoreHeaderSize) {
        r.width = le16(h + 4);
        r.height = std::int16_t(le16(h + 6));
        r.planes = le16(h + 8);
        r.bits = le16(h + 10);
        return r;
    }
    r.width = std::int32_t(le32(h + 4));
    r.height = std::int32_t(le32(h + 8));
    r.planes = le16(h + 12);
    r.bits = le16(h + 14);
    if (hs >= kBmpInfoHeaderSize) {
        r.compression = le32(h + 16);
        r.clrUsed = le32(h + 32);
    }
    return r;
}

// Planes, bit count, compression and size, in the order a reader meets them.
Outcome<void> checkHeader(const Header& f) {
    // OS/2 2.x headers number their compressions differently.
    const bool os2v2 = f.size == kBmpOs2ShortHeaderSize || f.size == kBmpOs2HeaderSize;
    if (os2v2 && f.compression == 3)
        return fail(ProblemKind::BmpUnsupportedCompression,
                    "unsupported compression 3 (OS/2 Huffman)");
    if (os2v2 && f.compression == 4)
        return fail(ProblemKind::BmpUnsupportedCompression,
                    "unsupported compression 4 (OS/2 RLE24)");
    if (f.planes != 1)
        return fail(ProblemKind::BmpBadPlanes, "bad plane count " + std::to_string(f.planes));
    if (f.compression == kBmpJpeg || f.compression == kBmpPng)
        return fail(ProblemKind::BmpEmbeddedImage,
                    std::string("unsupported compression ") + std::to_string(f.compression) + " (" +
                        bmpCompressionName(f.compression) + "): the file holds an embedded image");
    if (f.compression > kBmpAlphaBitFields ||
        (f.compression == kBmpAlphaBitFields && f.size < kBmpInfoHeaderSize))
        return fail(ProblemKind::BmpUnsupportedCompression,
                    "unsupported compression " + std::to_string(f.compression));
    const unsigned bits = f.bits;
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return fail(ProblemKind::BmpBadBitCount,
                    bits == 64 ? std::string("64 bits per pixel is not supported")
                               : "bad bit count " + std::to_string(bits));
    if ((f.compression == kBmpRle8 && bits != 8) || (f.compression == kBmpRle4 && bits != 4) ||
        (hasBitFields(f.compression) && bits != 16 && bits != 32))
        return fail(ProblemKind::BmpUnsupportedCompression,
                    std::string("compression ") + bmpCompressionName(f.compression) + " with " +
                        std::to_string(bits) + " bits per pixel");
    if (f.width < 0)
        return fail(ProblemKind::BmpBadDimensions, "negative width " + std::to_string(f.width));
    if (isRle(f.compression) && f.height < 0)
        return fail(ProblemKind::BmpBadDimensions, "an RLE bitmap cannot be stored top-down");
    const std::int64_t rows = f.height < 0 ? -f.height : f.height;
    if (!Bitmap::sizeAllowed(f.width, rows))
        return fail(ProblemKind::BmpTooLarge, std::to_string(f.width) + " x " +
                                                  std::to_string(rows) +
                                                  " pixels is too large to hold in memory");
    return {};
}

// The colour masks: in the header from version 2 on, else after it (where
// they move the colour table on); the defaults of 16 and 32 bits otherwise.
// Returns where the colour table starts.
Outcome<std::size_t> readMasks(std::span<const std::uint8_t> head, std::uint64_t size,
                               const Header& f, std::uint32_t (&masks)[4]) {
    std::size_t tableAt = kBmpFileHeaderSize + f.size;
    const std::uint8_t* h = head.data() + kBmpFileHeaderSize;
    if (hasBitFields(f.compression)) {
        const int nmasks = f.compression == kBmpAlphaBitFields ? 4 : 3;
        if (f.size >= kBmpV2HeaderSize) {
            for (int k = 0; k < 3; ++k) masks[k] = le32(h + 40 + 4 * k);
            if (f.size >= kBmpV3HeaderSize) masks[3] = le32(h + 52);
        } else {
            if (size < tableAt + 4 * std::size_t(nmasks) || head.size() < tableAt + 4 * nmasks)
                return fail(ProblemKind::BmpTruncated, "file ends inside the colour masks");
            for (int k = 0; k < nmasks; ++k) masks[k] = le32(head.data() + tableAt + 4 * k);
            tableAt += 4 * std::size_t(nmasks);
        }
    } else if (f.bits == 16) {
        masks[0] = 0x7c00, masks[1] = 0x03e0, masks[2] = 0x001f;
    } else if (f.bits == 32) {
        masks[0] = 0xff0000, masks[1] = 0xff00, masks[2] = 0xff;
    }
    for (int k = 0; k < 3; ++k)
        if (f.bits >= 16 && !BmpMask(masks[k]).contiguous())
            return fail(ProblemKind::BmpBadBitFields, "colour masks are not contiguous bit runs");
    if (hasBitFields(f.compression) && (masks[0] | masks[1] | masks[2]) == 0)
        return fail(ProblemKind::BmpBadBitFields, "colour masks are all zero");
    return tableAt;
}

// The colour table of 1 to 8 bits: as many entries as announced, or as the
// depth allows, or as lie before the pixels (a table shorter than announced:
// what is there is used).
Outcome<std::vector<Rgb>> readTable(std::span<const std::uint8_t> head, std::uint64_t size,
                                    const Header& f, std::uint32_t offBits, std::size_t tableAt) {
    std::vector<Rgb> table;
    if (f.bits > 8) return table;
    const std::size_t maxEntries = std::size_t{1} << f.bits;
    std::uint64_t n = f.clrUsed == 0 ? maxEntries : f.clrUsed;
    if (f.clrUsed > 256 * 256)
        return fail(ProblemKind::BmpBadPaletteSize,
                    "bad colour table size " + std::to_string(f.clrUsed));
    const std::size_t entrySize = f.size == kBmpCoreHeaderSize ? 3 : 4;
    const std::uint64_t limit = offBits > tableAt ? offBits : size;
    const std::uint64_t room = limit > tableAt ? (std::min(limit, size) - tableAt) / entrySize : 0;
    n = std::min(n, room);
    if (n == 0) return fail(ProblemKind::BmpBadPaletteSize, "the colour table is missing");
    n = std::min<std::uint64_t>(n, maxEntries);
    // The head holds the whole table whenever the file does.
    n = std::min<std::uint64_t>(n, head.size() > tableAt ? (head.size() - tableAt) / entrySize : 0);
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint8_t* e = head.data() + tableAt + entrySize * k;
        table.push_back(Rgb{e[2], e[1], e[0]});
    }
    return table;
}

// How the pixels are held: paletted depths as they are (2 bits widened to
// 4), 24 bits, 5-5-5 and 5-6-5 as they are, every other field layout in 32.
PixelFormat heldFormat(unsigned bits, const std::uint32_t (&masks)[4]) {
    if (bits <= 8)
        return bits == 1 ? PixelFormat::Bpp1 : bits == 8 ? PixelFormat::Bpp8 : PixelFormat::Bpp4;
    if (bits == 24) return PixelFormat::Bpp24;
    if (bits == 16 && masks[0] == 0xf800 && masks[1] == 0x07e0 && masks[2] == 0x1f)
        return PixelFormat::Bpp16;
    if (bits == 16 && masks[0] == 0x7c00 && masks[1] == 0x03e0 && masks[2] == 0x1f)
        return PixelFormat::Bpp15;
    return PixelFormat::Bpp32;
}

}  // namespace

const char* bmpCompressionName(std::uint32_t compression) {
    const CompressionNames* c = namesOf(compression);
    return c ? c->name : "unknown";
}

const char* bmpCompressionDescription(std::uint32_t compression) {
    const CompressionNames* c = namesOf(compression);
    return c ? c->description : "other";
}

bool BmpLayout::alphaDeclared() const {
    return bits == 32 && hasBitFields(info.compression) && masks[3] != 0;
}

bool BmpLayout::standardMasks() const {
    return masks[0] == 0xff0000 && masks[1] == 0xff00 && masks[2] == 0xff;
}

Outcome<BmpLayout> readBmpLayout(std::span<const std::uint8_t> head, std::uint64_t size) {
    if (size < 2 || head[0] != 'B' || head[1] != 'M')
        return fail(ProblemKind::BmpBadSignature, "not a BMP file (it does not start with \"BM\")");
    if (size < 18) return fail(ProblemKind::BmpTruncated, "file ends inside the file header");
    const std::uint8_t* p = head.data();
    BmpLayout r;
    r.offBits = le32(p + 10);
    const std::uint32_t hs = le32(p + 14);
    r.info.headerSize = hs;
    if (!knownHeaderSize(hs))
        return fail(ProblemKind::BmpBadHeaderSize, "bad header size " + std::to_string(hs));
    if (size < kBmpFileHeaderSize + std::uint64_t(hs))
        return fail(ProblemKind::BmpTruncated, "file ends inside the bitmap header");
    const Header f = headerFields(p + kBmpFileHeaderSize, hs);
    r.info.fileBitCount = int(f.bits);
    r.info.compression = f.compression;
    r.info.width = f.width;
    r.info.height = f.height;
    r.info.topDown = f.height < 0;
    if (Outcome<void> ok = checkHeader(f); !ok) return ok.problem();
    r.bits = f.bits;
    r.rle = isRle(f.compression);
    r.width = int(f.width);
    r.rows = int(f.height < 0 ? -f.height : f.height);

    const Outcome<std::size_t> tableAt = readMasks(head, size, f, r.masks);
    if (!tableAt) return tableAt.problem();
    if (r.offBits != 0 && r.offBits < *tableAt)
        return fail(ProblemKind::BmpBadPixelOffset, "pixel data overlaps the headers");
    Outcome<std::vector<Rgb>> table = readTable(head, size, f, r.offBits, *tableAt);
    if (!table) return table.problem();
    r.table = std::move(*table);
    if (size != kUnknownFileSize && r.offBits > size)
        return fail(ProblemKind::BmpBadPixelOffset,
                    "the pixel data lies beyond the end of the file");
    const std::size_t entrySize = hs == kBmpCoreHeaderSize ? 3 : 4;
    r.pixelsAt = r.offBits ? r.offBits : *tableAt + entrySize * r.table.size();
    r.format = heldFormat(r.bits, r.masks);
    return r;
}

std::uint64_t bmpBytesWanted(std::span<const std::uint8_t> head) {
    if (head.size() < 18 || head[0] != 'B' || head[1] != 'M') return head.size();
    const std::uint8_t* p = head.data();
    const std::uint64_t offBits = le32(p + 10), hs = le32(p + 14);
    if (hs < kBmpCoreHeaderSize || hs > kBmpV5HeaderSize || head.size() < kBmpFileHeaderSize + hs)
        return head.size();
    const Header f = headerFields(p + kBmpFileHeaderSize, std::uint32_t(hs));
    const std::int64_t rows = f.height < 0 ? -f.height : f.height;
    if (f.width < 0 || f.bits > 32 || !Bitmap::sizeAllowed(f.width, rows)) return head.size();
    // The headers, masks and colour table, then the pixel data the
    // dimensions allow (an RLE stream spends at most 2 bytes on a pixel, and
    // 2 on each row end).
    const std::uint64_t tableEnd = kBmpFileHeaderSize + hs + 16 + 4 * 256;
    const std::uint64_t start = std::max(offBits, tableEnd);
    const std::uint64_t w = std::uint64_t(f.width), r = std::uint64_t(rows);
    const std::uint64_t data =
        isRle(f.compression) ? 2 * w * r + 2 * r + 2 : (w * f.bits + 31) / 32 * 4 * r;
    return start + data;
}

}  // namespace kararisu
