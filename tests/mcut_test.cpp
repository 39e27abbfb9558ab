// The sorts and the median cut, with expectations worked out by hand from
// the rules: thinning, the half-of-the-pixels split, the widest-last choice.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "reduce/mcut.h"
#include "reduce/tally_order.h"
#include "support/recording_reporter.h"

namespace kararisu {
namespace {

// The work-stack quicksort as first laid out, one range at a time on one
// thread. The fast sorts must give exactly the array it gives: the value
// sort any way it likes, the luminance sort by the same steps even where
// it shares ranges between the cores, so that colours of equal luminance
// end up where this leaves them.
template <typename T, typename Key>
void workStackSort(std::vector<T>& a, Key key) {
    std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> stack{{0, std::ptrdiff_t(a.size()) - 1}};
    while (!stack.empty()) {
        auto [lo, hi] = stack.back();
        stack.pop_back();
        if (lo >= hi) continue;
        auto x = key(a[(lo + hi) / 2]), y = key(a[lo]), z = key(a[hi]);
        if (x < y) std::swap(x, y);
        if (x > z) {
            std::swap(x, z);
            if (x < y) std::swap(x, y);
        }
        std::ptrdiff_t i = lo - 1, j = hi + 1;
        for (;;) {
            do ++i;
            while (x > key(a[i]));
            do --j;
            while (x < key(a[j]));
            if (j <= i) break;
            std::swap(a[i], a[j]);
        }
        stack.push_back({j + 1, hi});
        stack.push_back({lo, i - 1});
    }
}

void workStackSort(std::vector<std::int32_t>& a) {
    workStackSort(a, [](std::int32_t v) { return v; });
}

void workStackTallySort(std::vector<ColorTally>& a) {
    workStackSort(a, [](const ColorTally& t) { return luminance(std::uint32_t(t.color)); });
}

std::int32_t grey(int v) {
    return (v << 16) | (v << 8) | v;
}

TEST(Luminance, WeightsAndSinglePrecision) {
    EXPECT_EQ(luminance(0xffffff), 262.6499939f);
    EXPECT_EQ(luminance(0xff0000), 76.245f);
    EXPECT_EQ(luminance(0), 0.0f);
    // Three different colours of exactly equal luminance.
    EXPECT_EQ(luminance(0x000200), luminance(0x010102));
    EXPECT_EQ(luminance(0x000200), luminance(0x020004));
}

TEST(ColorValueSort, GivesTheWorkStackSortsArray) {
    std::mt19937 rng(7);
    WorkArea work;
    for (std::size_t n : {0u, 1u, 2u, 255u, 256u, 257u, 1000u, 100000u}) {
        for (int spread : {3, 1 << 24, -1}) {
            std::vector<std::int32_t> a(n);
            for (auto& v : a) {
                v = spread < 0 ? std::int32_t(rng()) : std::int32_t(rng() % unsigned(spread));
            }
            std::vector<std::int32_t> expected = a;
            workStackSort(expected);
            ASSERT_TRUE(colorValueSort(a, work));
            ASSERT_EQ(a, expected) << "n=" << n << " spread=" << spread;
        }
    }
}

TEST(ColorValueSort, RefusedWorkAreaShowsTheMessageOnce) {
    test::RecordingReporter reporter;
    WorkArea work(&reporter);
    work.setHook([](std::size_t) { return false; });
    std::vector<std::int32_t> a(5000, 1);
    EXPECT_FALSE(colorValueSort(a, work));
    EXPECT_TRUE(work.refused());
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text, "メモリが確保できません！！\nこの減色を終了します。");
    EXPECT_EQ(reporter.messages[0].caption, "警告：メモリが足りません！");
    EXPECT_EQ(reporter.messages[0].icon, MessageIcon::Stop);
}

TEST(TallySort, EqualLuminanceKeepsTheSchemesOrder) {
    // Worked through the pivot and partition steps by hand (and by a
    // separate transcription): the three colours of luminance 1.174 and the
    // three of 1.761 come out in this order.
    std::vector<ColorTally> t = {{0x020004, 1}, {0xffffff, 2}, {0x000200, 3}, {0x000201, 4},
                                 {0x010102, 5}, {0x102030, 6}, {0x020005, 7}, {0x010103, 8},
                                 {0x000300, 9}, {0x000000, 10}};
    const std::vector<ColorTally> expected = {
        {0x000000, 10}, {0x010102, 5}, {0x000200, 3}, {0x020004, 1}, {0x020005, 7},
        {0x010103, 8},  {0x000201, 4}, {0x000300, 9}, {0x102030, 6}, {0xffffff, 2}};
    WorkArea work;
    ASSERT_TRUE(tallySort(t, work));
    EXPECT_EQ(t, expected);
}

TEST(TallySort, LargeArraysKeepTheOneThreadOrder) {
    // Colours of few levels: many different colours share a luminance.
    std::mt19937 rng(9);
    WorkArea work;
    for (std::size_t n : {70000u, 300000u}) {
        std::vector<ColorTally> t(n);
        for (std::size_t i = 0; i < n; ++i) {
            t[i] = {std::int32_t(((rng() % 6) << 16) | ((rng() % 6) << 8) | (rng() % 12)),
                    std::int32_t(i)};
        }
        std::vector<ColorTally> expected = t;
        workStackTallySort(expected);
        ASSERT_TRUE(tallySort(t, work));
        ASSERT_EQ(t, expected) << n;
        // And on many distinct colours.
        for (std::size_t i = 0; i < n; ++i)
            t[i] = {std::int32_t(rng() & 0xffffff), std::int32_t(i)};
        expected = t;
        workStackTallySort(expected);
        ASSERT_TRUE(tallySort(t, work));
        ASSERT_EQ(t, expected) << n;
    }
}

TEST(TallySort, OrdersManyColoursByLuminance) {
    std::mt19937 rng(3);
    std::vector<ColorTally> t(50000);
    for (auto& x : t) x = {std::int32_t(rng() & 0xffffff), 1};
    // Already sorted, reversed and constant inputs must not break the stack.
    WorkArea work;
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(tallySort(t, work));
        for (std::size_t i = 1; i < t.size(); ++i) {
            ASSERT_LE(luminance(t[i - 1].color), luminance(t[i].color));
        }
        if (round == 0) std::reverse(t.begin(), t.end());
        if (round == 1) std::fill(t.begin(), t.end(), ColorTally{0x123456, 1});
    }
    std::vector<ColorTally> none;
    EXPECT_TRUE(tallySort(none, work));
}

