#pragma once
// Small generated pictures for tests.

#include <vector>

#include "worklists/bitmap.h"

namespace kararisu::test {

inline Rgb rgb(int r, int g, int b) {
    return {std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)};
}

// w x h pixels at 24 bits, cycling through the given colours row by row.
inline Bitmap picture(const std::vector<Rgb>& colours, int w, int h) {
    Bitmap b(w, h, PixelFormat::Bpp24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgb c = colours[std::size_t(y * w + x) % colours.size()];
            std::uint8_t* p = b.row(y) + 3 * x;
            p[0] = c.b, p[1] = c.g, p[2] = c.r;
        }
    return b;
}

}  // namespace kararisu::test
