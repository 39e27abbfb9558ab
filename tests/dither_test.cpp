// Dithering: exact where the palette holds the colours, the right mix where
// it does not, on every paletted depth, and through the engines and the
// batch tool.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>

#include "reduce/dither.h"
#include "reduce/engines.h"
#include "reduce/mcut.h"
#include "reduce/modes.h"
#include "reduce/refine.h"
#include "reduce/survey.h"
#include "support/cli_runner.h"
#include "support/pictures.h"
#include "support/recording_monitor.h"
#include "support/recording_reporter.h"
#include "worklists/bmp/bmp.h"
#include "worklists/color_match.h"

namespace kararisu {
namespace {

using test::rgb;

Bitmap flat(int w, int h, Rgb c) {
    return test::picture({c}, w, h);
}

std::size_t countOf(const Bitmap& b, unsigned index) {
    std::size_t n = 0;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) n += b.index(x, y) == index;
    return n;
}

// A picture with smooth areas, edges and fine texture, of two bands.
Bitmap photoLike(int w, int h) {
    Bitmap b(w, h, PixelFormat::Bpp32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int r = (x * 255) / w, g = (y * 200) / h + ((x / 40 + y / 40) % 2) * 40;
            const int t = int((std::uint32_t(x * 7919 + y * 104729) * 2654435761u) >> 28);
            b.row32(y)[x] = rgb(r, std::min(g, 255), x > w / 2 ? 60 + t : 120).value();
        }
    return b;
}

std::uint64_t hashOfIndices(const Bitmap& b) {
    std::uint64_t h = 14695981039346656037ull;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) h = (h ^ b.index(x, y)) * 1099511628211ull;
    return h;
}

std::vector<Rgb> spreadPalette(int n) {
    std::vector<Rgb> p;
    for (int i = 0; i < n; ++i) p.push_back(rgb((i * 53) % 256, (i * 97) % 256, (i * 31) % 256));
    return p;
}

// Floyd–Steinberg as the textbook gives it, each colour matched against
// every entry: serpentine rows, errors in sixteenths, and the picture's
// bands (of 256 rows, at most 16) each started eight rows early.
Bitmap textbookFloydSteinberg(const Bitmap& picture, const Palette& palette, PixelFormat format) {
    const int w = picture.width(), h = picture.height();
    Bitmap out(w, h, format);
    out.setPaletteEntries(palette);
    const int bands = std::clamp(h / 256, 1, 16);
    for (int band = 0; band < bands; ++band) {
        const int first = h * band / bands, last = h * (band + 1) / bands;
        std::vector<std::array<int, 3>> cur(std::size_t(w + 2)), next(std::size_t(w + 2));
        for (int y = std::max(0, first - 8); y < last; ++y) {
            const int dir = (y & 1) ? -1 : 1;
            for (int n = 0, x = dir > 0 ? 0 : w - 1; n < w; ++n, x += dir) {
                const Rgb c = Rgb::fromValue(picture.row32(y)[x]);
                const std::array<int, 3>& e = cur[std::size_t(x + 1)];
                const int r = std::clamp(c.r + ((e[0] + 8) >> 4), 0, 255);
                const int g = std::clamp(c.g + ((e[1] + 8) >> 4), 0, 255);
                const int b = std::clamp(c.b + ((e[2] + 8) >> 4), 0, 255);
                const unsigned k = nearestBruteForce(palette, rgb(r, g, b).value());
                if (y >= first) out.setIndex(x, y, k);
                const Rgb p = palette.at(k);
                const int err[3] = {r - p.r, g - p.g, b - p.b};
                for (int ch = 0; ch < 3; ++ch) {
                    cur[std::size_t(x + 1 + dir)][std::size_t(ch)] += 7 * err[ch];
                    next[std::size_t(x + 1 - dir)][std::size_t(ch)] += 3 * err[ch];
                    next[std::size_t(x + 1)][std::size_t(ch)] += 5 * err[ch];
                    next[std::size_t(x + 1 + dir)][std::size_t(ch)] += err[ch];
                }
            }
            cur.swap(next);
            std::fill(next.begin(), next.end(), std::array<int, 3>{});
        }
    }
    return out;
}

