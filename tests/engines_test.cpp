// The three reduction engines: palettes, result names, the monitor's
// sequence and the stop for refused memory.

#include <gtest/gtest.h>

#include <algorithm>

#include "reduce/engines.h"
#include "reduce/fixed_palettes.h"
#include "reduce/modes.h"
#include "support/pictures.h"
#include "support/recording_monitor.h"
#include "support/recording_reporter.h"

namespace kararisu {
namespace {

using test::rgb;

Bitmap picture(int w, int h, const std::vector<Rgb>& colours) {
    return test::picture(colours, w, h);
}

struct Harness {
    test::RecordingMonitor monitor;
    test::RecordingReporter reporter;
    CollectingSink sink;
    WorkArea work{&reporter};
    RunContext ctx{monitor, reporter, sink, work, true};
};

ReductionSettings settingsFor(int mode, int freeCount = 0) {
    const ModeInfo& m = modeInfo(mode);
    return {mode, isFreeCountMode(mode) ? freeCount : m.colorCount, m.schemeName};
}

TEST(IndividualReduction, FewColoursBecomeThePaletteInValueOrder) {
    std::vector<Rgb> colours;
    for (int i = 0; i < 200; ++i) colours.push_back(rgb(199 - i, (i * 7) % 256, 3));
    Bitmap b = picture(40, 10, colours);
    Harness run;
    std::vector<ReductionTarget> t = {{"a.bmp", "/x/a.bmp", &b, {}}};
    ASSERT_EQ(individualReduction(t, settingsFor(0), run.ctx), RunEnd::Completed);
    ASSERT_EQ(run.sink.results().size(), 1u);
    const Result& r = run.sink.results()[0];
    EXPECT_EQ(r.bitmap.format(), PixelFormat::Bpp8);
    std::vector<Rgb> sorted = colours;
    std::sort(sorted.begin(), sorted.end(), [](Rgb x, Rgb y) { return x.value() < y.value(); });
    for (int i = 0; i < 200; ++i) EXPECT_EQ(r.bitmap.palette().at(i), sorted[i]);
    for (int i = 200; i < 256; ++i) EXPECT_EQ(r.bitmap.palette().at(i), rgb(0, 0, 0));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(r.bitmap.pixelValue(x, y), b.pixelValue(x, y));
    EXPECT_EQ(r.paletteName, "a(1)");
    EXPECT_EQ(r.modeLabel, "ノーマル256");
    EXPECT_EQ(r.bitmap.format(), PixelFormat::Bpp8);
    EXPECT_EQ(r.path, "/x/a.bmp");
}

TEST(IndividualReduction, SixteenColoursFitSeventeenAreCut) {
    std::vector<Rgb> colours;
    for (int i = 0; i < 17; ++i) colours.push_back(rgb(20 + 10 * i, 20 + 10 * i, 20 + 10 * i));
    Harness run;
    Bitmap fits = picture(16, 1, std::vector<Rgb>(colours.begin(), colours.begin() + 16));
    Bitmap over = picture(17, 1, colours);
    std::vector<ReductionTarget> t = {{"f.bmp", "f.bmp", &fits, {}}, {"o.bmp", "o.bmp", &over, {}}};
    ASSERT_EQ(individualReduction(t, settingsFor(4), run.ctx), RunEnd::Completed);
    const Bitmap& a = run.sink.results()[0].bitmap;
    const Bitmap& c = run.sink.results()[1].bitmap;
    EXPECT_EQ(a.format(), PixelFormat::Bpp4);
    EXPECT_EQ(a.palette().entries(), std::vector<Rgb>(colours.begin(), colours.begin() + 16));
    // Seventeen single pixels cut into sixteen runs: splits at 8, 12, 3,
    // 14, 5, 9, 15, 10, 6, 1, then the last of the runs of two each time;
    // the run [1, 3) is left whole and gives its middle, colour 2.
    std::vector<Rgb> expected = colours;
    expected.erase(expected.begin() + 1);
    EXPECT_EQ(c.palette().entries(), expected);
    EXPECT_EQ(run.sink.results()[1].bitmap.format(), PixelFormat::Bpp4);
}

TEST(IndividualReduction, FreeCountModes) {
    Harness run;
    Bitmap two = picture(2, 1, {rgb(10, 10, 10), rgb(240, 240, 240)});
    std::vector<ReductionTarget> t = {{"t.bmp", "t.bmp", &two, {}}};
    ASSERT_EQ(individualReduction(t, settingsFor(25, 1), run.ctx), RunEnd::Completed);
    const Bitmap& one = run.sink.results()[0].bitmap;
    EXPECT_EQ(one.palette().at(0), rgb(240, 240, 240));  // the middle of a run of two
    for (int i = 1; i < 256; ++i) EXPECT_EQ(one.palette().at(i), rgb(0, 0, 0));
    EXPECT_EQ(run.sink.results()[0].modeLabel, "任意色１1");

    ASSERT_EQ(individualReduction(t, settingsFor(26, 0), run.ctx), RunEnd::Completed);
    const Bitmap& sys = run.sink.results()[1].bitmap;
    EXPECT_EQ(sys.palette(), buildPalette(26, {}));
    // (240,240,240) is nearest to the system white, (10,10,10) to black.
    EXPECT_EQ(sys.pixelValue(0, 0), 0u);
    EXPECT_EQ(sys.pixelValue(1, 0), 0xffffffu);
}

TEST(IndividualReduction, ScaleWithSystemColoursIsMatchedOnTheFullScaleFirst) {
    // (250, 0, 250) is nearest grey 167 of the full scale, which then moves
    // to the nearest entry of the palette with system colours (grey 167).
    // (0, 0, 254): nearest full-scale grey is 85; in mode 6 the system
    // blue (0,0,255) would be nearer to the original, but the re-map starts
    // from grey 85.
    Bitmap b = picture(2, 1, {rgb(250, 0, 250), rgb(0, 0, 254)});
    Harness run;
    std::vector<ReductionTarget> t = {{"g.bmp", "g.bmp", &b, {}}};
    ASSERT_EQ(individualReduction(t, settingsFor(6), run.ctx), RunEnd::Completed);
    const Bitmap& r = run.sink.results()[0].bitmap;
    EXPECT_EQ(r.palette(), buildPalette(6, {}));
    EXPECT_EQ(r.pixelValue(0, 0), 0xa7a7a7u);
    EXPECT_EQ(r.pixelValue(1, 0), 0x555555u);
}

TEST(IndividualReduction, SizeZeroIsSkippedAndMonitorSequence) {
    Bitmap a = picture(2, 2, {rgb(1, 2, 3)});
    Bitmap empty(0, 0, PixelFormat::Bpp24), flat(5, 0, PixelFormat::Bpp8);
    Bitmap c = picture(2, 2, {rgb(4, 5, 6)});
    Harness run;
    std::vector<ReductionTarget> t = {{"a.bmp", "a.bmp", &a, {}},
                                      {"e.bmp", "e.bmp", &empty, {}},
                                      {"f.bmp", "f.bmp", &flat, {}},
                                      {"c.bmp", "c.bmp", &c, {}}};
    ASSERT_EQ(individualReduction(t, settingsFor(5), run.ctx), RunEnd::Completed);
    ASSERT_EQ(run.sink.results().size(), 2u);
    ASSERT_EQ(run.reporter.messages.size(), 2u);
    EXPECT_EQ(run.reporter.messages[0].text,
              "e.bmp\nこのビットマップはサイズが０なので、減色できません！！");
    EXPECT_EQ(run.reporter.messages[0].caption, "警告：減色できません！！");
    EXPECT_EQ(run.reporter.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(run.reporter.beeps, std::vector<Beep>{Beep::Information});
    const std::vector<std::string> expected = {"title ターゲット",
                                               "no 　／　",
                                               "show",
                                               "events",
                                               "no 1/4",
                                               "name a.bmp",
                                               "step 全ピクセルをカラーサーチ",
                                               "pos 0",
                                               "step ピクセル値を変換",
                                               "pos 900",
                                               "pos 1000",
                                               "step 完了！！",
                                               "no 2/4",
                                               "name e.bmp",
                                               "hide",
                                               "show",
                                               "no 3/4",
                                               "name f.bmp",
                                               "hide",
                                               "show",
                                               "no 4/4",
                                               "name c.bmp",
                                               "step 全ピクセルをカラーサーチ",
                                               "pos 0",
                                               "step ピクセル値を変換",
                                               "pos 900",
                                               "pos 1000",
                                               "step 完了！！",
                                               "hide"};
    EXPECT_EQ(run.monitor.log, expected);
}

TEST(IndividualReduction, AdaptiveStepsAndTheSingleEmptyImage) {
    Bitmap a = picture(2, 2, {rgb(1, 2, 3)});
    Harness run;
    std::vector<ReductionTarget> t = {{"a.bmp", "a.bmp", &a, {}}};
    ASSERT_EQ(individualReduction(t, settingsFor(0), run.ctx), RunEnd::Completed);
    const std::vector<std::string> steps(run.monitor.log.begin() + 6, run.monitor.log.end());
    const std::vector<std::string> expected = {"step 全ピクセルをカラーサーチ",
                                               "pos 0",
                                               "step 取得カラーをクイックソート",
                                               "pos 300",
                                               "step ヒストグラム作成",
                                               "pos 500",
                                               "step 減色実行！！",
                                               "pos 700",
                                               "step ピクセル値を変換",
                                               "pos 900",
                                               "pos 1000",
                                               "step 完了！！",
                                               "hide"};
    EXPECT_EQ(steps, expected);

    Bitmap empty;
    Harness one;
    std::vector<ReductionTarget> e = {{"e.bmp", "e.bmp", &empty, {}}};
    ASSERT_EQ(individualReduction(e, settingsFor(0), one.ctx), RunEnd::Completed);
    EXPECT_EQ(one.reporter.messages.size(), 1u);
    EXPECT_EQ(one.reporter.beeps.size(), 1u);  // the run end still comes
    EXPECT_EQ(one.monitor.log.back(), "hide");
    EXPECT_TRUE(one.sink.results().empty());
}

TEST(IndividualReduction, PaletteNamesJoinSameModeAndAvoidOthers) {
    Bitmap p = picture(3, 3, {rgb(1, 2, 3), rgb(9, 9, 9)});
    Harness run;
    std::vector<ReductionTarget> t = {{"photo.bmp", "photo.bmp", &p, {}}};
    (void)individualReduction(t, settingsFor(0), run.ctx);
    (void)individualReduction(t, settingsFor(0), run.ctx);
    (void)individualReduction(t, settingsFor(5), run.ctx);
    ASSERT_EQ(run.sink.rows().size(), 3u);
    EXPECT_EQ(run.sink.rows()[0].paletteName, "photo(1)");
    EXPECT_EQ(run.sink.rows()[1].paletteName, "photo(1)");
    EXPECT_EQ(run.sink.rows()[2].paletteName, "photo(2)");
    EXPECT_EQ(run.sink.rows()[2].modeLabel, "グレー256");
}

TEST(PaletteNameSearch, RestartsFromTheFirstRowAfterEachRaise) {
    // The first row only collides with the second candidate.
    std::vector<ResultRow> rows = {{"x", "p(2)", "グレー256"}, {"y", "p(1)", "グレー256"}};
    EXPECT_EQ(paletteNameFor(rows, "p", NameForm::Individual, "ノーマル256"), "p(3)");
    EXPECT_EQ(paletteNameFor(rows, "p", NameForm::Individual, "グレー256"), "p(1)");
    EXPECT_EQ(paletteNameFor(rows, "P", NameForm::Individual, "ノーマル256"), "P(1)");
    EXPECT_EQ(paletteNameFor(rows, "p", NameForm::Unification, "ノーマル256"), "p(PG1)");
}

TEST(IndividualReduction, RefusedMemoryStopsAndKeepsEarlierResults) {
    Bitmap a = picture(4, 4, {rgb(1, 2, 3), rgb(200, 100, 0)});
    // Count the requests one image makes, then grant only those.
    int perImage = 0;
    {
        Harness probe;
        probe.work.setHook([&](std::size_t) { return ++perImage, true; });
        std::vector<ReductionTarget> one = {{"a.bmp", "a.bmp", &a, {}}};
        (void)individualReduction(one, settingsFor(0), probe.ctx);
    }
    Harness run;
    int grants = 0;
    run.work.setHook([&](std::size_t) { return ++grants <= perImage; });
    std::vector<ReductionTarget> t = {{"a.bmp", "a.bmp", &a, {}}, {"b.bmp", "b.bmp", &a, {}}};
    EXPECT_EQ(individualReduction(t, settingsFor(0), run.ctx).problem().kind,
              ProblemKind::WorkAreaRefused);
    EXPECT_EQ(run.sink.results().size(), 1u);
    ASSERT_EQ(run.reporter.messages.size(), 1u);
    EXPECT_EQ(run.reporter.messages[0].caption, "警告：メモリが足りません！");
    EXPECT_TRUE(run.reporter.beeps.empty());
    EXPECT_EQ(run.monitor.log.back(), "hide");

    // In the median cut's stack, too.
    std::vector<Rgb> many;
    for (int i = 0; i < 40; ++i) many.push_back(rgb(i * 6, 100, 50));
    Bitmap m = picture(40, 1, many);
    // The survey's requests granted, the cut's stack refused.
    int surveyRequests = 0;
    {
        Harness probe;
        probe.work.setHook([&](std::size_t) { return ++surveyRequests, true; });
        std::vector<ReductionTarget> mt = {{"m.bmp", "m.bmp", &m, {}}};
        (void)individualReduction(mt, settingsFor(0), probe.ctx);  // 40 colours fit: no cut
    }
    Harness cutRun;
    int n = 0;
    cutRun.work.setHook([&](std::size_t) { return ++n <= surveyRequests; });
    std::vector<ReductionTarget> mt = {{"m.bmp", "m.bmp", &m, {}}};
    EXPECT_EQ(individualReduction(mt, settingsFor(4), cutRun.ctx).problem().kind,
              ProblemKind::WorkAreaRefused);
    EXPECT_TRUE(cutRun.sink.results().empty());
    EXPECT_EQ(cutRun.reporter.messages.size(), 1u);
}

TEST(ReferenceUnification, OnePaletteOneNameForAll) {
    Bitmap a = picture(4, 4, {rgb(10, 20, 30), rgb(40, 50, 60)});
    Bitmap b = picture(4, 4, {rgb(200, 0, 0), rgb(0, 200, 0), rgb(0, 0, 200)});
    Bitmap c = picture(4, 4, {rgb(255, 255, 255)});
    Harness run;
    std::vector<ReductionTarget> t = {
        {"a.bmp", "a.bmp", &a, {}}, {"b.bmp", "b.bmp", &b, {}}, {"c.bmp", "c.bmp", &c, {}}};
    ASSERT_EQ(referenceUnification(t, 1, settingsFor(0), run.ctx), RunEnd::Completed);
    auto& r = run.sink.results();
    ASSERT_EQ(r.size(), 3u);
    for (auto& x : r) {
        EXPECT_EQ(x.paletteName, "b(PG1)");
        EXPECT_EQ(x.modeLabel, "ノーマル256");
        EXPECT_EQ(x.bitmap.palette(), r[1].bitmap.palette());
    }
    // b's three colours in value order, then black fillers.
    EXPECT_EQ(r[0].bitmap.palette().at(0), rgb(0, 0, 200));
    EXPECT_EQ(r[0].bitmap.palette().at(2), rgb(200, 0, 0));
    EXPECT_EQ(r[0].bitmap.palette().at(3), rgb(0, 0, 0));
    // White is equally far from b's three colours: the lowest index wins.
    EXPECT_EQ(r[2].bitmap.pixelValue(0, 0), 0x0000c8u);

    (void)referenceUnification(t, 1, settingsFor(0), run.ctx);
    EXPECT_EQ(r.back().paletteName, "b(PG1)");
    (void)referenceUnification(t, 1, settingsFor(8), run.ctx);
    EXPECT_EQ(r.back().paletteName, "b(PG2)");
}

TEST(ReferenceUnification, MonitorAndProgress) {
    Bitmap a = picture(2, 2, {rgb(1, 1, 1)});
    Harness run;
    std::vector<ReductionTarget> t(4, {"a.bmp", "a.bmp", &a, {}});
    ASSERT_EQ(referenceUnification(t, 0, settingsFor(5), run.ctx), RunEnd::Completed);
    const std::vector<std::string> head = {"title 基準パレット作成",
                                           "no ",
                                           "show",
                                           "events",
                                           "name a.bmp",
                                           "step 全ピクセルをカラーサーチ",
                                           "pos 0",
                                           "step パレット作成完了！！",
                                           "pos 1000",
                                           "title ターゲット",
                                           "no 　／　",
                                           "pos 0",
                                           "step ピクセル値変換",
                                           "events",
                                           "no 1/4",
                                           "name a.bmp",
                                           "pos 250",
                                           "no 2/4",
                                           "name a.bmp",
                                           "pos 500"};
    EXPECT_EQ(std::vector<std::string>(run.monitor.log.begin(), run.monitor.log.begin() + 20),
              head);
    const std::vector<std::string> tail = {"pos 1000", "pos 1000", "step 完了！！", "hide"};
    EXPECT_EQ(std::vector<std::string>(run.monitor.log.end() - 4, run.monitor.log.end()), tail);
}

TEST(ReferenceUnification, EmptyReferenceEndsTheRun) {
    Bitmap a = picture(2, 2, {rgb(1, 1, 1)});
    Bitmap empty;
    Harness run;
    run.ctx.sound = false;
    std::vector<ReductionTarget> t = {{"a.bmp", "a.bmp", &a, {}}, {"z.bmp", "z.bmp", &empty, {}}};
    EXPECT_EQ(referenceUnification(t, 1, settingsFor(0), run.ctx), RunEnd::Rejected);
    EXPECT_TRUE(run.sink.results().empty());
    ASSERT_EQ(run.reporter.messages.size(), 1u);
    EXPECT_EQ(run.reporter.messages[0].text,
              "z.bmp\n基準ビットマップはサイズが０なので減色できません！！\n減色を終了します。");
    EXPECT_EQ(run.reporter.beeps, std::vector<Beep>{Beep::Exclamation});
}

TEST(PaletteUnification, TakesTheEntrysPaletteDepthAndLabel) {
    Bitmap a = picture(3, 3, {rgb(0, 0, 0), rgb(250, 250, 250), rgb(120, 0, 0)});
    Harness run;
    std::vector<ReductionTarget> t = {{"a.bmp", "a.bmp", &a, {}}, {"b.bmp", "b.bmp", &a, {}}};
    std::vector<Rgb> sixteen(16);
    sixteen[3] = rgb(255, 255, 255);
    sixteen[7] = rgb(128, 0, 0);
    PaletteEntry src{std::make_shared<Palette>(sixteen), "ノーマル16", 1,
                     PaletteOrigin::SourceImage};
    ASSERT_EQ(paletteUnification(t, src, "s.bmp", settingsFor(0), run.ctx), RunEnd::Completed);
    for (auto& r : run.sink.results()) {
        EXPECT_EQ(r.bitmap.format(), PixelFormat::Bpp4);
        EXPECT_EQ(r.bitmap.format(), PixelFormat::Bpp4);
        EXPECT_EQ(r.paletteName, "s(PG1)");
        EXPECT_EQ(r.modeLabel, "ノーマル16");
        EXPECT_EQ(r.bitmap.palette().entries(), sixteen);
        EXPECT_EQ(r.bitmap.index(1, 0), 3u);
        EXPECT_EQ(r.bitmap.index(2, 0), 7u);
    }
    PaletteEntry result{std::make_shared<Palette>(std::vector<Rgb>(256)), "グレー256", 2,
                        PaletteOrigin::ResultImage};
    (void)paletteUnification(t, result, "c(3)", settingsFor(0), run.ctx);
    EXPECT_EQ(run.sink.results().back().paletteName, "c(3)");
    EXPECT_EQ(run.sink.results().back().modeLabel, "グレー256");
    EXPECT_EQ(run.sink.results().back().bitmap.format(), PixelFormat::Bpp8);

    PaletteEntry mono{std::make_shared<Palette>(std::vector<Rgb>{rgb(0, 0, 0), rgb(255, 255, 255)}),
                      "ノーマル2", 0, PaletteOrigin::SourceImage};
    (void)paletteUnification(t, mono, "m.bmp", settingsFor(0), run.ctx);
    EXPECT_EQ(run.sink.results().back().bitmap.format(), PixelFormat::Bpp1);
    EXPECT_EQ(run.sink.results().back().bitmap.format(), PixelFormat::Bpp1);
    const std::vector<std::string> tail = {"pos 500",  "no 2/2",        "name b.bmp", "pos 1000",
                                           "pos 1000", "step 完了！！", "hide"};
    EXPECT_EQ(std::vector<std::string>(run.monitor.log.end() - 7, run.monitor.log.end()), tail);
}

TEST(Engines, TargetsReadWhenTheirTurnComes) {
    int loads = 0;
    Harness run;
    std::vector<ReductionTarget> t = {
        {"a.bmp", "a.bmp", nullptr,
         [&] {
             ++loads;
             return std::make_unique<Bitmap>(picture(2, 2, {rgb(5, 5, 5)}));
         }},
        {"bad.bmp", "bad.bmp", nullptr, [&] { return std::unique_ptr<Bitmap>(); }}};
    ASSERT_EQ(individualReduction(t, settingsFor(0), run.ctx), RunEnd::Completed);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(run.sink.results().size(), 1u);
    EXPECT_TRUE(run.reporter.messages.empty());
}

}  // namespace
}  // namespace kararisu
