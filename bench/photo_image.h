#pragma once
// A deterministic stand-in for a photograph: smooth colour gradients with a
// little noise, so that a 12-megapixel image holds hundreds of thousands of
// distinct colours the way a real photo does.
#include <cmath>
#include <cstdint>

#include "worklists/bitmap.h"

namespace kararisu::bench {

inline Bitmap photoImage(int width, int height) {
    Bitmap b(width, height, PixelFormat::Bpp32);
    std::uint32_t state = 0x9e3779b9u;
    auto noise = [&state]() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return int(state % 13) - 6;
    };
    auto clamp = [](double v) { return std::uint32_t(v < 0 ? 0 : v > 255 ? 255 : v); };
    for (int y = 0; y < height; ++y) {
        std::uint32_t* row = b.row32(y);
        const double fy = double(y) / height;
        for (int x = 0; x < width; ++x) {
            const double fx = double(x) / width;
            const double r = 128 + 110 * std::sin(6.0 * fx + 2.0 * fy) + noise();
            const double g = 120 + 100 * std::cos(4.0 * fy - 3.0 * fx * fy) + noise();
            const double bl = 90 + 80 * std::sin(9.0 * fx * fy + 1.0) + 40 * fy + noise();
            row[x] = (clamp(r) << 16) | (clamp(g) << 8) | clamp(bl);
        }
    }
    return b;
}

}  // namespace kararisu::bench
