#include <cstring>

#include "support/atomic_file.h"
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

// The file's bytes in a buffer from `make(size)`.
template <typename Buffer, typename Make>
Buffer encode(const Bitmap& bitmap, Make make) {
    const PixelFormat f = bitmap.format();
    const bool paletted = isPaletted(f);
    // The colour table holds the palette as it is; a paletted bitmap without
    // one gets a black table, since readers refuse a missing table.
    std::size_t colours = paletted ? bitmap.palette().size() : 0;
    if (paletted && colours == 0) colours = std::size_t{1} << storageBits(f);
    const bool masks = f == PixelFormat::Bpp16;
    const std::size_t headerEnd = 14 + 40 + (masks ? 12 : 0);
    const std::size_t offset = headerEnd + 4 * colours;
    const std::size_t imageSize = bitmap.byteSize();
    Buffer out = make(offset + imageSize);
    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, std::uint32_t(out.size()));
    put32(out, 10, std::uint32_t(offset));
    put32(out, 14, 40);
    put32(out, 18, std::uint32_t(bitmap.width()));
    put32(out, 22, std::uint32_t(bitmap.height()));  // bottom-up
    put16(out, 26, 1);
    put16(out, 28, std::uint32_t(storageBits(f)));
    put32(out, 30, masks ? 3 : 0);
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
    const std::size_t stride = bitmap.stride();
    for (int y = 0; y < bitmap.height() && stride > 0; ++y) {
        std::uint8_t* dst = out.data() + offset + stride * std::size_t(bitmap.height() - 1 - y);
        std::memcpy(dst, bitmap.row(y), stride);
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> encodeBmp(const Bitmap& bitmap) {
    return encode<std::vector<std::uint8_t>>(
        bitmap, [](std::size_t n) { return std::vector<std::uint8_t>(n, 0); });
}

Outcome<void> saveBmp(const Bitmap& bitmap, const std::string& path, WriteMode mode) {
    // A large picture's file is built in a large block: zero-filled and
    // backed by big pages.
    try {
        const LargeVector<std::uint8_t> bytes = encode<LargeVector<std::uint8_t>>(
            bitmap, [](std::size_t n) { return LargeVector<std::uint8_t>(n); });
        return writeFileAtomically(path, bytes, mode);
    } catch (const std::bad_alloc&) {
        return Problem::outOfMemory("not enough memory to build the file");
    }
}

}  // namespace kararisu