std::vector<Rgb> cut(std::vector<ColorTally> t, std::size_t n, std::int64_t total = -1) {
    if (total < 0) {
        total = 0;
        for (auto& x : t) total += x.count;
    }
    std::vector<Rgb> out(n);
    WorkArea work;
    EXPECT_TRUE(medianCut(total, t, out, work));
    return out;
}

Rgb g(int v) {
    return {std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)};
}

TEST(MedianCut, DarkThinningDropsTheSmallerOfTwoNearColours) {
    // (2,2,2) x10 and (5,5,5) x3: d = 3, the second goes; N = 2 then holds
    // the survivor twice (an empty run before the last).
    auto out = cut({{grey(2), 10}, {grey(5), 3}, {grey(100), 10}}, 2);
    EXPECT_EQ(out, (std::vector<Rgb>{g(2), g(100)}));
    // Equal counts: the first (darker) goes.
    out = cut({{grey(2), 3}, {grey(5), 3}, {grey(100), 10}}, 2);
    EXPECT_EQ(out, (std::vector<Rgb>{g(5), g(100)}));
    // (0,0,0) and (18,0,0): d = 6, both stay.
    out = cut({{0, 5}, {0x120000, 5}, {grey(100), 5}}, 3);
    EXPECT_EQ(out, (std::vector<Rgb>{Rgb{0, 0, 0}, Rgb{18, 0, 0}, g(100)}));
}

