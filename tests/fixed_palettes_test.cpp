// The layouts of the mode palettes, checked entry by entry against the
// scale formulas and the system table.

#include <gtest/gtest.h>

#include "reduce/fixed_palettes.h"
#include "reduce/modes.h"

namespace kararisu {
namespace {

Rgb rgb(int r, int g, int b) {
    return {std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)};
}

TEST(FixedPalettes, SepiaScales) {
    Palette p = buildPalette(21, {});
    ASSERT_EQ(p.size(), 256u);
    EXPECT_EQ(p.at(0), rgb(36, 0, 0));
    EXPECT_EQ(p.at(219), rgb(255, 219, 183));
    EXPECT_EQ(p.at(255), rgb(255, 255, 219));
    p = buildPalette(24, {});
    ASSERT_EQ(p.size(), 16u);
    EXPECT_EQ(p.at(0), rgb(255, 255, 219));
    EXPECT_EQ(p.at(14), rgb(81, 45, 9));
    EXPECT_EQ(p.at(15), rgb(0, 0, 0));
}

TEST(FixedPalettes, SixteenLevelsStepByFifteen) {
    for (int mode : {8, 12, 16, 20}) {
        Palette p = buildPalette(mode, {});
        ASSERT_EQ(p.size(), 16u);
        for (int i = 0; i < 15; ++i) EXPECT_EQ(p.at(i), scaleColor(mode, 255 - 15 * i));
        EXPECT_EQ(p.at(15), rgb(0, 0, 0));
    }
    Palette grey = buildPalette(8, {});
    EXPECT_EQ(grey.at(14), rgb(45, 45, 45));
    for (const Rgb& c : grey.entries()) EXPECT_NE(c, rgb(30, 30, 30));
}

TEST(FixedPalettes, ScalesWithSystemColoursKeepLevelEqualToIndex) {
    const auto& sys = systemPalette();
    Palette red236 = buildPalette(10, {});
    EXPECT_EQ(red236.at(10), rgb(10, 0, 0));
    EXPECT_EQ(red236.at(245), rgb(245, 0, 0));
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(red236.at(i), sys[i]);
        EXPECT_EQ(red236.at(246 + i), sys[246 + i]);
    }
    Palette blue240 = buildPalette(19, {});
    EXPECT_EQ(blue240.at(8), rgb(0, 0, 8));
    EXPECT_EQ(blue240.at(247), rgb(0, 0, 247));
    EXPECT_EQ(blue240.at(7), sys[7]);
    EXPECT_EQ(blue240.at(248), sys[248]);
    Palette grey236 = buildPalette(6, {});
    EXPECT_EQ(grey236.at(9), sys[9]);
    EXPECT_EQ(grey236.at(100), rgb(100, 100, 100));
}

TEST(FixedPalettes, ChosenColoursAndFillers) {
    const auto& sys = systemPalette();
    std::vector<Rgb> chosen(256);
    for (int i = 0; i < 256; ++i) chosen[i] = rgb(i, 1, 2);
    Palette p0 = buildPalette(0, chosen);
    EXPECT_EQ(p0.entries(), chosen);
    Palette p1 = buildPalette(1, std::span(chosen).first(236));
    EXPECT_EQ(p1.at(10), chosen[0]);
    EXPECT_EQ(p1.at(245), chosen[235]);
    EXPECT_EQ(p1.at(246), sys[246]);
    Palette p2 = buildPalette(2, std::span(chosen).first(240));
    EXPECT_EQ(p2.at(8), chosen[0]);
    EXPECT_EQ(p2.at(247), chosen[239]);
    Palette p4 = buildPalette(4, std::span(chosen).first(16));
    EXPECT_EQ(p4.size(), 16u);
    EXPECT_EQ(p4.at(15), chosen[15]);

    Palette full25 = buildPalette(25, chosen);
    EXPECT_EQ(full25.entries(), chosen);
    Palette one25 = buildPalette(25, std::span(chosen).first(1));
    EXPECT_EQ(one25.at(0), chosen[0]);
    for (int i = 1; i < 256; ++i) EXPECT_EQ(one25.at(i), rgb(0, 0, 0));

    Palette full26 = buildPalette(26, std::span(chosen).first(240));
    for (int i = 8; i < 248; ++i) EXPECT_EQ(full26.at(i), chosen[i - 8]);
    Palette none26 = buildPalette(26, {});
    for (int i = 8; i < 248; ++i) EXPECT_EQ(none26.at(i), rgb(0, 0, 0));
    EXPECT_EQ(none26.at(0), sys[0]);
    EXPECT_EQ(none26.at(255), sys[255]);
}

TEST(FixedPalettes, SystemSixteen) {
    const auto& sys = systemPalette();
    Palette p = buildPalette(3, {});
    ASSERT_EQ(p.size(), 16u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(p.at(i), sys[i]);
        EXPECT_EQ(p.at(8 + i), sys[248 + i]);
    }
}

TEST(Modes, TableAndLabels) {
    EXPECT_EQ(modeInfo(3).colorCount, 0);
    EXPECT_STREQ(modeInfo(3).schemeName, "システム");
    for (int m = 0; m < kModeCount; ++m) {
        const bool sixteen = buildPalette(m, {}).size() == 16;
        EXPECT_EQ(sixteen, modeInfo(m).resultFormat == PixelFormat::Bpp4) << m;
    }
    EXPECT_EQ(modeLabel("ノーマル", 256), "ノーマル256");
    EXPECT_EQ(modeLabel("任意色１", 100), "任意色１100");
    EXPECT_EQ(modeLabel("システム", 0), "システム0");
    EXPECT_EQ(modeLabel("グレー", -1), "グレー65535");
    EXPECT_THROW(modeInfo(27), std::out_of_range);
}

}  // namespace
}  // namespace kararisu
