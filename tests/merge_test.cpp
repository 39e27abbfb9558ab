// Palette merging: the free area and plus colours of every kind of palette,
// the merged entries, the partial-merge question, what each of the three
// merges does after a refusal, the swatch and the names of the results.
#include <gtest/gtest.h>

#include <deque>

#include "palette/merge_engines.h"
#include "palette/merge_rules.h"

using namespace kararisu;

namespace {

// Records every message and answers questions from a script.
struct ScriptedReporter : Reporter {
    std::vector<Message> shown;
    std::deque<Answer> answers;
    Answer show(const Message& m) override {
        shown.push_back(m);
        if (m.buttons == MessageButtons::Ok) return Answer::Ok;
        EXPECT_FALSE(answers.empty()) << "unexpected question: " << m.text;
        if (answers.empty()) return Answer::No;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void beep(Beep) override {}
};

Rgb colour(int i) {
    return Rgb{std::uint8_t(1 + i % 250), std::uint8_t(i / 7), 200};
}

// A palette of `size` entries: entries in `used` get distinct non-black
// colours, the rest black; with `system` the first eight are the system colours.
MergePalette palette(int depth, int size, std::vector<std::pair<int, int>> used, bool system,
                     const std::string& name, int seed = 0) {
    std::vector<Rgb> e(std::size_t(size), Rgb{});
    for (auto [from, to] : used)
        for (int i = from; i <= to; ++i) e[std::size_t(i)] = colour(i + seed);
    if (system)
        for (int i = 0; i < 8; ++i) e[std::size_t(i)] = systemPalette()[std::size_t(i)];
    return {Palette(e), depth, name};
}

// The worked case: 256 colours with the system colours, 8-99 in use, 100-247
// black, 248-255 in use.
MergePalette workedBase() {
    return palette(2, 256, {{8, 99}, {248, 255}}, true, "base.bmp");
}
// 256 colours without the system colours, whose first black pair is at 200.
MergePalette workedPlus() {
    return palette(2, 256, {{0, 199}}, false, "plus.gpl", 1000);
}

}  // namespace

TEST(MergeRules, FreeStartNeedsTwoBlacksOrTheLastEntry) {
    Palette p({{1, 1, 1}, {0, 0, 0}, {5, 5, 5}, {0, 0, 0}, {0, 0, 0}, {9, 9, 9}, {0, 0, 0}});
    EXPECT_EQ(freeStart(p, 0, 6), 3);  // entry 1 is a lone black: a colour
    EXPECT_EQ(freeStart(p, 4, 6), 6);  // 4 is followed by a colour
    EXPECT_EQ(freeStart(p, 4, 4), 4);  // black at the end of the range
    EXPECT_EQ(freeStart(p, 0, 2), std::nullopt);
    EXPECT_EQ(freeStart(p, 5, 5), std::nullopt);
}

TEST(MergeRules, SystemColoursAtTheStart) {
    EXPECT_TRUE(beginsWithSystemColours(palette(2, 256, {}, true, "")));
    EXPECT_TRUE(beginsWithSystemColours(palette(1, 16, {}, true, "")));
    EXPECT_FALSE(beginsWithSystemColours(palette(2, 256, {}, false, "")));
    EXPECT_TRUE(beginsWithSystemColours(palette(0, 2, {{0, 1}}, false, "")));
    MergePalette almost = palette(2, 256, {}, true, "");
    almost.palette.set(7, Rgb{192, 192, 193});
    EXPECT_FALSE(beginsWithSystemColours(almost));
}

TEST(MergeRules, FreeAreaOfEachKindOfBase) {
    const auto area = freeArea(workedBase());
    ASSERT_TRUE(area);
    EXPECT_EQ(area->start, 100);
    EXPECT_EQ(area->count, 148);
    // Without the system colours the whole palette is searched, to 255.
    const auto other = freeArea(palette(2, 256, {{0, 9}}, false, ""));
    ASSERT_TRUE(other);
    EXPECT_EQ(other->start, 10);
    EXPECT_EQ(other->count, 246);
    const auto sixteen = freeArea(palette(1, 16, {{0, 4}}, false, ""));
    ASSERT_TRUE(sixteen);
    EXPECT_EQ(sixteen->start, 5);
    EXPECT_EQ(sixteen->count, 11);
    // Only entry 247 black: a free area of exactly one entry.
    const auto one = freeArea(palette(2, 256, {{8, 246}, {248, 255}}, true, ""));
    ASSERT_TRUE(one);
    EXPECT_EQ(one->start, 247);
    EXPECT_EQ(one->count, 1);
    EXPECT_FALSE(freeArea(palette(0, 2, {}, false, "")));
    EXPECT_FALSE(freeArea(palette(1, 16, {}, true, "")));
    EXPECT_FALSE(freeArea(palette(2, 256, {{0, 255}}, false, "")));
    EXPECT_FALSE(freeArea(palette(5, 1, {}, false, "")));
}

TEST(MergeRules, EntriesAPaletteLacksAreBlack) {
    // A palette file may announce 256 entries by its depth but hold 16.
    MergePalette short256 = palette(1, 16, {{0, 15}}, false, "");
    short256.depthCode = 2;
    const auto area = freeArea(short256);
    ASSERT_TRUE(area);
    EXPECT_EQ(area->start, 16);
    EXPECT_EQ(area->count, 240);
    EXPECT_EQ(plusColours(short256).count, 16);
}

TEST(MergeRules, PlusColoursOfEachKindOfPlus) {
    auto check = [](const MergePalette& p, int first, int count) {
        const PlusColours c = plusColours(p);
        EXPECT_EQ(c.first, first);
        EXPECT_EQ(c.count, count);
    };
    check(workedPlus(), 0, 200);
    check(palette(2, 256, {{0, 255}}, false, ""), 0, 256);
    check(palette(2, 256, {{8, 49}}, true, ""), 8, 42);
    check(palette(2, 256, {{0, 255}}, true, ""), 8, 240);  // never 0-7 or 248-255
    check(palette(1, 16, {{0, 5}}, false, ""), 0, 6);
    check(palette(1, 16, {{0, 15}}, false, ""), 0, 16);
    check(palette(1, 16, {}, true, ""), 0, 16);
    check(palette(0, 2, {}, false, ""), 0, 2);
    check(palette(2, 256, {}, false, ""), 0, 0);
}

TEST(MergeRules, TheQuestionText) {
    const Message q = partialMergeQuestion("a.bmp", 148, "b.gpl", 200);
    EXPECT_EQ(q.text,
              "ベースパレットa.bmp空き領域：148\nプラスパレットb.gpl色　　数：200\n"
              "プラスパレットが入り切れません！！\n入るだけ入れますか？");
    EXPECT_EQ(q.caption, "警告：空き領域が足りません");
    EXPECT_EQ(q.icon, MessageIcon::Exclamation);
    EXPECT_EQ(q.buttons, MessageButtons::YesNo);
}

TEST(MergeOneToOne, WorkedCaseWithAPartialMerge) {
    ScriptedReporter reporter;
    reporter.answers = {Answer::Yes};
    CollectingSink sink;
    const MergePalette base = workedBase();
    const MergePalette plus = workedPlus();
    EXPECT_EQ(mergeOneToOne(base, plus, reporter, sink), 1);
    ASSERT_EQ(reporter.shown.size(), 1u);
    EXPECT_EQ(reporter.shown[0], partialMergeQuestion("base.bmp", 148, "plus.gpl", 200));
    ASSERT_EQ(sink.results().size(), 1u);
    const Result& r = sink.results()[0];
    const Palette& p = r.bitmap.palette();
    ASSERT_EQ(p.size(), 256u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(p.at(i), base.palette.at(i)) << i;
    for (int i = 100; i < 248; ++i) EXPECT_EQ(p.at(i), plus.palette.at(i - 100)) << i;
    for (int i = 248; i < 256; ++i) EXPECT_EQ(p.at(i), base.palette.at(i)) << i;
    EXPECT_EQ(r.modeLabel, "カスタム256");
    EXPECT_EQ(r.path, "NewPalette(1).bmp");
    EXPECT_EQ(r.paletteName, "NewPalette(1)(1)");
    EXPECT_EQ(r.bitmap.format(), PixelFormat::Bpp8);
}

TEST(MergeOneToOne, NoDropsThePair) {
    ScriptedReporter reporter;
    reporter.answers = {Answer::No};
    CollectingSink sink;
    EXPECT_EQ(mergeOneToOne(workedBase(), workedPlus(), reporter, sink), 0);
    EXPECT_EQ(reporter.shown.size(), 1u);
    EXPECT_TRUE(sink.results().empty());
}

TEST(MergeOneToOne, APlusThatFitsAsksNothing) {
    ScriptedReporter reporter;
    CollectingSink sink;
    const MergePalette plus = palette(1, 16, {{0, 9}}, false, "p", 50);
    EXPECT_EQ(mergeOneToOne(workedBase(), plus, reporter, sink), 1);
    EXPECT_TRUE(reporter.shown.empty());
    const Palette& p = sink.results()[0].bitmap.palette();
    for (int i = 0; i < 10; ++i) EXPECT_EQ(p.at(100 + i), plus.palette.at(i));
    EXPECT_EQ(p.at(110), Rgb{});
    EXPECT_EQ(sink.results()[0].modeLabel, "カスタム118");  // 256 - 148 + 10
}

TEST(MergeOneToOne, APlusOfNoColoursCopiesTheBase) {
    ScriptedReporter reporter;
    CollectingSink sink;
    const MergePalette base = workedBase();
    EXPECT_EQ(mergeOneToOne(base, palette(2, 256, {}, false, "black"), reporter, sink), 1);
    EXPECT_EQ(sink.results()[0].bitmap.palette(), base.palette);
    EXPECT_EQ(sink.results()[0].modeLabel, "カスタム108");
}

TEST(MergeOneToOne, BaseWithoutFreeSpaceEndsTheCommand) {
    for (const MergePalette& base :
         {palette(0, 2, {}, false, "two"), palette(1, 16, {}, true, "sys16")}) {
        ScriptedReporter reporter;
        CollectingSink sink;
        EXPECT_EQ(mergeOneToOne(base, workedPlus(), reporter, sink), 0);
        ASSERT_EQ(reporter.shown.size(), 1u);
        EXPECT_EQ(reporter.shown[0],
                  (Message{"ベースパレットに空き領域がありません。\nパレット結合を終了します。",
                           "警告：結合できません", MessageIcon::Exclamation, MessageButtons::Ok}));
        EXPECT_TRUE(sink.results().empty());
    }
}

TEST(MergeOneToOne, ABaseMergedWithItselfRepeatsItsColours) {
    ScriptedReporter reporter;
    CollectingSink sink;
    const MergePalette p = palette(1, 16, {{0, 5}}, false, "self");
    EXPECT_EQ(mergeOneToOne(p, p, reporter, sink), 1);
    const Palette& m = sink.results()[0].bitmap.palette();
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(m.at(i), p.palette.at(i));
        EXPECT_EQ(m.at(6 + i), p.palette.at(i));
    }
    EXPECT_EQ(sink.results()[0].modeLabel, "カスタム12");
}

TEST(MergeSwatch, SixteenColourBaseGivesFourBitBands) {
    ScriptedReporter reporter;
    CollectingSink sink;
    mergeOneToOne(palette(1, 16, {{0, 5}}, false, "b"), palette(0, 2, {{0, 1}}, false, "p"),
                  reporter, sink);
    const Result& r = sink.results()[0];
    EXPECT_EQ(r.bitmap.format(), PixelFormat::Bpp4);
    EXPECT_EQ(r.bitmap.width(), 256);
    EXPECT_EQ(r.bitmap.height(), 256);
    EXPECT_EQ(r.bitmap.format(), PixelFormat::Bpp4);
    for (int y : {0, 15, 16, 100, 255})
        for (int x : {0, 255}) EXPECT_EQ(r.bitmap.index(x, y), unsigned(y / 16)) << y;
    const Bitmap eight = swatchImage(workedBase().palette);
    EXPECT_EQ(eight.format(), PixelFormat::Bpp8);
    for (int y : {0, 99, 255}) EXPECT_EQ(eight.index(17, y), unsigned(y));
}

TEST(MergeManyToOne, EachBaseWithTheFullPlus) {
    ScriptedReporter reporter;
    reporter.answers = {Answer::Yes};
    CollectingSink sink;
    const std::vector<MergePalette> bases = {
        palette(0, 2, {}, false, "full"), palette(1, 16, {{0, 12}}, false, "small"),  // 3 free
        palette(2, 256, {{0, 9}}, false, "large")};                                   // 246 free
    const MergePalette plus = palette(1, 16, {{0, 9}}, false, "plus", 70);            // 10 colours
    EXPECT_EQ(mergeManyToOne(bases, plus, reporter, sink), 2);
    ASSERT_EQ(reporter.shown.size(), 2u);
    EXPECT_EQ(reporter.shown[0].text,
              "ベースパレットfullに空き領域がありません。\nこのパレット結合を終了します。");
    EXPECT_EQ(reporter.shown[0].caption, "警告：結合できません");
    EXPECT_EQ(reporter.shown[1], partialMergeQuestion("small", 3, "plus", 10));
    ASSERT_EQ(sink.results().size(), 2u);
    EXPECT_EQ(sink.results()[0].modeLabel, "カスタム16");
    EXPECT_EQ(sink.results()[0].path, "NewPalette(1).bmp");
    // The Yes for the small base does not cut what the large one receives.
    EXPECT_EQ(sink.results()[1].modeLabel, "カスタム20");
    EXPECT_EQ(sink.results()[1].bitmap.palette().at(19), plus.palette.at(9));
    EXPECT_EQ(sink.results()[1].path, "NewPalette(2).bmp");
    EXPECT_EQ(sink.results()[1].paletteName, "NewPalette(2)(1)");
}

TEST(MergeManyToOne, NoSkipsOnlyThatBase) {
    ScriptedReporter reporter;
    reporter.answers = {Answer::No};
    CollectingSink sink;
    const std::vector<MergePalette> bases = {palette(1, 16, {{0, 12}}, false, "small"),
                                             palette(2, 256, {{0, 9}}, false, "large")};
    EXPECT_EQ(mergeManyToOne(bases, palette(1, 16, {{0, 9}}, false, "p"), reporter, sink), 1);
    EXPECT_EQ(sink.results()[0].bitmap.format(), PixelFormat::Bpp8);
}

TEST(MergeOneToMany, EveryPlusStartsFromTheUnchangedBase) {
    ScriptedReporter reporter;
    reporter.answers = {Answer::No};
    CollectingSink sink;
    const MergePalette base = palette(1, 16, {{0, 3}}, false, "base");  // 12 free
    const std::vector<MergePalette> pluses = {palette(1, 16, {{0, 4}}, false, "p1", 10),
                                              palette(2, 256, {{0, 99}}, false, "big", 20),
                                              palette(1, 16, {{0, 1}}, false, "p3", 30)};
    EXPECT_EQ(mergeOneToMany(base, pluses, reporter, sink), 2);
    ASSERT_EQ(reporter.shown.size(), 1u);
    EXPECT_EQ(reporter.shown[0], partialMergeQuestion("base", 12, "big", 100));
    ASSERT_EQ(sink.results().size(), 2u);
    const Palette& second = sink.results()[1].bitmap.palette();
    EXPECT_EQ(second.at(4), pluses[2].palette.at(0));
    EXPECT_EQ(second.at(5), pluses[2].palette.at(1));
    EXPECT_EQ(second.at(6), Rgb{});  // nothing left of the first plus
    EXPECT_EQ(sink.results()[1].modeLabel, "カスタム6");
}

TEST(MergeOneToMany, BaseWithoutFreeSpaceEndsBeforeAnyPlus) {
    ScriptedReporter reporter;
    CollectingSink sink;
    const std::vector<MergePalette> pluses = {workedPlus(), workedPlus()};
    EXPECT_EQ(mergeOneToMany(palette(1, 16, {}, true, "sys"), pluses, reporter, sink), 0);
    ASSERT_EQ(reporter.shown.size(), 1u);
    EXPECT_EQ(reporter.shown[0].text,
              "ベースパレットsysに空き領域がありません。\nこのパレット結合を終了します。");
}

TEST(MergeNames, FileNameSkipsEveryTakenNumber) {
    EXPECT_EQ(mergeFileName({}), "NewPalette(1).bmp");
    EXPECT_EQ(mergeFileName({{"NewPalette(2).bmp", "", ""}, {"NewPalette(1).bmp", "", ""}}),
              "NewPalette(3).bmp");
    EXPECT_EQ(mergeFileName({{"newpalette(1).bmp", "", ""}}), "NewPalette(1).bmp");  // exact
}

TEST(MergeNames, PaletteNameAvoidsOnlyADifferentModeLabel) {
    const std::vector<ResultRow> rows = {{"x.bmp", "NewPalette(3)(1)", "カスタム200"}};
    EXPECT_EQ(mergePaletteName(rows, "NewPalette(3).bmp", "カスタム256"), "NewPalette(3)(2)");
    EXPECT_EQ(mergePaletteName(rows, "NewPalette(3).bmp", "カスタム200"), "NewPalette(3)(1)");
}

TEST(MergeNames, NamesSeeTheResultsBeforeThem) {
    ScriptedReporter reporter;
    CollectingSink sink({{"NewPalette(1).bmp", "NewPalette(1)(1)", "ノーマル256"}});
    const MergePalette base = palette(1, 16, {{0, 3}}, false, "base");
    const std::vector<MergePalette> pluses = {palette(0, 2, {{0, 1}}, false, "a"),
                                              palette(0, 2, {{0, 1}}, false, "b")};
    EXPECT_EQ(
        runMerge(MergeMode::OneToMany, std::vector<MergePalette>{base}, pluses, reporter, sink), 2);
    EXPECT_EQ(sink.results()[0].path, "NewPalette(2).bmp");
    EXPECT_EQ(sink.results()[0].paletteName, "NewPalette(2)(1)");
    EXPECT_EQ(sink.results()[1].path, "NewPalette(3).bmp");
}
