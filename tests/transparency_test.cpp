// Reductions of pictures with transparent pixels: which entry is kept for
// them, that the opaque pixels never take it, that the colours are chosen
// from the opaque pixels alone, and that a picture without transparent
// pixels reduces exactly as before.
#include <gtest/gtest.h>

#include "reduce/engines.h"
#include "reduce/fixed_palettes.h"
#include "reduce/modes.h"
#include "reduce/transparency.h"
#include "support/pictures.h"
#include "support/recording_monitor.h"
#include "support/recording_reporter.h"

namespace kararisu {
namespace {

using test::rgb;

struct Harness {
    test::RecordingMonitor monitor;
    test::RecordingReporter reporter;
    CollectingSink sink;
    WorkArea work{&reporter};
    RunContext ctx{monitor, reporter, sink, work, false};
};

ReductionSettings settingsFor(int mode, int freeCount = 0, Dither dither = Dither::None) {
    const ModeInfo& m = modeInfo(mode);
    return {mode, isFreeCountMode(mode) ? freeCount : m.colorCount, m.schemeName, false, dither};
}

// `colours` cycled over w x h pixels at 32 bits; the pixels of the rows in
// `clearRows` are transparent and hold `hidden`.
Bitmap withClearRows(const std::vector<Rgb>& colours, int w, int h, std::vector<int> clearRows,
                     Rgb hidden = rgb(1, 2, 3)) {
    Bitmap b = test::picture(colours, w, h);
    b.setFormat(PixelFormat::Bpp32);
    for (int y : clearRows)
        for (int x = 0; x < w; ++x) {
            b.row32(y)[x] = hidden.value();
            b.writableMaskRow(y)[x] = 1;
        }
    return b;
}

Bitmap reduceOne(const Bitmap& image, const ReductionSettings& s) {
    Harness run;
    std::vector<ReductionTarget> t = {{"a.png", "a.png", &image, {}, ImageFormat::Png}};
    EXPECT_EQ(individualReduction(t, s, run.ctx), RunEnd::Completed);
    EXPECT_EQ(run.sink.results().at(0).format, ImageFormat::Png);
    return std::move(run.sink.results().at(0).bitmap);
}

// Every transparent pixel on the entry, no opaque one.
void expectOnlyTransparentPixelsOn(const Bitmap& source, const Bitmap& result, unsigned entry) {
    ASSERT_TRUE(result.isTransparentEntry(entry));
    EXPECT_EQ(result.firstTransparentEntry(), int(entry));
    for (int y = 0; y < result.height(); ++y)
        for (int x = 0; x < result.width(); ++x)
            ASSERT_EQ(result.index(x, y) == entry, source.isTransparent(x, y)) << x << "," << y;
}

std::vector<Rgb> ramp(int n) {
    std::vector<Rgb> c;
    for (int i = 0; i < n; ++i) c.push_back(rgb(i % 256, (i * 3) % 256, (i * 7) % 256));
    return c;
}

}  // namespace

TEST(TransparentEntry, TheLastEntryTheModesColoursFill) {
    EXPECT_EQ(transparentEntryOf(0, 256), 255u);
    EXPECT_EQ(transparentEntryOf(1, 236), 245u);
    EXPECT_EQ(transparentEntryOf(2, 240), 247u);
    EXPECT_EQ(transparentEntryOf(4, 16), 15u);
    EXPECT_EQ(transparentEntryOf(25, 64), 63u);
    EXPECT_EQ(transparentEntryOf(25, 1), 0u);
    EXPECT_EQ(transparentEntryOf(26, 0), 8u);
    EXPECT_EQ(transparentEntryOf(26, 100), 107u);
    EXPECT_EQ(transparentEntryOf(3, 0), 15u);
    EXPECT_EQ(transparentEntryOf(5, 256), 255u);
    EXPECT_EQ(transparentEntryOf(10, 236), 245u);
    EXPECT_EQ(transparentEntryOf(15, 240), 247u);
    EXPECT_EQ(transparentEntryOf(24, 16), 15u);
}

TEST(TransparentReduction, FewOpaqueColoursAreThePaletteAndTheLastEntryIsTheirs) {
    const std::vector<Rgb> colours = {rgb(200, 0, 0), rgb(0, 200, 0), rgb(0, 0, 200)};
    const Bitmap image = withClearRows(colours, 6, 4, {1, 2}, rgb(9, 9, 9));
    const Bitmap r = reduceOne(image, settingsFor(0));
    // The hidden colour is no chosen colour: only the three opaque ones are.
    EXPECT_EQ(r.palette().at(0), rgb(0, 0, 200));
    EXPECT_EQ(r.palette().at(2), rgb(200, 0, 0));
    EXPECT_EQ(r.palette().at(3), rgb(0, 0, 0));
    EXPECT_EQ(r.palette().at(255), rgb(9, 9, 9));
    expectOnlyTransparentPixelsOn(image, r, 255);
    for (int x = 0; x < 6; ++x) EXPECT_EQ(r.pixelValue(x, 0), image.pixelValue(x, 0));
}

TEST(TransparentReduction, ItCountsAgainstTheColourCount) {
    // Sixteen opaque colours in mode 4: one entry is the transparent one, so
    // fifteen are cut from them, as mode 25 cuts fifteen from the opaque
    // pixels alone.
    const Bitmap image = withClearRows(ramp(16), 16, 3, {2});
    const Bitmap r = reduceOne(image, settingsFor(4));
    EXPECT_EQ(r.format(), PixelFormat::Bpp4);
    expectOnlyTransparentPixelsOn(image, r, 15);
    const Bitmap fifteen = reduceOne(test::picture(ramp(16), 16, 2), settingsFor(25, 15));
    for (std::size_t i = 0; i < 15; ++i) EXPECT_EQ(r.palette().at(i), fifteen.palette().at(i)) << i;
    // Mode 25 with one colour: the only chosen entry is the transparent
    // one, and opaque pixels take the black fillers.
    const Bitmap one = reduceOne(image, settingsFor(25, 1));
    expectOnlyTransparentPixelsOn(image, one, 0);
    EXPECT_EQ(one.index(3, 0), 1u);
}

TEST(TransparentReduction, FixedPalettesGiveUpTheirLastFreeEntry) {
    const Bitmap image = withClearRows({rgb(255, 255, 255), rgb(60, 60, 60)}, 4, 2, {1});
    // Grey 256: white is entry 255, kept for transparency; white pixels take 254.
    const Bitmap grey = reduceOne(image, settingsFor(5));
    expectOnlyTransparentPixelsOn(image, grey, 255);
    EXPECT_EQ(grey.index(0, 0), 254u);
    EXPECT_EQ(grey.palette().at(255), rgb(1, 2, 3));
    // Grey 236 beside the system colours: matched on the whole scale first,
    // then onto the palette without entry 245.
    const Bitmap system = reduceOne(image, settingsFor(6));
    expectOnlyTransparentPixelsOn(image, system, 245);
    EXPECT_EQ(system.palette().at(246), systemPalette()[246]);
    // The sixteen system colours: the last one.
    expectOnlyTransparentPixelsOn(image, reduceOne(image, settingsFor(3)), 15);
}

TEST(TransparentReduction, DitheredPixelsNeverTakeTheEntry) {
    const Bitmap image = withClearRows(ramp(300), 30, 20, {0, 7, 19});
    for (Dither d : {Dither::FloydSteinberg, Dither::Ordered})
        expectOnlyTransparentPixelsOn(image, reduceOne(image, settingsFor(4, 0, d)), 15);
}

TEST(TransparentReduction, DiffusionCarriesNoErrorThroughTransparentPixels) {
    // The hidden colours differ; the opaque pixels, their palette and
    // every colour they take must not.
    const Bitmap dark = withClearRows(ramp(300), 30, 20, {0, 7, 8, 19}, rgb(1, 2, 3));
    Bitmap bright = withClearRows(ramp(300), 30, 20, {0, 7, 8, 19}, rgb(250, 250, 5));
    for (int x = 0; x < 30; x += 3) bright.row32(7)[x] = rgb(0, 255, 0).value();
    for (Dither d : {Dither::FloydSteinberg, Dither::Auto}) {
        const Bitmap a = reduceOne(dark, settingsFor(4, 0, d));
        const Bitmap b = reduceOne(bright, settingsFor(4, 0, d));
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x) {
                if (dark.isTransparent(x, y)) continue;
                ASSERT_EQ(a.pixelValue(x, y), b.pixelValue(x, y)) << int(d) << " " << x << "," << y;
            }
    }
}

