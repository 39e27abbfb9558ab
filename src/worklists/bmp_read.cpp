// Placeholder reader: uncompressed BITMAPINFOHEADER files only. The full
// reader replaces it.
#include <algorithm>
#include <fstream>
#include <iterator>

#include "worklists/bmp.h"

namespace kararisu {

namespace {

std::uint32_t get16(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | (b[at + 1] << 8);
}
std::uint32_t get32(std::span<const std::uint8_t> b, std::size_t at) {
    return get16(b, at) | (get16(b, at + 2) << 16);
}

BmpReadResult fail(BmpProblem p, std::string why) {
    BmpReadResult r;
    r.problem = p;
    r.reason = std::move(why);
    return r;
}

}  // namespace

BmpReadResult decodeBmp(std::span<const std::uint8_t> b) {
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M')
        return fail(BmpProblem::BadSignature, "not a BMP file");
    BmpReadResult r;
    r.info.headerSize = get32(b, 14);
    const std::int32_t w = std::int32_t(get32(b, 18));
    const std::int32_t h = std::int32_t(get32(b, 22));
    const int bits = int(get16(b, 28));
    r.info.fileBitCount = bits;
    r.info.compression = get32(b, 30);
    r.info.width = w;
    r.info.height = h;
    if (r.info.compression != 0 || w < 0)
        return fail(BmpProblem::UnsupportedCompression, "unsupported");
    PixelFormat f;
    switch (bits) {
        case 1:
            f = PixelFormat::Bpp1;
            break;
        case 4:
            f = PixelFormat::Bpp4;
            break;
        case 8:
            f = PixelFormat::Bpp8;
            break;
        case 16:
            f = PixelFormat::Bpp15;
            break;
        case 24:
            f = PixelFormat::Bpp24;
            break;
        case 32:
            f = PixelFormat::Bpp32;
            break;
        default:
            return fail(BmpProblem::BadBitCount, "bad bit count");
    }
    const int hh = h < 0 ? -h : h;
    if (!Bitmap::sizeAllowed(w, hh)) return fail(BmpProblem::TooLarge, "too large");
    const std::size_t offset = get32(b, 10);
    const std::size_t stride = Bitmap::strideFor(w, f);
    if (offset > b.size() || (b.size() - offset) / (stride ? stride : 1) < std::size_t(hh))
        return fail(BmpProblem::Truncated, "file ends inside the pixel data");
    r.bitmap = Bitmap(w, hh, f);
    if (isPaletted(f)) {
        std::size_t n = get32(b, 46);
        if (n == 0 || n > (std::size_t{1} << bits)) n = std::size_t{1} << bits;
        std::vector<Rgb> pal;
        for (std::size_t i = 0; i < n && 54 + 4 * i + 3 <= b.size(); ++i)
            pal.push_back(Rgb{b[56 + 4 * i], b[55 + 4 * i], b[54 + 4 * i]});
        r.bitmap.setPaletteEntries(Palette(pal));
    }
    for (int y = 0; y < hh; ++y) {
        const std::size_t src = offset + stride * std::size_t(h < 0 ? y : hh - 1 - y);
        std::copy_n(b.data() + src, stride, r.bitmap.row(y));
    }
    return r;
}

BmpReadResult readBmpFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return fail(BmpProblem::CannotOpen, "cannot be opened");
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    return decodeBmp(bytes);
}

Bitmap loadBmp(const std::string& path) {
    BmpReadResult r = readBmpFile(path);
    if (r.problem == BmpProblem::CannotOpen) throw CannotOpenError(path + ": " + r.reason);
    if (!r.ok()) throw InvalidBitmapError(r.problem, path + ": " + r.reason);
    return std::move(r.bitmap);
}

}  // namespace kararisu
