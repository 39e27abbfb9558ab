// The BMP writer: the headers and colour table are built in a small buffer;
// the pixel rows go to the file straight from the picture, bottom row first.
#include <climits>
#include <cstring>

#include "support/atomic_file.h"
#include "support/files.h"
#include "worklists/bmp/bmp.h"

namespace kararisu {

namespace {

void put16(std::span<std::uint8_t> out, std::size_t at, std::uint32_t v) {
    out[at] = std::uint8_t(v);
    out[at + 1] = std::uint8_t(v >> 8);
}
void put32(std::span<std::uint8_t> out, std::size_t at, std::uint32_t v) {
    put16(out, at, v & 0xffff);
    put16(out, at + 2, v >> 16);
}

// Everything before the pixel rows: file header, info header, the bit
// fields of 5-6-5 and the colour table.
std::vector<std::uint8_t> headBytes(const Bitmap& bitmap) {
    const PixelFormat f = bitmap.format();
    const bool paletted = isPaletted(f);
    // The colour table holds the palette as it is; a paletted bitmap without
    // one gets a black table, since readers refuse a missing table.
    std::size_t colours = paletted ? bitmap.palette().size() : 0;
    if (paletted && colours == 0) colours = std::size_t{1} << storageBits(f);
    const bool masks = f == PixelFormat::Bpp16;
    const std::size_t headerEnd = kBmpFileHeaderSize + kBmpInfoHeaderSize + (masks ? 12 : 0);
    const std::size_t offset = headerEnd + 4 * colours;
    const std::size_t imageSize = bitmap.byteSize();
    std::vector<std::uint8_t> out(offset, 0);
    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, std::uint32_t(offset + imageSize));
    put32(out, 10, std::uint32_t(offset));
    put32(out, 14, kBmpInfoHeaderSize);
    put32(out, 18, std::uint32_t(bitmap.width()));
    put32(out, 22, std::uint32_t(bitmap.height()));  // bottom-up
    put16(out, 26, 1);
    put16(out, 28, std::uint32_t(storageBits(f)));
    put32(out, 30, masks ? kBmpBitFields : kBmpUncompressed);
    put32(out, 34, std::uint32_t(imageSize));
    put32(out, 38, 2835);  // 72 dpi
    put32(out, 42, 2835);
    put32(out, 46, std::uint32_t(colours));
    if (masks) {
        put32(out, 54, 0xf800);
        put32(out, 58, 0x07e0);
        put32(out, 62, 0x001f);
    }
    for (std::size_t i = 0; i < colours; ++i) {
        const Rgb c = bitmap.palette().at(i);
        out[headerEnd + 4 * i] = c.b;
        out[headerEnd + 4 * i + 1] = c.g;
        out[headerEnd + 4 * i + 2] = c.r;
    }
    return out;
}

// The file's bytes in order: the head, then each row straight from the
// picture, the bottom one first.
template <typename Send>
void piecesInOrder(const Bitmap& bitmap, const std::vector<std::uint8_t>& head, Send send) {
    send(std::span<const std::uint8_t>(head));
    const std::size_t stride = bitmap.stride();
    for (int y = bitmap.height() - 1; y >= 0 && stride > 0; --y)
        send(std::span<const std::uint8_t>(bitmap.row(y), stride));
}

// The head, then the rows from the bottom up, a batch of rows to a call.
Outcome<void> writeBmpTo(int fd, const Bitmap& bitmap, const std::vector<std::uint8_t>& head) {
    constexpr std::size_t kBatch = IOV_MAX;
    std::vector<iovec> pieces;
    pieces.reserve(kBatch);
    Outcome<void> done;
    auto send = [&](std::span<const std::uint8_t> bytes) {
        if (!done) return;
        pieces.push_back({const_cast<std::uint8_t*>(bytes.data()), bytes.size()});
        if (pieces.size() < kBatch) return;
        done = writeFullyFrom(fd, pieces);
        pieces.clear();
    };
    piecesInOrder(bitmap, head, send);
    if (!done) return done;
    return writeFullyFrom(fd, pieces);
}

}  // namespace

std::vector<std::uint8_t> encodeBmp(const Bitmap& bitmap) {
    std::vector<std::uint8_t> out;
    const std::vector<std::uint8_t> head = headBytes(bitmap);
    out.reserve(head.size() + bitmap.byteSize());
    piecesInOrder(bitmap, head, [&](std::span<const std::uint8_t> bytes) {
        out.insert(out.end(), bytes.begin(), bytes.end());
    });
    return out;
}

void streamBmp(const Bitmap& bitmap,
               const std::function<void(std::span<const std::uint8_t>)>& send) {
    piecesInOrder(bitmap, headBytes(bitmap), send);
}

Outcome<void> saveBmp(const Bitmap& bitmap, const std::string& path, WriteMode mode) {
    try {
        const std::vector<std::uint8_t> head = headBytes(bitmap);
        return writeContentAtomically(
            path, [&](int fd) { return writeBmpTo(fd, bitmap, head); }, mode);
    } catch (const std::bad_alloc&) {
        return Problem::outOfMemory("not enough memory to build the file");
    }
}

}  // namespace kararisu
