#include <gtest/gtest.h>

#include <random>

#include "worklists/color_match.h"

using namespace kararisu;

// Random palettes with many duplicate entries and near ties, every query
// answered as the brute force answers it.
TEST(ColorMatch, AgreesWithBruteForceOnRandomPalettesWithDuplicates) {
    std::mt19937 rng(42);
    for (int round = 0; round < 40; ++round) {
        const int size = 1 + int(rng() % 256);
        const int levels = round % 2 ? 256 : 8;  // few levels: many equal distances
        std::vector<Rgb> entries;
        for (int i = 0; i < size; ++i) {
            if (i > 0 && rng() % 4 == 0)
                entries.push_back(entries[rng() % entries.size()]);
            else
                entries.push_back(Rgb{std::uint8_t(rng() % levels * (256 / levels)),
                                      std::uint8_t(rng() % levels * (256 / levels)),
                                      std::uint8_t(rng() % levels * (256 / levels))});
        }
        const Palette palette(entries);
        const ColorMatcher matcher(palette);
        for (int q = 0; q < 3000; ++q) {
            const std::uint32_t c = rng() & 0xffffff;
            ASSERT_EQ(matcher.nearest(c), nearestBruteForce(palette, c)) << "round " << round;
        }
    }
}

TEST(ColorMatch, CopyMapsEveryPixelToNearestEntry) {
    Bitmap src(5, 3, PixelFormat::Bpp32);
    std::mt19937 rng(7);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) src.row32(y)[x] = rng();
    Bitmap dst(5, 3, PixelFormat::Bpp4);
    std::vector<Rgb> e;
    for (int i = 0; i < 16; ++i) e.push_back(Rgb{std::uint8_t(i * 16), 0, std::uint8_t(255 - i)});
    dst.setPaletteEntries(Palette(e));
    colorMatchedCopy(src, dst);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(dst.index(x, y), nearestBruteForce(dst.palette(), src.row32(y)[x]));
}
