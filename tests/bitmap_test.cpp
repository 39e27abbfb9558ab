#include <gtest/gtest.h>

#include "worklists/bitmap.h"

using namespace kararisu;

TEST(Bitmap, CopiesAreDeepAndIndependent) {
    Bitmap a(3, 2, PixelFormat::Bpp8);
    a.setIndex(1, 1, 7);
    Bitmap b = a;
    b.setIndex(1, 1, 9);
    EXPECT_EQ(a.index(1, 1), 7u);
    EXPECT_EQ(b.index(1, 1), 9u);
}

TEST(Bitmap, SixteenBitChannelsExpandWithRounding) {
    Bitmap a(1, 1, PixelFormat::Bpp16);
    // 5-6-5: red 1, green 1, blue 30
    const unsigned v = (1u << 11) | (1u << 5) | 30u;
    a.row(0)[0] = std::uint8_t(v);
    a.row(0)[1] = std::uint8_t(v >> 8);
    a.setFormat(PixelFormat::Bpp32);
    EXPECT_EQ(a.row32(0)[0], (8u << 16) | (4u << 8) | 247u);
}

TEST(Bitmap, PalettedImagesExpandThroughTheirPalette) {
    Bitmap a(3, 1, PixelFormat::Bpp4);
    a.setPaletteEntries(Palette({{10, 20, 30}, {40, 50, 60}}));
    a.setIndex(0, 0, 1);
    a.setIndex(2, 0, 9);  // beyond the palette: black
    a.setFormat(PixelFormat::Bpp32);
    EXPECT_EQ(a.row32(0)[0], 0x28323cu);
    EXPECT_EQ(a.row32(0)[1], 0x0a141eu);
    EXPECT_EQ(a.row32(0)[2], 0u);
}

TEST(Bitmap, NewPaletteRemapsPixelsToNearestColours) {
    Bitmap a(2, 1, PixelFormat::Bpp8);
    a.setPaletteEntries(Palette({{0, 0, 0}, {250, 250, 250}}));
    a.setIndex(1, 0, 1);
    a.setPalette(Palette({{255, 255, 255}, {10, 0, 0}}));
    EXPECT_EQ(a.index(0, 0), 1u);
    EXPECT_EQ(a.index(1, 0), 0u);
}

TEST(Bitmap, SetSizeKeepsPaletteAndOverlap) {
    Bitmap a(2, 2, PixelFormat::Bpp8);
    a.setPaletteEntries(Palette({{1, 2, 3}}));
    a.setIndex(1, 1, 5);
    a.setSize(3, 3);
    EXPECT_EQ(a.palette().at(0), (Rgb{1, 2, 3}));
    EXPECT_EQ(a.index(1, 1), 5u);
    EXPECT_EQ(a.index(2, 2), 0u);
}

TEST(Bitmap, AbsurdSizesAreRefusedBeforeAllocating) {
    EXPECT_THROW(Bitmap(1 << 20, 1 << 20, PixelFormat::Bpp32), std::length_error);
    EXPECT_FALSE(Bitmap::sizeAllowed(0, Bitmap::kMaxSide + 1));
    EXPECT_TRUE(Bitmap::sizeAllowed(0, 0));
}

TEST(Palette, RecordsAreCheckedAgainstTheirCount) {
    const Palette p({{1, 2, 3}, {4, 5, 6}});
    const auto record = p.toRecord();
    ASSERT_EQ(record.size(), 12u);
    EXPECT_EQ(record[0], 0x00);
    EXPECT_EQ(record[1], 0x03);
    EXPECT_EQ(Palette::fromRecord(record), p);
    auto shortRecord = record;
    shortRecord.pop_back();
    EXPECT_FALSE(Palette::fromRecord(shortRecord));
    auto zero = record;
    zero[2] = 0;
    EXPECT_FALSE(Palette::fromRecord(zero));
    auto tooMany = record;
    tooMany[2] = 1, tooMany[3] = 1;  // 257
    EXPECT_FALSE(Palette::fromRecord(tooMany));
    EXPECT_EQ(p.at(7), (Rgb{}));
}

TEST(Palette, SystemTableHoldsTheTwentyStaticColours) {
    const auto& s = systemPalette();
    EXPECT_EQ(s[8], (Rgb{192, 220, 192}));
    EXPECT_EQ(s[9], (Rgb{166, 202, 240}));
    EXPECT_EQ(s[10], (Rgb{}));
    EXPECT_EQ(s[245], (Rgb{}));
    EXPECT_EQ(s[246], (Rgb{255, 251, 240}));
    EXPECT_EQ(s[255], (Rgb{255, 255, 255}));
}