TEST(Dither, FloydSteinbergIsTheTextbooksWithEveryColourMatchedExactly) {
    // The look-up tables the diffusion waits on must give each wandering
    // colour its own nearest entry, at 16 entries and at 256, over two bands.
    const Bitmap picture = photoLike(301, 530);
    for (const auto& [format, entries] :
         {std::pair{PixelFormat::Bpp4, 16}, std::pair{PixelFormat::Bpp8, 256}}) {
        const Palette palette(spreadPalette(entries));
        Bitmap out(picture.width(), picture.height(), format);
        out.setPaletteEntries(palette);
        ditherOntoPalette(picture, out, Dither::FloydSteinberg);
        const Bitmap expected = textbookFloydSteinberg(picture, palette, format);
        EXPECT_EQ(hashOfIndices(out), hashOfIndices(expected)) << entries << " entries";
    }
}

TEST(Dither, APaletteHoldingEveryColourLeavesThePictureAsItIs) {
    std::vector<Rgb> colours;
    for (int i = 0; i < 16; ++i) colours.push_back(rgb(i * 16, 255 - i * 9, (i * 77) % 256));
    // Tall enough for several bands; an odd width for the 4-bit rows.
    const Bitmap picture = test::picture(colours, 37, 700);
    for (Dither method : {Dither::FloydSteinberg, Dither::Ordered, Dither::Auto}) {
        for (PixelFormat f : {PixelFormat::Bpp4, PixelFormat::Bpp8}) {
            Bitmap out(picture.width(), picture.height(), f);
            std::vector<Rgb> entries = colours;
            std::reverse(entries.begin(), entries.end());
            if (f == PixelFormat::Bpp8) entries.resize(256, rgb(1, 2, 3));
            out.setPaletteEntries(Palette(entries));
            ditherOntoPalette(picture, out, method);
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    ASSERT_EQ(out.pixelValue(x, y), picture.pixelValue(x, y))
                        << int(method) << " " << x << "," << y;
        }
    }
}

TEST(Dither, HalfGreyOntoBlackAndWhiteGivesHalfOfEach) {
    const Bitmap grey = flat(64, 600, rgb(128, 128, 128));
    for (Dither method : {Dither::FloydSteinberg, Dither::Ordered}) {
        Bitmap out(grey.width(), grey.height(), PixelFormat::Bpp1);
        out.setPaletteEntries(Palette({rgb(0, 0, 0), rgb(255, 255, 255)}));
        ditherOntoPalette(grey, out, method);
        const double white = double(countOf(out, 1)) / (64.0 * 600.0);
        EXPECT_NEAR(white, 128.0 / 255.0, 0.01) << int(method);
        // Every band, not only the picture as a whole.
        for (int y0 = 0; y0 < 600; y0 += 100) {
            std::size_t n = 0;
            for (int y = y0; y < y0 + 100; ++y)
                for (int x = 0; x < 64; ++x) n += out.index(x, y);
            EXPECT_NEAR(double(n) / 6400.0, 0.5, 0.03) << int(method) << " rows " << y0;
        }
    }
}

TEST(Dither, ErrorDiffusionKeepsTheMeanOfAGradient) {
    // A ramp onto 16 grey levels: each column's mean stays near its value.
    Bitmap ramp(256, 64, PixelFormat::Bpp32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x) ramp.row32(y)[x] = std::uint32_t(x * 0x010101);
    std::vector<Rgb> levels;
    for (int i = 0; i < 16; ++i) levels.push_back(rgb(i * 17, i * 17, i * 17));
    Bitmap out(256, 64, PixelFormat::Bpp4);
    out.setPaletteEntries(Palette(levels));
    ditherOntoPalette(ramp, out, Dither::FloydSteinberg);
    double worst = 0;
    for (int x0 = 0; x0 < 256; x0 += 16) {
        double sum = 0, want = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = x0; x < x0 + 16; ++x) {
                sum += out.pixelValue(x, y) & 0xff;
                want += x;
            }
        worst = std::max(worst, std::abs(sum - want) / (16.0 * 64.0));
    }
    EXPECT_LT(worst, 2.0);
}