TEST(MedianCut, BrightThinningOnlyAboveTwoSixty) {
    // 250 grey is 257.5: not thinned though only 5 apart from 245.
    auto out = cut({{grey(245), 1}, {grey(250), 1}, {grey(10), 1}, {grey(20), 1}}, 4);
    EXPECT_EQ(out, (std::vector<Rgb>{g(10), g(20), g(245), g(250)}));
    // 253 (260.6) and 255 (262.65): the one with fewer pixels goes.
    out = cut({{grey(253), 4}, {grey(255), 2}, {grey(10), 1}, {grey(20), 1}}, 3);
    EXPECT_EQ(out, (std::vector<Rgb>{g(10), g(20), g(253)}));
}

TEST(MedianCut, SplitsWhereHalfThePixelsLie) {
    // Counts 1, 1, 100, T = 102: half is reached at the heavy colour, which
    // opens a run of its own.
    EXPECT_EQ(cut({{grey(50), 1}, {grey(60), 1}, {grey(70), 100}}, 2),
              (std::vector<Rgb>{g(60), g(70)}));
    // The first colour alone holds half: the boundary is after it.
    EXPECT_EQ(cut({{grey(50), 60}, {grey(60), 20}, {grey(70), 20}}, 2),
              (std::vector<Rgb>{g(50), g(70)}));
    // Thirteen single pixels, N = 3: runs [0,6) [6,9) [9,13) after the wider
    // second run is split; middles 3, 7 and 11.
    std::vector<ColorTally> t;
    for (int i = 0; i < 13; ++i) t.push_back({grey(20 + 10 * i), 1});
    EXPECT_EQ(cut(t, 3), (std::vector<Rgb>{g(50), g(90), g(130)}));
}

TEST(MedianCut, DroppedPixelsStillCountInTheFirstTotal) {
    // The whole-image total 1000 makes half 500, reached only at the end:
    // the boundary falls before the last colour.
    EXPECT_EQ(cut({{grey(50), 1}, {grey(60), 1}, {grey(70), 1}}, 2, 1000),
              (std::vector<Rgb>{g(60), g(70)}));
}

TEST(MedianCut, FewerKeptColoursThanWantedRepeatsTheBrightest) {
    EXPECT_EQ(cut({{grey(100), 1}, {grey(50), 1}, {grey(150), 1}}, 5),
              (std::vector<Rgb>{g(50), g(100), g(150), g(150), g(150)}));
    // N = 1: no split, the middle colour of the whole list.
    EXPECT_EQ(cut({{grey(50), 1}, {grey(60), 1}, {grey(70), 1}, {grey(80), 1}}, 1),
              (std::vector<Rgb>{g(70)}));
    // N = 0 writes nothing.
    EXPECT_TRUE(cut({{grey(50), 1}, {grey(60), 1}}, 0).empty());
}

