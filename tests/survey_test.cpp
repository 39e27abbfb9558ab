// The colour survey and colour count against sorting every pixel, and the
// table-driven matching against the colour-matched copy.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "reduce/survey.h"
#include "support/recording_reporter.h"
#include "worklists/color_match.h"

namespace kararisu {
namespace {

Bitmap noisy(int w, int h, PixelFormat f, unsigned seed, unsigned colours) {
    std::mt19937 rng(seed);
    Bitmap b(w, h, PixelFormat::Bpp32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // Garbage in the top byte is not part of the colour.
            b.row32(y)[x] = (rng() % colours) * 2654435761u % 0x1000000 | (rng() << 24);
        }
    if (f != PixelFormat::Bpp32) b.setFormat(f);
    return b;
}

std::vector<ColorTally> bySorting(const Bitmap& b) {
    std::vector<std::int32_t> v;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) v.push_back(std::int32_t(b.pixelValue(x, y)));
    std::sort(v.begin(), v.end());
    std::vector<ColorTally> t;
    for (std::int32_t c : v) {
        if (t.empty() || t.back().color != c) t.push_back({c, 0});
        ++t.back().count;
    }
    return t;
}

TEST(ColorSurvey, TalliesEqualSortingEveryPixel) {
    WorkArea work;
    for (PixelFormat f : {PixelFormat::Bpp32, PixelFormat::Bpp24, PixelFormat::Bpp16,
                          PixelFormat::Bpp15, PixelFormat::Bpp8, PixelFormat::Bpp4}) {
        Bitmap b = noisy(37, 29, f, 5, 900);
        ColorSurvey s;
        ASSERT_TRUE(s.count(b, work));
        EXPECT_EQ(std::vector<ColorTally>(s.tallies().begin(), s.tallies().end()), bySorting(b))
            << formatName(f);
        EXPECT_EQ(s.distinct(), bySorting(b).size());
    }
}

TEST(ColorSurvey, CountsPastSixteenBitsAndServesPictureAfterPicture) {
    // 140000 pixels of one colour (two carries and a rest), the others noise;
    // the same survey then counts and matches a second picture, whose colours
    // the first one's must not leak into.
    WorkArea work;
    Bitmap first = noisy(600, 300, PixelFormat::Bpp24, 3, 5000);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 600 && y * 600 + x < 140000; ++x) {
            std::uint8_t* p = first.row(y) + 3 * x;
            p[0] = 0x56, p[1] = 0x34, p[2] = 0x12;
        }
    Bitmap second = noisy(123, 45, PixelFormat::Bpp24, 4, 3000);
    std::vector<Rgb> entries(256);
    std::mt19937 rng(2);
    for (auto& e : entries) e = Rgb::fromValue(rng() & 0xffffff);
    ColorSurvey s;
    for (const Bitmap* b : {&first, &second, &first}) {
        ASSERT_TRUE(s.count(*b, work));
        EXPECT_EQ(std::vector<ColorTally>(s.tallies().begin(), s.tallies().end()), bySorting(*b));
        Bitmap expected(b->width(), b->height(), PixelFormat::Bpp8);
        expected.setPaletteEntries(Palette(entries));
        Bitmap got = expected;
        Bitmap as32 = *b;
        as32.setFormat(PixelFormat::Bpp32);
        colorMatchedCopy(as32, expected);
        s.matchInto(*b, got);
        EXPECT_EQ(got, expected);
    }
}

TEST(ColorSurvey, MatchingEqualsTheColourMatchedCopy) {
    WorkArea work;
    std::mt19937 rng(11);
    for (PixelFormat to : {PixelFormat::Bpp8, PixelFormat::Bpp4, PixelFormat::Bpp1}) {
        Bitmap b = noisy(301, 77, PixelFormat::Bpp32, 9, 50000);
        std::vector<Rgb> entries(std::size_t{1} << storageBits(to));
        for (auto& e : entries) e = Rgb::fromValue(rng() & 0xffffff);
        entries[1] = entries[0];  // a duplicate: the lower index wins
        Bitmap expected(b.width(), b.height(), to), got(b.width(), b.height(), to);
        expected.setPaletteEntries(Palette(entries));
        got.setPaletteEntries(Palette(entries));
        colorMatchedCopy(b, expected);
        ColorSurvey s;
        ASSERT_TRUE(s.count(b, work));
        s.matchInto(b, got);
        EXPECT_EQ(got, expected) << formatName(to);
        Bitmap viaMap(b.width(), b.height(), to);
        viaMap.setPaletteEntries(Palette(entries));
        Bitmap as24 = b;
        as24.setFormat(PixelFormat::Bpp24);
        ASSERT_TRUE(mapOntoPalette(as24, viaMap, work));
        EXPECT_EQ(viaMap, expected);
    }
}

TEST(ColorCount, CountsColoursThePixelsShow) {
    WorkArea work;
    Bitmap one(1, 1, PixelFormat::Bpp24);
    EXPECT_EQ(countDistinctColors(one, work), 1u);
    Bitmap flat(300, 200, PixelFormat::Bpp32);
    for (int y = 0; y < 200; ++y) std::fill_n(flat.row32(y), 300, 0x00123456u);
    EXPECT_EQ(countDistinctColors(flat, work), 1u);

    // Three of sixteen entries used; then two of them the same colour.
    Bitmap four(10, 10, PixelFormat::Bpp4);
    std::vector<Rgb> e(16);
    for (int i = 0; i < 16; ++i) e[i] = Rgb{std::uint8_t(i * 10), 0, 0};
    four.setPaletteEntries(Palette(e));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) four.setIndex(x, y, unsigned((x + y) % 3) + 4);
    EXPECT_EQ(countDistinctColors(four, work), 3u);
    e[5] = e[4];
    four.setPaletteEntries(Palette(e));
    EXPECT_EQ(countDistinctColors(four, work), 2u);

    Bitmap many(700, 100, PixelFormat::Bpp24);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 700; ++x) {
            const unsigned v = unsigned(y * 700 + x) * 97u;  // all different
            std::uint8_t* p = many.row(y) + 3 * x;
            p[0] = std::uint8_t(v), p[1] = std::uint8_t(v >> 8), p[2] = std::uint8_t(v >> 16);
        }
    EXPECT_EQ(countDistinctColors(many, work), 70000u);
    EXPECT_EQ(countDistinctColors(many, work), 70000u);
}

TEST(ColorCount, RefusedTableGivesNoNumber) {
    test::RecordingReporter reporter;
    WorkArea work(&reporter);
    work.setHook([](std::size_t) { return false; });
    Bitmap b(4, 4, PixelFormat::Bpp24);
    const Outcome<std::uint64_t> n = countDistinctColors(b, work);
    ASSERT_FALSE(n);
    EXPECT_EQ(n.problem().kind, ProblemKind::WorkAreaRefused);
    EXPECT_EQ(reporter.messages.size(), 1u);
    ColorSurvey s;
    EXPECT_FALSE(s.count(b, work));
}

}  // namespace
}  // namespace kararisu