// The largest error of the mean of 8 columns' grey on a ramp of x * 0x010101.
double worstMean(const Bitmap& out) {
    double worst = 0;
    for (int x0 = 0; x0 < out.width(); x0 += 8) {
        double sum = 0, want = 0;
        for (int y = 0; y < out.height(); ++y)
            for (int x = x0; x < x0 + 8; ++x) {
                sum += out.pixelValue(x, y) & 0xff;
                want += x;
            }
        worst = std::max(worst, std::abs(sum - want) / (8.0 * out.height()));
    }
    return worst;
}

Bitmap matched(const Bitmap& picture, const std::vector<Rgb>& entries, Dither method) {
    Bitmap out(picture.width(), picture.height(),
               entries.size() <= 16 ? PixelFormat::Bpp4 : PixelFormat::Bpp8);
    out.setPaletteEntries(Palette(entries));
    if (method == Dither::None) {
        WorkArea work;
        EXPECT_TRUE(mapOntoPalette(picture, out, work));
    } else {
        ditherOntoPalette(picture, out, method);
    }
    return out;
}

const std::vector<Rgb> kGreys = [] {
    std::vector<Rgb> levels;
    for (int i = 0; i < 16; ++i) levels.push_back(rgb(i * 17, i * 17, i * 17));
    return levels;
}();

TEST(AutoDither, FlatAreasOfThePalettesColoursStayCleanBesideAnEdge) {
    // Entry grey 34 on the left; on the right a grey far from every entry.
    Bitmap picture(64, 300, PixelFormat::Bpp32);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 64; ++x) picture.row32(y)[x] = x < 32 ? 0x222222u : 0x8c8c8cu;
    const std::vector<Rgb> entries = {rgb(0, 0, 0), rgb(34, 34, 34), rgb(255, 255, 255)};
    const Bitmap automatic = matched(picture, entries, Dither::Auto);
    const Bitmap plain = matched(picture, entries, Dither::FloydSteinberg);
    std::size_t leaked = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 32; ++x) {
            ASSERT_EQ(automatic.index(x, y), 1u) << x << "," << y;
            leaked += plain.index(x, y) != 1u;
        }
    EXPECT_GT(leaked, 0u);  // where plain error diffusion carries the edge's error
    // The grey between two entries is still a mix of them.
    std::set<unsigned> right;
    for (int y = 0; y < 300; ++y)
        for (int x = 40; x < 64; ++x) right.insert(automatic.index(x, y));
    EXPECT_EQ(right, (std::set<unsigned>{1, 2}));
}

TEST(Dither, TheLastOfTwoHundredAndFiftySixEntriesIsFoundLikeAnyOther) {
    // The look-up tables keep entry 255 apart from the others. White is
    // entry 255, the rest dark greys: white takes it everywhere, and a grey
    // just below white takes it but where the error has gathered.
    std::vector<Rgb> entries;
    for (int i = 0; i < 255; ++i) entries.push_back(rgb(i / 2, i / 2, i / 2));
    entries.push_back(rgb(255, 255, 255));
    for (const Dither method : {Dither::FloydSteinberg, Dither::Auto}) {
        for (const std::uint32_t grey : {0xffffffu, 0xfcfcfcu}) {
            Bitmap picture(300, 600, PixelFormat::Bpp32);
            for (int y = 0; y < 600; ++y)
                for (int x = 0; x < 300; ++x) picture.row32(y)[x] = grey;
            Bitmap out(300, 600, PixelFormat::Bpp8);
            out.setPaletteEntries(Palette(entries));
            ditherOntoPalette(picture, out, method);
            const std::size_t white = countOf(out, 255);
            EXPECT_EQ(white + countOf(out, 254), std::size_t{300 * 600}) << int(method);
            EXPECT_GT(white, std::size_t{300 * 600} * 95 / 100) << int(method) << " " << grey;
            if (grey == 0xffffffu) {
                EXPECT_EQ(white, std::size_t{300 * 600});
            }
        }
    }
}

TEST(AutoDither, BusyPicturesAreMatchedWithoutNoise) {
    // Texture of large steps everywhere: no pixel gets a dithered entry.
    Bitmap picture(97, 300, PixelFormat::Bpp32);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 97; ++x) {
            const auto noise =
                std::uint32_t((std::uint32_t(x * 7919 + y * 104729) * 2654435761u) >> 25);
            picture.row32(y)[x] = ((x + y) % 2 ? 0x303030u : 0xb0b0b0u) + noise * 0x010101u;
        }
    EXPECT_EQ(matched(picture, kGreys, Dither::Auto), matched(picture, kGreys, Dither::None));
}

