#include <gtest/gtest.h>

#include "worklists/work_list.h"

using namespace kararisu;

namespace {

ImageEntry entry(const std::string& path, PixelFormat f = PixelFormat::Bpp24) {
    return makeImageEntry(path, Bitmap(2, 2, f));
}

std::vector<std::string> paths(const ImageList& l) {
    std::vector<std::string> out;
    for (auto* e = l.head; e != l.tail; e = e->link) out.push_back(e->path);
    return out;
}

struct WorkListTest : ::testing::Test {
    ImageList list;
    void SetUp() override { initialise(list); }
    void TearDown() override { release(list); }
    void fill(int n) {
        for (int i = 0; i < n; ++i) {
            if (i == 0)
                addAtHead(list, entry("f" + std::to_string(i)));
            else
                addAtTail(list, entry("f" + std::to_string(i)));
        }
    }
};

}  // namespace

TEST_F(WorkListTest, AddThenRemoveLeavesEmptyList) {
    fill(1);
    remove(list, list.head);
    EXPECT_EQ(list.head, list.tail);
}

TEST_F(WorkListTest, RemovingLastEntryMakesItTheSentinelAndATailAddRefillsIt) {
    fill(3);
    ImageEntry* last = entryAt(list, 2);
    remove(list, last);
    EXPECT_EQ(list.tail, last);
    EXPECT_EQ(paths(list), (std::vector<std::string>{"f0", "f1"}));
    EXPECT_EQ(addAtTail(list, entry("new")), last);
    EXPECT_EQ(paths(list), (std::vector<std::string>{"f0", "f1", "new"}));
}

TEST_F(WorkListTest, RemovingMiddleEntriesKeepsOrder) {
    fill(5);
    remove(list, entryAt(list, 1));
    remove(list, entryAt(list, 2));  // was f3
    EXPECT_EQ(paths(list), (std::vector<std::string>{"f0", "f2", "f4"}));
    EXPECT_EQ(entryAt(list, 3), nullptr);
}

TEST_F(WorkListTest, DepthCodeFollowsPixelFormat) {
    addAtHead(list, entry("a", PixelFormat::Bpp4));
    addAtTail(list, entry("b", PixelFormat::Bpp24));
    EXPECT_EQ(entryAt(list, 0)->depth, 1);
    EXPECT_EQ(entryAt(list, 1)->depth, 4);
}

TEST(PaletteEntryTest, ReferenceOutlivesClearedSource) {
    PaletteList pl;
    initialise(pl);
    auto palette = std::make_shared<const Palette>(std::vector<Rgb>{{1, 2, 3}});
    PaletteEntry e;
    e.palette = palette;
    e.label = "ノーマル2";
    addAtHead(pl, std::move(e));
    palette.reset();
    EXPECT_EQ(pl.head->palette->at(0), (Rgb{1, 2, 3}));
    release(pl);
    EXPECT_EQ(pl.head, nullptr);
}