TEST(TransparentReduction, WithoutTransparentPixelsTheResultIsTheSameAsEver) {
    const Bitmap plain = test::picture(ramp(700), 35, 20);
    Bitmap marked = plain;
    marked.setFormat(PixelFormat::Bpp8);  // a palette of system colours, then matched
    const Bitmap before = reduceOne(marked, settingsFor(0));
    // An entry marked transparent that no pixel uses changes nothing.
    marked.setTransparentEntry(200);
    for (int y = 0; y < marked.height(); ++y)
        for (int x = 0; x < marked.width(); ++x) ASSERT_NE(marked.index(x, y), 200u);
    const Bitmap after = reduceOne(marked, settingsFor(0));
    EXPECT_EQ(after, before);
    EXPECT_FALSE(after.hasTransparency());
}

TEST(TransparentReduction, TheReferenceDecidesForEveryImageOfAUnification) {
    const Bitmap ref = withClearRows(ramp(40), 10, 6, {0});
    const Bitmap clearTarget = withClearRows(ramp(90), 9, 5, {4});
    const Bitmap opaqueTarget = test::picture(ramp(50), 10, 5);
    Harness run;
    std::vector<ReductionTarget> t = {{"r.png", "r.png", &ref, {}},
                                      {"c.png", "c.png", &clearTarget, {}},
                                      {"o.bmp", "o.bmp", &opaqueTarget, {}}};
    ASSERT_EQ(referenceUnification(t, 0, settingsFor(0), run.ctx), RunEnd::Completed);
    const auto& results = run.sink.results();
    ASSERT_EQ(results.size(), 3u);
    for (const Result& r : results) EXPECT_EQ(r.bitmap.palette(), results[0].bitmap.palette());
    expectOnlyTransparentPixelsOn(ref, results[0].bitmap, 255);
    expectOnlyTransparentPixelsOn(clearTarget, results[1].bitmap, 255);
    expectOnlyTransparentPixelsOn(opaqueTarget, results[2].bitmap, 255);
    // An opaque reference keeps no entry: a target's transparent pixels are
    // matched by their colour.
    Harness opaque;
    std::vector<ReductionTarget> u = {{"o.bmp", "o.bmp", &opaqueTarget, {}},
                                      {"c.png", "c.png", &clearTarget, {}}};
    ASSERT_EQ(referenceUnification(u, 0, settingsFor(0), opaque.ctx), RunEnd::Completed);
    EXPECT_FALSE(opaque.sink.results()[1].bitmap.hasTransparency());
}

TEST(TransparentReduction, TheEntryHoldsTheCommonestHiddenColour) {
    Bitmap image = withClearRows(ramp(20), 5, 4, {1, 2}, rgb(7, 7, 7));
    image.row32(2)[0] = rgb(50, 50, 50).value();
    const Bitmap r = reduceOne(image, settingsFor(0));
    EXPECT_EQ(r.palette().at(255), rgb(7, 7, 7));
}

}  // namespace kararisu
