#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "worklists/color_match.h"

using namespace kararisu;

namespace {

// The cube search answers each of its eight colours as the brute force does.
void expectCubeAgrees(const ColorMatcher& matcher, const Palette& palette, std::uint32_t c) {
    const int r = int(c >> 16) & 0xfe, g = int(c >> 8) & 0xfe, b = int(c) & 0xfe;
    unsigned cube[8];
    matcher.nearestOfCube(r, g, b, cube);
    for (int k = 0; k < 8; ++k) {
        const auto colour =
            std::uint32_t(((r + (k >> 2)) << 16) | ((g + ((k >> 1) & 1)) << 8) | (b + (k & 1)));
        ASSERT_EQ(cube[k], nearestBruteForce(palette, colour)) << std::hex << colour;
    }
}

}  // namespace

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
            if (q % 8 == 0) expectCubeAgrees(matcher, palette, c);
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

// Palettes strung along lines and bent lines (the scales, with and without
// system colours, and nearly straight runs with jitter) take the search
// along their axis; it must answer exactly as the brute force, ties included.
TEST(ColorMatch, AgreesWithBruteForceOnLinePalettes) {
    std::mt19937 rng(5);
    std::vector<Palette> palettes;
    std::vector<Rgb> grey, sepia, jitter, shortLine, dupLine;
    for (int v = 0; v < 256; ++v) {
        const auto u = std::uint8_t(v);
        grey.push_back({u, u, u});
        sepia.push_back(
            {std::uint8_t(std::min(v + 36, 255)), u, std::uint8_t(std::max(v - 36, 0))});
        jitter.push_back({u, std::uint8_t(std::clamp(v / 2 + int(rng() % 5) - 2, 0, 255)),
                          std::uint8_t(std::clamp(255 - v + int(rng() % 3) - 1, 0, 255))});
        dupLine.push_back({std::uint8_t(v / 4 * 4), 0, 0});  // each colour four times
    }
    for (int v = 0; v < 16; ++v) shortLine.push_back({0, std::uint8_t(255 - 15 * v), 0});
    for (const auto* e : {&grey, &sepia, &jitter, &shortLine, &dupLine}) palettes.emplace_back(*e);
    for (const Palette& palette : palettes) {
        const ColorMatcher matcher(palette);
        for (int q = 0; q < 20000; ++q) {
            const std::uint32_t c = rng() & 0xffffff;
            ASSERT_EQ(matcher.nearest(c), nearestBruteForce(palette, c)) << std::hex << c;
            if (q % 8 == 0) expectCubeAgrees(matcher, palette, c);
        }
        // Colours exactly between two entries.
        for (std::uint32_t c : {0x808080u, 0x7f7f80u, 0x000000u, 0xffffffu, 0x0a0b0cu}) {
            ASSERT_EQ(matcher.nearest(c), nearestBruteForce(palette, c)) << std::hex << c;
        }
    }
}
