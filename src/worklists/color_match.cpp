#include "worklists/color_match.h"

#include <stdexcept>

namespace kararisu {

unsigned nearestBruteForce(const Palette& palette, std::uint32_t rgb) {
    const Rgb c = Rgb::fromValue(rgb);
    unsigned best = 0;
    std::uint32_t bestDistance = UINT32_MAX;
    for (unsigned i = 0; i < palette.size(); ++i) {
        const Rgb p = palette.at(i);
        const int dr = int(p.r) - c.r, dg = int(p.g) - c.g, db = int(p.b) - c.b;
        const std::uint32_t d = std::uint32_t(dr * dr + dg * dg + db * db);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

ColorMatcher::ColorMatcher(const Palette& palette) : palette_(palette) {}

unsigned ColorMatcher::nearest(std::uint32_t rgb) const {
    return nearestBruteForce(palette_, rgb);
}

void colorMatchedCopy(const Bitmap& src, Bitmap& dst) {
    if (src.format() != PixelFormat::Bpp32 || !isPaletted(dst.format()) ||
        src.width() != dst.width() || src.height() != dst.height())
        throw std::invalid_argument("colour-matched copy needs a 32-bit source of the same size");
    const ColorMatcher matcher(dst.palette());
    for (int y = 0; y < src.height(); ++y) {
        const std::uint32_t* in = src.row32(y);
        for (int x = 0; x < src.width(); ++x) dst.setIndex(x, y, matcher.nearest(in[x]));
    }
}

}  // namespace kararisu
