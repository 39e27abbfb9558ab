// The RLE decoder alone: the first five bytes choose width and height (16
// bits each, little-endian) and RLE8 or RLE4 (low bit of the fifth); the rest
// is the stream, wrapped in the headers of a paletted BMP. Any stream either
// decodes into a picture of that size or is refused with a reason.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_target.h"
#include "worklists/bmp/bmp.h"

namespace {

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
}

}  // namespace

std::string fuzzOutcome(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return "too short";
    const std::uint32_t w = data[0] | (data[1] << 8), h = data[2] | (data[3] << 8);
    const bool rle4 = data[4] & 1;
    const std::size_t colours = rle4 ? 16 : 256;
    const std::size_t offset = 14 + 40 + 4 * colours;
    std::vector<std::uint8_t> file(offset);
    file[0] = 'B', file[1] = 'M';
    put32(file, 2, std::uint32_t(offset + size - 5));
    put32(file, 10, std::uint32_t(offset));
    put32(file, 14, 40);
    put32(file, 18, w);
    put32(file, 22, h);
    file[26] = 1;
    file[28] = rle4 ? 4 : 8;
    file[30] = rle4 ? 2 : 1;
    put32(file, 46, std::uint32_t(colours));
    for (std::size_t i = 0; i < colours; ++i) file[54 + 4 * i] = std::uint8_t(i);
    file.insert(file.end(), data + 5, data + size);

    const kararisu::Outcome<kararisu::BmpImage> r = kararisu::decodeBmp(file);
    if (!r) {
        if (r.problem().reason.empty()) std::abort();
        return outcomeName(r);
    }
    const kararisu::Bitmap& b = r->bitmap;
    if (std::uint32_t(b.width()) != w || std::uint32_t(b.height()) != h) std::abort();
    // Every index written lies in the picture's depth.
    if (std::uint64_t(w) * h <= (1u << 22))
        for (int y = 0; y < b.height(); ++y)
            for (int x = 0; x < b.width(); ++x)
                if (b.index(x, y) >= colours) std::abort();
    return outcomeName(r);
}