TEST(AutoDither, SmoothGradientsAreDitheredTowardsTheirMean) {
    // A slow ramp onto 16 greys: nearest matching leaves bands whose means
    // are off by up to half a step; the diffusion brings every 8 columns'
    // mean much closer.
    Bitmap ramp(256, 64, PixelFormat::Bpp32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x) ramp.row32(y)[x] = std::uint32_t(x * 0x010101);
    const double banded = worstMean(matched(ramp, kGreys, Dither::None));
    const double dithered = worstMean(matched(ramp, kGreys, Dither::Auto));
    EXPECT_GT(banded, 4.0);
    EXPECT_LT(dithered, banded / 2) << dithered;
}

TEST(DitherPalette, EntriesMoveOutToTheColoursTheDiffusionCannotReach) {
    // Greys from 24 to 234, as a k-means leaves them inside a full ramp:
    // the diffusion cannot make the ramp's darkest and brightest columns.
    // Refined for the dither, the end entries move out, the ends' means
    // come closer, and the inner entries stay near their places.
    Bitmap ramp(256, 64, PixelFormat::Bpp32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x) ramp.row32(y)[x] = std::uint32_t(x * 0x010101);
    std::vector<Rgb> inner;
    for (int i = 0; i < 16; ++i) inner.push_back(rgb(24 + i * 14, 24 + i * 14, 24 + i * 14));
    for (const Dither method : {Dither::FloydSteinberg, Dither::Auto}) {
        std::vector<Rgb> spread = inner;
        refineForDither(ramp, 4, spread, method);
        EXPECT_LT(spread.front().r, 20) << int(method);
        EXPECT_GT(spread.back().r, 238) << int(method);
        for (std::size_t k = 4; k < 12; ++k) EXPECT_NEAR(spread[k].r, inner[k].r, 4) << k;
        EXPECT_LT(worstMean(matched(ramp, spread, method)),
                  0.75 * worstMean(matched(ramp, inner, method)))
            << int(method);
    }
    // Nothing is moved for the ordered dither, whose offsets stay within a
    // step of the colours.
    std::vector<Rgb> same = inner;
    refineForDither(ramp, 4, same, Dither::Ordered);
    EXPECT_EQ(same, inner);
}

// How far a dithered picture is off as the eye sees it: the squares of the
// error summed over blocks of 4 x 4 pixels, per channel.
double blockError(const Bitmap& picture, const Bitmap& out) {
    double total = 0;
    for (int y0 = 0; y0 < picture.height(); y0 += 4)
        for (int x0 = 0; x0 < picture.width(); x0 += 4)
            for (int shift : {16, 8, 0}) {
                double sum = 0;
                for (int y = y0; y < std::min(y0 + 4, picture.height()); ++y)
                    for (int x = x0; x < std::min(x0 + 4, picture.width()); ++x)
                        sum += double((out.pixelValue(x, y) >> shift) & 0xff) -
                               double((picture.row32(y)[x] >> shift) & 0xff);
                total += sum * sum;
            }
    return total;
}

TEST(DitherPalette, MovedEntriesAreKeptOnlyWhereTheDitherLooksCloser) {
    // A smooth gradient of three channels at 256 colours: the refinement's
    // palette already suits the diffusion, and the entries the errors push
    // out only overshoot (the dithered picture was once four times as far
    // off).
    const int w = 320, h = 240;
    Bitmap gradient(w, h, PixelFormat::Bpp32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double u = double(x) / (w - 1), v = double(y) / (h - 1);
            gradient.row32(y)[x] =
                rgb(int(255 * (0.15 + 0.7 * u) + 0.5), int(255 * (0.2 + 0.6 * v * v) + 0.5),
                    int(255 * (0.5 + 0.4 * std::sin(3.0 * u + 2.0 * v)) + 0.5))
                    .value();
        }
    // The palette of mode 0 refined.
    WorkArea work;
    ColorSurvey survey;
    ASSERT_TRUE(survey.count(gradient, work));
    LargeVector<ColorTally> cut = survey.tallies();
    std::vector<Rgb> given(256);
    ASSERT_TRUE(medianCut(std::int64_t{w} * h, cut, given, work));
    refineChosen(survey.tallies(), 0, given);
    std::vector<Rgb> moved = given;
    refineForDither(gradient, 0, moved, Dither::FloydSteinberg);
    EXPECT_LE(blockError(gradient, matched(gradient, moved, Dither::FloydSteinberg)),
              blockError(gradient, matched(gradient, given, Dither::FloydSteinberg)));
}

