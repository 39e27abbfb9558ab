// Palette refinement: never worse than the palette it starts from, entries
// outside the free range left alone, empty entries put back to use, and the
// engines' labels for refined results.

#include <gtest/gtest.h>

#include <random>

#include "reduce/engines.h"
#include "reduce/fixed_palettes.h"
#include "reduce/modes.h"
#include "reduce/refine.h"
#include "reduce/survey.h"
#include "support/pictures.h"
#include "support/recording_monitor.h"
#include "support/recording_reporter.h"

namespace kararisu {
namespace {

using test::rgb;

std::vector<ColorTally> randomTallies(std::mt19937& rng, std::size_t n) {
    std::uniform_int_distribution<std::uint32_t> colour(0, 0xffffff);
    std::uniform_int_distribution<std::int32_t> count(1, 60);
    std::vector<ColorTally> t;
    while (t.size() < n) {
        const std::uint32_t c = colour(rng);
        t.push_back({std::int32_t(c), count(rng)});
    }
    std::sort(t.begin(), t.end(), [](auto a, auto b) { return a.color < b.color; });
    t.erase(std::unique(t.begin(), t.end(), [](auto a, auto b) { return a.color == b.color; }),
            t.end());
    return t;
}

// Smooth gradients with noise and a few flat patches, like a photo: many
// colours close together.
Bitmap photoLike(int w, int h, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0, 6);
    Bitmap b(w, h, PixelFormat::Bpp32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            auto ch = [&](double v) {
                return std::uint32_t(std::clamp(v + noise(rng), 0.0, 255.0));
            };
            const bool patch = (x / 16 + y / 16) % 7 == 0;
            const std::uint32_t r = patch ? 200 : ch(255.0 * x / w);
            const std::uint32_t g = patch ? 30 : ch(128 + 100 * std::sin(y * 0.05));
            const std::uint32_t bl = patch ? 60 : ch(255.0 * (x + y) / (w + h));
            b.row32(y)[x] = (r << 16) | (g << 8) | bl;
        }
    return b;
}

std::vector<ColorTally> tallyOf(const Bitmap& b) {
    WorkArea work;
    ColorSurvey survey;
    EXPECT_TRUE(survey.count(b, work));
    return {survey.tallies().begin(), survey.tallies().end()};
}

TEST(Refine, NeverWorseOnRandomTalliesAndFixedEntriesStay) {
    std::mt19937 rng(7);
    for (int trial = 0; trial < 12; ++trial) {
        const std::vector<ColorTally> t = randomTallies(rng, 500 + 700 * std::size_t(trial));
        const std::size_t size = trial % 3 == 0 ? 16 : trial % 3 == 1 ? 64 : 256;
        std::vector<Rgb> entries(size);
        std::uniform_int_distribution<std::uint32_t> colour(0, 0xffffff);
        for (Rgb& e : entries) e = Rgb::fromValue(colour(rng));
        const std::size_t first = trial % 2 ? 4 : 0;
        const std::size_t count = size - 2 * first;
        const std::vector<Rgb> given = entries;
        const std::uint64_t before = paletteError(t, given);
        const RefineReport report = refinePalette(t, entries, first, count);
        EXPECT_EQ(report.before, before);
        const std::uint64_t after = paletteError(t, entries);
        EXPECT_LE(after, before) << "trial " << trial;
        EXPECT_LT(after, before) << "random entries always leave room";
        for (std::size_t k = 0; k < size; ++k)
            if (k < first || k >= first + count) {
                EXPECT_EQ(entries[k], given[k]);
            }
        // The same input gives the same palette.
        std::vector<Rgb> again = given;
        refinePalette(t, again, first, count);
        EXPECT_EQ(again, entries);
    }
}

TEST(Refine, MeasuresExactlyWhereBinsHoldManyColoursNearTheirBorders) {
    // Every colour of a 24-wide cube, so each bin is full, with entries
    // packed among them: many bins straddle the border between entries.
    std::mt19937 rng(11);
    std::vector<ColorTally> t;
    for (int r = 100; r < 124; ++r)
        for (int g = 40; g < 64; ++g)
            for (int b = 200; b < 224; ++b)
                t.push_back({std::int32_t(rgb(r, g, b).value()), std::int32_t(1 + rng() % 9)});
    for (std::size_t size : {7u, 64u, 256u}) {
        std::vector<Rgb> entries(size);
        std::uniform_int_distribution<int> at(0, 23);
        for (Rgb& e : entries)
            e = Rgb{std::uint8_t(100 + at(rng)), std::uint8_t(40 + at(rng)),
                    std::uint8_t(200 + at(rng))};
        const std::uint64_t before = paletteError(t, entries);
        std::vector<Rgb> refined = entries;
        const RefineReport report = refinePalette(t, refined, 0, size);
        EXPECT_EQ(report.before, before) << size << " entries";
        EXPECT_LE(paletteError(t, refined), report.last) << size << " entries";
    }
}

// The median cut's colours of a picture, and the same refined by the plain
// k-means alone, on the tallies as the refinement weighs them.
struct Refined {
    std::vector<Rgb> chosen, plain;
};
Refined refinedBoth(const Bitmap& b, const std::vector<ColorTally>& t, std::size_t n) {
    Refined r{std::vector<Rgb>(n, Rgb{}), {}};
    std::vector<ColorTally> cut = t;
    WorkArea work;
    EXPECT_TRUE(medianCut(std::int64_t(b.width()) * b.height(), cut, r.chosen, work));
    r.plain = r.chosen;
    refinePalette(darkWeighted(t), r.plain, 0, n);
    refineChosen(t, 25, r.chosen);
    return r;
}

TEST(Refine, FlatColoursAreTriedAsFixedEntriesAndKeptOnlyWhenCloser) {
    // Flat colours in stripes, each edge a blend, as in a drawing.
    constexpr int kStripes = 40, kWide = 30, kBlend = 2, kHigh = 60;
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> level(0, 255);
    std::vector<Rgb> flat;
    for (int i = 0; i < kStripes; ++i) flat.push_back(rgb(level(rng), level(rng), level(rng)));
    Bitmap art(kStripes * kWide, kHigh, PixelFormat::Bpp32);
    for (int y = 0; y < kHigh; ++y)
        for (int x = 0; x < art.width(); ++x) {
            const int stripe = x / kWide, into = x % kWide;
            Rgb c = flat[std::size_t(stripe)];
            if (into >= kWide - kBlend && stripe + 1 < kStripes) {
                const Rgb n = flat[std::size_t(stripe + 1)];
                const int f = (into - (kWide - kBlend)) * kHigh + y, all = kBlend * kHigh;
                auto mix = [&](int a, int b) {
                    return std::uint8_t((a * (all - f) + b * f) / all);
                };
                c = Rgb{mix(c.r, n.r), mix(c.g, n.g), mix(c.b, n.b)};
            }
            art.row32(y)[x] = c.value();
        }
    const std::vector<ColorTally> artTally = tallyOf(art);
    for (std::size_t n : {16u, 64u, 200u}) {
        const Refined r = refinedBoth(art, artTally, n);
        const LargeVector<ColorTally> weighed = darkWeighted(artTally);
        EXPECT_LE(paletteError(weighed, r.chosen), paletteError(weighed, r.plain)) << n;
    }
    // On a photo-like picture fixing its flat patch does not help: refined
    // as ever.
    const Bitmap photo = photoLike(160, 120, 9);
    const std::vector<ColorTally> photoTally = tallyOf(photo);
    const Refined p = refinedBoth(photo, photoTally, 64);
    EXPECT_EQ(p.chosen, p.plain);
}

TEST(Refine, MedianCutPalettesOfEveryAdaptiveModeOnAPhotoLikePicture) {
    const Bitmap photo = photoLike(320, 240, 3);
    const std::vector<ColorTally> t = tallyOf(photo);
    ASSERT_GT(t.size(), 256u);
    for (int mode : {0, 1, 2, 4, 25, 26}) {
        const int n = isFreeCountMode(mode) ? (mode == 25 ? 40 : 100) : modeInfo(mode).colorCount;
        std::vector<Rgb> chosen(std::size_t(n), Rgb{});
        std::vector<ColorTally> cut = t;
        WorkArea work;
        ASSERT_TRUE(medianCut(std::int64_t(320) * 240, cut, chosen, work));
        const Palette given = buildPalette(mode, chosen);
        refineChosen(t, mode, chosen);
        const Palette refined = buildPalette(mode, chosen);
        const std::uint64_t before = paletteError(t, given.entries());
        const std::uint64_t after = paletteError(t, refined.entries());
        EXPECT_LT(after, before) << "mode " << mode;
        // Mostly a large gain: the cut leaves far more than a few percent.
        EXPECT_LT(double(after), 0.8 * double(before)) << "mode " << mode;
        // System colours and fillers where the mode puts them.
        const auto& sys = systemPalette();
        for (std::size_t i = 0; i < refined.size(); ++i) {
            const bool free = mode == 1    ? (i >= 10 && i < 246)
                              : mode == 2  ? (i >= 8 && i < 248)
                              : mode == 26 ? (i >= 8 && i < 8 + std::size_t(n))
                                           : i < std::size_t(n);
            if (free) continue;
            const Rgb expected = (mode == 1 || mode == 2 || mode == 26) && (i < 10 || i >= 246)
                                     ? given.at(i)
                                     : Rgb{};
            EXPECT_EQ(refined.at(i), expected) << "mode " << mode << " entry " << i;
            if (mode == 1 && (i < 10 || i >= 246)) {
                EXPECT_EQ(refined.at(i), sys[i]);
            }
        }
    }
}

TEST(Refine, EmptyEntriesTakeTheWorstServedColours) {
    // Every entry the same: all but the first lose their colours at once
    // and must be put where the error is.
    std::vector<ColorTally> t;
    for (int i = 0; i < 64; ++i) t.push_back({std::int32_t((i * 4) << 16 | (255 - i * 4)), 5});
    std::vector<Rgb> entries(8, rgb(0, 0, 0));
    const std::uint64_t before = paletteError(t, entries);
    refinePalette(t, entries, 0, entries.size());
    std::vector<Rgb> distinct = entries;
    std::sort(distinct.begin(), distinct.end(), [](Rgb a, Rgb b) { return a.value() < b.value(); });
    EXPECT_EQ(std::unique(distinct.begin(), distinct.end()), distinct.end());
    EXPECT_LT(paletteError(t, entries), before / 20);
}

TEST(Refine, NothingToDoLeavesThePaletteAlone) {
    const std::vector<ColorTally> t = {{0x102030, 4}, {0x405060, 2}};
    std::vector<Rgb> entries = {Rgb::fromValue(0x102030), Rgb::fromValue(0x405060), rgb(9, 9, 9)};
    const std::vector<Rgb> given = entries;
    EXPECT_EQ(refinePalette(t, entries, 0, 3).before, 0u);
    EXPECT_EQ(entries, given);
    EXPECT_EQ(refinePalette({}, entries, 0, 3).rounds, 0);
    EXPECT_EQ(refinePalette(t, entries, 3, 5).rounds, 0);
}

struct Harness {
    test::RecordingMonitor monitor;
    test::RecordingReporter reporter;
    CollectingSink sink;
    WorkArea work{&reporter};
    RunContext ctx{monitor, reporter, sink, work, false};
};

std::uint64_t resultError(const Bitmap& source, const Bitmap& result) {
    std::uint64_t e = 0;
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            const Rgb a = Rgb::fromValue(source.pixelValue(x, y));
            const Rgb b = Rgb::fromValue(result.pixelValue(x, y));
            const int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
            e += std::uint64_t(dr * dr + dg * dg + db * db);
        }
    return e;
}

