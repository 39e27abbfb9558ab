// The work lists, the controls that mirror them, and the lists the settings
// and merge dialogs offer.
#include <gtest/gtest.h>

#include "palette/palette_choices.h"
#include "worklists/mirrored_list.h"

using namespace kararisu;

namespace {

ImageEntry entry(const std::string& path, PixelFormat f = PixelFormat::Bpp24) {
    return makeImageEntry(path, Bitmap(2, 2, f));
}

template <typename Entry>
std::vector<std::string> paths(const WorkList<Entry>& l) {
    std::vector<std::string> out;
    l.forEach([&](int, const Entry& e) { out.push_back(e.path); });
    return out;
}

struct WorkListTest : ::testing::Test {
    WorkList<ImageEntry> list;
    void fill(int n) {
        for (int i = 0; i < n; ++i) list.append(entry("f" + std::to_string(i)));
    }
};

// Records what a control is told, as the lines it would show.
struct LinesMirror : ListMirror<ImageEntry, std::string> {
    std::vector<std::string> shown;
    void appended(const ImageEntry&, const std::string& line) override { shown.push_back(line); }
    void removed(int n) override { shown.erase(shown.begin() + n); }
    void cleared() override { shown.clear(); }
};

}  // namespace

TEST_F(WorkListTest, AddThenRemoveLeavesAnEmptyListThatTakesEntriesAgain) {
    fill(1);
    list.removeAt(0);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(paths(list), std::vector<std::string>{});
    fill(2);
    EXPECT_EQ(paths(list), (std::vector<std::string>{"f0", "f1"}));
}

TEST_F(WorkListTest, RemovingTheLastEntryKeepsTheOthersAndATailAddRefillsIt) {
    fill(3);
    const ImageEntry* second = &list.at(1);
    list.removeAt(2);
    EXPECT_EQ(paths(list), (std::vector<std::string>{"f0", "f1"}));
    list.addAtTail(entry("new"));
    EXPECT_EQ(paths(list), (std::vector<std::string>{"f0", "f1", "new"}));
    EXPECT_EQ(&list.at(1), second);  // entries before a removal do not move
}

TEST_F(WorkListTest, RemovingMiddleEntriesMovesLaterOnesUpByOne) {
    fill(5);
    list.removeAt(1);
    list.removeAt(2);  // was f3
    list.removeAt(7);  // past the end: nothing
    EXPECT_EQ(paths(list), (std::vector<std::string>{"f0", "f2", "f4"}));
    EXPECT_EQ(list.size(), 3);
    list.removeAt(0);
    EXPECT_EQ(paths(list), (std::vector<std::string>{"f2", "f4"}));
}

TEST_F(WorkListTest, DepthCodeFollowsPixelFormat) {
    list.append(entry("a", PixelFormat::Bpp4));
    list.append(entry("b", PixelFormat::Bpp24));
    EXPECT_EQ(list.at(0).depth, 1);
    EXPECT_EQ(list.at(1).depth, 4);
}

TEST_F(WorkListTest, ALongListIsReleasedWithoutDeepRecursion) {
    for (int i = 0; i < 200000; ++i) list.append(ImageEntry{});
    list.clear();
    EXPECT_TRUE(list.empty());
}

TEST(MirroredListTest, EveryMirrorFollowsAddsAndRemovesAndALateOneIsFilled) {
    SourceList sources;
    LinesMirror early;
    sources.attach(early);
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) sources.append(entry(name), name);
    LinesMirror late;
    sources.attach(late);
    EXPECT_EQ(late.shown, (std::vector<std::string>{"a.bmp", "b.bmp", "c.bmp"}));
    sources.removeAt(1);
    for (const LinesMirror* m : {&early, &late})
        EXPECT_EQ(m->shown, (std::vector<std::string>{"a.bmp", "c.bmp"}));
    EXPECT_EQ(sources.at(1).path, "c.bmp");
    sources.detach(late);
    sources.clear();
    EXPECT_TRUE(early.shown.empty());
    EXPECT_EQ(late.shown.size(), 2u);
}

TEST(PaletteChoicesTest, TargetsShareTheSelectedSourcesInListOrder) {
    SourceList sources;
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) sources.append(entry(name), name);
    TargetList targets;
    targets.append(entry("old.bmp"), "old.bmp");
    prepareTargets(targets, sources, {0, 2});
    EXPECT_EQ(targets.lines(), (std::vector<std::string>{"a.bmp", "c.bmp"}));
    EXPECT_EQ(targets.at(1).bitmap, sources.at(2).bitmap);
}

TEST(PaletteChoicesTest, PalettesOfPalettedSourcesThenOfResultsNotListedYet) {
    SourceList sources;
    sources.append(entry("/p/Logo.bmp", PixelFormat::Bpp4), "Logo.bmp");
    sources.append(entry("/p/photo.bmp", PixelFormat::Bpp24), "photo.bmp");
    sources.append(entry("/p/mono.bmp", PixelFormat::Bpp1), "mono.bmp");
    ResultList results;
    results.append(entry("/p/x.bmp", PixelFormat::Bpp8), {"x.bmp", "logo.BMP", "ノーマル256"});
    results.append(entry("/p/y.bmp", PixelFormat::Bpp8), {"y.bmp", "y(1)", "グレー256"});
    results.append(entry("/p/z.bmp", PixelFormat::Bpp8), {"z.bmp", "Y(1)", "グレー256"});
    PaletteList palettes;
    preparePalettes(palettes, sources, results);
    // The 24-bit source is never offered; a result named like a listed
    // palette (any case) is listed once.
    EXPECT_EQ(palettes.lines(), (std::vector<std::string>{"Logo.bmp", "mono.bmp", "y(1)"}));
    EXPECT_EQ(palettes.at(0).label, "ノーマル16");
    EXPECT_EQ(palettes.at(0).origin, PaletteOrigin::SourceImage);
    EXPECT_EQ(palettes.at(1).label, "ノーマル2");
    EXPECT_EQ(palettes.at(2).label, "グレー256");
    EXPECT_EQ(palettes.at(2).origin, PaletteOrigin::ResultImage);
    EXPECT_EQ(palettes.at(2).depth, 2);
    // The palette stays valid after the image it came from is deleted.
    const std::shared_ptr<const Palette> kept = palettes.at(0).palette;
    sources.clear();
    EXPECT_EQ(kept->size(), 16u);
}