// The cut as first laid out: the whole list sorted, both ends thinned in
// it, the kept colours gathered, each run's pixels added up one by one.
std::vector<Rgb> wholeListCut(std::vector<ColorTally> t, std::size_t wanted, std::int64_t total) {
    workStackTallySort(t);
    const auto n = std::ptrdiff_t(t.size());
    auto lum = [&](std::ptrdiff_t i) { return luminance(std::uint32_t(t[std::size_t(i)].color)); };
    std::ptrdiff_t darkEnd = 0, brightStart = n;
    while (darkEnd < n && lum(darkEnd) < 10.0f) ++darkEnd;
    while (brightStart > 0 && lum(brightStart - 1) > 260.0f) --brightStart;
    auto near = [&](std::size_t p, std::size_t q, int limit) {
        int d = 0;
        for (int shift : {16, 8, 0})
            d += std::abs((t[p].color >> shift & 0xff) - (t[q].color >> shift & 0xff));
        return d / 3 <= limit;
    };
    auto thin = [&](std::ptrdiff_t first, std::ptrdiff_t step, int limit, auto inEnd) {
        for (std::ptrdiff_t p = first; inEnd(p); p += step)
            for (std::ptrdiff_t q = p + step; inEnd(q); q += step) {
                auto &a = t[std::size_t(p)], &b = t[std::size_t(q)];
                if (b.count <= 0 || !near(std::size_t(p), std::size_t(q), limit)) continue;
                if (a.count > b.count) {
                    b.count = 0;
                } else {
                    a.count = 0;
                    break;
                }
            }
    };
    thin(0, 1, 5, [&](std::ptrdiff_t p) { return p < darkEnd; });
    thin(n - 1, -1, 10, [&](std::ptrdiff_t p) { return p >= brightStart; });
    std::erase_if(t, [](const ColorTally& x) { return x.count <= 0; });
    std::vector<std::int32_t> bounds{0, std::int32_t(t.size())};
    std::int32_t lo = 0, hi = bounds[1];
    while (bounds.size() - 1 < wanted) {
        std::int32_t cut = lo;
        if (hi - lo > 1) {
            std::int64_t sum = 0;
            std::int32_t j = lo;
            for (; j < hi; ++j)
                if ((sum += t[std::size_t(j)].count) >= (total + 1) / 2) break;
            cut = j == lo ? lo + 1 : j == hi ? hi - 1 : j;
        }
        bounds.insert(std::upper_bound(bounds.begin(), bounds.end(), cut), cut);
        std::size_t widest = 1;
        for (std::size_t k = 1; k < bounds.size(); ++k)
            if (bounds[k] - bounds[k - 1] >= bounds[widest] - bounds[widest - 1]) widest = k;
        lo = bounds[widest - 1];
        hi = bounds[widest];
        total = 0;
        for (std::int32_t j = lo; j < hi; ++j) total += t[std::size_t(j)].count;
    }
    std::vector<Rgb> out;
    for (std::size_t k = 1; k < bounds.size(); ++k)
        out.push_back(Rgb::fromValue(
            std::uint32_t(t[std::size_t(bounds[k - 1] + (bounds[k] - bounds[k - 1]) / 2)].color)));
    return out;
}

TEST(MedianCut, ManyColoursGiveTheWholeListsCut) {
    // The cut sorts only around the places it looks at; every palette must
    // be the one the whole sorted list gives. Colours of 64 levels share
    // luminances in large groups, the cut's ties; dark and bright ends are
    // there to thin, and some counts need more than the packed bits.
    std::mt19937 rng(5);
    std::vector<ColorTally> all;
    auto level = [](std::uint32_t v) { return v == 63 ? 255u : v * 4; };
    for (std::uint32_t c = 0; c < (1u << 18); ++c)
        if (rng() % 4 != 0)
            all.push_back(
                {std::int32_t(level(c >> 12) << 16 | level(c >> 6 & 63) << 8 | level(c & 63)),
                 std::int32_t(rng() % 64 == 0 ? 8000 + rng() % 50000 : 1 + rng() % 40)});
    std::shuffle(all.begin(), all.end(), rng);
    for (std::size_t n : {std::size_t(3000), all.size()}) {
        const std::vector<ColorTally> t(all.begin(), all.begin() + std::ptrdiff_t(n));
        std::int64_t total = 0;
        for (const ColorTally& x : t) total += x.count;
        for (std::size_t wanted : {1u, 2u, 16u, 255u, 256u}) {
            ASSERT_EQ(cut(t, wanted, total + 77), wholeListCut(t, wanted, total + 77))
                << n << " colours, " << wanted << " wanted";
        }
    }
}

TEST(MedianCut, RefusedStackLeavesThePaletteUntouched) {
    test::RecordingReporter reporter;
    WorkArea work(&reporter);
    work.setHook([](std::size_t) { return false; });
    std::vector<ColorTally> t = {{grey(50), 1}, {grey(60), 1}, {grey(70), 1}};
    std::vector<Rgb> out(2, Rgb{1, 2, 3});
    EXPECT_FALSE(medianCut(3, t, out, work));
    EXPECT_EQ(out, (std::vector<Rgb>(2, Rgb{1, 2, 3})));
    EXPECT_EQ(reporter.messages.size(), 1u);
}

}  // namespace
}  // namespace kararisu
