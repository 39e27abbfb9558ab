#include "worklists/color_match.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

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

// The matcher keeps the entries in order of red. A search starts at the
// entries whose red is closest to the colour's and walks outwards in both
// directions; once the red difference alone is farther than the best
// distance found, no entry beyond can win. Equal distances are settled by
// the lower index, so the answer is the brute force's to the last entry.
ColorMatcher::ColorMatcher(const Palette& palette) {
    byRed_.reserve(palette.size());
    for (unsigned i = 0; i < palette.size(); ++i) {
        const Rgb p = palette.at(i);
        byRed_.push_back(Entry{p.r, p.g, p.b, i});
    }
    std::stable_sort(byRed_.begin(), byRed_.end(),
                     [](const Entry& a, const Entry& b) { return a.r < b.r; });
}

unsigned ColorMatcher::nearest(std::uint32_t rgb) const {
    if (byRed_.empty()) return 0;
    const int r = int((rgb >> 16) & 0xff), g = int((rgb >> 8) & 0xff), b = int(rgb & 0xff);
    const auto start = std::lower_bound(byRed_.begin(), byRed_.end(), r,
                                        [](const Entry& e, int v) { return e.r < v; });
    int best = INT32_MAX;
    unsigned bestIndex = 0;
    auto consider = [&](const Entry& e) {
        const int dr = e.r - r, dg = e.g - g, db = e.b - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < best || (d == best && e.index < bestIndex)) {
            best = d;
            bestIndex = e.index;
        }
    };
    auto up = start;
    auto down = start;
    bool upOpen = up != byRed_.end();
    bool downOpen = down != byRed_.begin();
    while (upOpen || downOpen) {
        if (upOpen) {
            const int dr = up->r - r;
            if (dr * dr > best) {
                upOpen = false;
            } else {
                consider(*up);
                upOpen = ++up != byRed_.end();
            }
        }
        if (downOpen) {
            const int dr = (down - 1)->r - r;
            if (dr * dr > best) {
                downOpen = false;
            } else {
                consider(*--down);
                downOpen = down != byRed_.begin();
            }
        }
    }
    return bestIndex;
}

void colorMatchedCopy(const Bitmap& src, Bitmap& dst) {
    if (src.format() != PixelFormat::Bpp32 || !isPaletted(dst.format()) ||
        src.width() != dst.width() || src.height() != dst.height())
        throw std::invalid_argument("colour-matched copy needs a 32-bit source of the same size");
    const ColorMatcher matcher(dst.palette());
    // Photos repeat colours: a small direct-mapped cache saves most searches.
    constexpr std::size_t kCacheSize = 1 << 16;
    std::vector<std::uint32_t> cacheKey(kCacheSize, UINT32_MAX);
    std::vector<std::uint8_t> cacheIndex(kCacheSize, 0);
    for (int y = 0; y < src.height(); ++y) {
        const std::uint32_t* in = src.row32(y);
        for (int x = 0; x < src.width(); ++x) {
            const std::uint32_t c = in[x] & 0xffffff;
            const std::size_t slot = (c * 2654435761u) >> 16;
            if (cacheKey[slot] != c) {
                cacheKey[slot] = c;
                cacheIndex[slot] = std::uint8_t(matcher.nearest(c));
            }
            dst.setIndex(x, y, cacheIndex[slot]);
        }
    }
}

}  // namespace kararisu