TEST(Refine, EnginesMarkTheLabelAndNameRefinedResultsApart) {
    const Bitmap photo = photoLike(200, 150, 11);
    Harness run;
    std::vector<ReductionTarget> t = {{"p.bmp", "/x/p.bmp", &photo, {}}};
    ReductionSettings plain{4, 16, "ノーマル"};
    ReductionSettings refined = plain;
    refined.refine = true;
    ASSERT_EQ(individualReduction(t, plain, run.ctx), RunEnd::Completed);
    ASSERT_EQ(individualReduction(t, refined, run.ctx), RunEnd::Completed);
    ASSERT_EQ(referenceUnification(t, 0, refined, run.ctx), RunEnd::Completed);
    const auto& r = run.sink.results();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].modeLabel, "ノーマル16");
    EXPECT_EQ(r[1].modeLabel, "ノーマル16+HQ");
    EXPECT_EQ(r[0].paletteName, "p(1)");
    EXPECT_EQ(r[1].paletteName, "p(2)");
    EXPECT_EQ(r[2].paletteName, "p(PG1)");
    EXPECT_EQ(r[1].bitmap.format(), PixelFormat::Bpp4);
    EXPECT_LT(resultError(photo, r[1].bitmap), resultError(photo, r[0].bitmap));
    // The reference's palette is refined the same way.
    EXPECT_EQ(r[2].bitmap.palette(), r[1].bitmap.palette());
    // A fixed palette has nothing to refine and says nothing of it.
    ReductionSettings grey{5, 256, "グレー", true};
    ASSERT_EQ(individualReduction(t, grey, run.ctx), RunEnd::Completed);
    EXPECT_EQ(run.sink.results().back().modeLabel, "グレー256");
}

}  // namespace
}  // namespace kararisu