TEST(Dither, EnginesDitherEveryKindOfPaletteAndSayItInTheLabel) {
    const Bitmap grey = flat(40, 30, rgb(100, 100, 100));
    test::RecordingMonitor monitor;
    test::RecordingReporter reporter;
    CollectingSink sink;
    WorkArea work{&reporter};
    RunContext ctx{monitor, reporter, sink, work, false};
    std::vector<ReductionTarget> t = {{"g.bmp", "/x/g.bmp", &grey, {}}};
    // The 16 system colours have no grey of 100: a mix of two greys.
    ReductionSettings system{3, 0, "システム", false, Dither::FloydSteinberg};
    ASSERT_EQ(individualReduction(t, system, ctx), RunEnd::Completed);
    const Result& r = sink.results().back();
    EXPECT_EQ(r.modeLabel, "システム0+D");
    std::set<std::uint32_t> used;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) used.insert(r.bitmap.pixelValue(x, y));
    EXPECT_GE(used.size(), 2u);
    // A one-colour picture in an adaptive mode stays exact.
    ReductionSettings normal{0, 256, "ノーマル", true, Dither::Ordered};
    ASSERT_EQ(individualReduction(t, normal, ctx), RunEnd::Completed);
    EXPECT_EQ(sink.results().back().modeLabel, "ノーマル256+HQ+D");
    EXPECT_EQ(sink.results().back().bitmap.pixelValue(7, 7), 0x646464u);
    // A given palette: black and white only.
    PaletteEntry entry;
    entry.palette = std::make_shared<Palette>(std::vector<Rgb>{rgb(0, 0, 0), rgb(255, 255, 255)});
    entry.depth = 0;
    entry.label = "ノーマル2";
    entry.origin = PaletteOrigin::SourceImage;
    ReductionSettings given{0, 256, "ノーマル", false, Dither::FloydSteinberg};
    ASSERT_EQ(paletteUnification(t, entry, "bw.bmp", given, ctx), RunEnd::Completed);
    const Result& u = sink.results().back();
    EXPECT_EQ(u.modeLabel, "ノーマル2+D");
    EXPECT_EQ(u.paletteName, "bw(PG1)");
    const double white = double(countOf(u.bitmap, 1)) / 1200.0;
    EXPECT_NEAR(white, 100.0 / 255.0, 0.05);
}

using CliOptions = test::ScratchFolder;

TEST_F(CliOptions, RefineAndDitherFlags) {
    Bitmap b(48, 32, PixelFormat::Bpp24);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x) {
            std::uint8_t* p = b.row(y) + 3 * x;
            p[0] = std::uint8_t(x * 5), p[1] = std::uint8_t(y * 7), p[2] = std::uint8_t(x * y);
        }
    saveBmp(b, file("a.bmp")).take(file("a.bmp"));
    const test::CliRun r = test::runCli("reduce --mode 4 --refine --dither auto --no-progress -o " +
                                        quoted("out") + " " + quoted("a.bmp"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("a.bmp\ta(1)\tノーマル16+HQ+D\t4\t"), std::string::npos) << r.out;
    const Bitmap back = loadBmp(file("out/a.bmp")).take(file("out/a.bmp"));
    EXPECT_EQ(back.format(), PixelFormat::Bpp4);
    EXPECT_EQ(
        test::runCli("reduce --dither blue -o " + quoted("out") + " " + quoted("a.bmp")).status, 2);
    const test::CliRun help = test::runCli("reduce --help");
    EXPECT_NE(help.out.find("--refine"), std::string::npos);
    EXPECT_NE(help.out.find("--dither auto|fs|ordered"), std::string::npos);
}

}  // namespace
}  // namespace kararisu
