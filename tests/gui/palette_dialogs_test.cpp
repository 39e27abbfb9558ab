// The palette folder as Qt names per-user data, and the read operation that
// both "読み込み" buttons share.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "gui/fake_platform.h"
#include "palette/palette_dialogs.h"
#include "palette/palette_file.h"
#include "support/scoped_env.h"

using namespace kararisu;
using namespace kararisu::test;
namespace fs = std::filesystem;

namespace {

// Qt's per-user data folder of an application called kararisu.
std::string qtDataFolder() {
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("kararisu"));
    const QString where = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCoreApplication::setApplicationName(name);
    return where.toStdString();
}

class PaletteDialogsTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    FakePlatform platform;
    PaletteList palettes;
    std::unique_ptr<ScopedEnv> dataHome;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        dataHome = std::make_unique<ScopedEnv>("XDG_DATA_HOME", (path("data")).c_str());
    }
    std::string path(const std::string& name) const {
        return dir.path().toStdString() + "/" + name;
    }
    std::string gpl(const std::string& name, const std::string& label, int depth,
                    const Palette& palette) const {
        const auto bytes = encodePaletteFile(PaletteLabel::fromText(label), depth, palette);
        std::ofstream(path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path(name);
    }
};

}  // namespace

TEST_F(PaletteDialogsTest, PaletteFolderIsQtsDataFolderOfTheProgram) {
    EXPECT_EQ(paletteFolder(), qtDataFolder() + "/Palette/");
    ScopedEnv unset("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(paletteFolder(), qtDataFolder() + "/Palette/");
}

TEST_F(PaletteDialogsTest, LoadDialogIsAskedInTheFolderItCreates) {
    EXPECT_TRUE(loadPaletteFiles(platform, WindowRef(), palettes, true).empty());  // cancelled
    EXPECT_TRUE(fs::is_directory(path("data/kararisu/Palette")));
    ASSERT_EQ(platform.openRequests.size(), 1u);
    const FileDialogRequest& r = platform.openRequests[0];
    EXPECT_EQ(r.title, "パレットの読み込み");
    EXPECT_EQ(r.filter,
              "カラリスパレットデータ(*.gpl)|*.gpl|"
              "すべてのパレットファイル(*.gpl *.pal *.act *.hex)|*.gpl;*.pal;*.act;*.hex");
    EXPECT_EQ(r.folder, path("data/kararisu/Palette/"));
    EXPECT_EQ(r.defaultSuffix, "gpl");
    EXPECT_TRUE(r.multiSelect);
    EXPECT_FALSE(r.preview);
    loadPaletteFiles(platform, WindowRef(), palettes, false);
    EXPECT_FALSE(platform.openRequests[1].multiSelect);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_TRUE(palettes.empty());
}

TEST_F(PaletteDialogsTest, EveryGoodFileIsAppendedAndEveryBadOneReported) {
    palettes.append(
        PaletteEntry{std::make_shared<const Palette>(), "ノーマル2", 0, PaletteOrigin::SourceImage},
        "first.bmp");
    const std::string a = gpl("a.gpl", "グレー16", 1, Palette({{1, 2, 3}}));
    const std::string b = gpl("b.GPL", "ノーマル256", 2, Palette({{4, 5, 6}, {7, 8, 9}}));
    std::ofstream(path("short.gpl")) << "too short";
    platform.openAnswers.push_back({a, path("short.gpl"), path("gone.gpl"), b});

    EXPECT_EQ(loadPaletteFiles(platform, WindowRef(), palettes, true), (std::vector<int>{1, 2}));
    EXPECT_EQ(platform.messages,
              (std::vector<Message>{paletteNotCreatedMessage(), paletteNotCreatedMessage()}));
    ASSERT_EQ(palettes.size(), 3);
    EXPECT_EQ(palettes.lines(), (std::vector<std::string>{"first.bmp", "a.gpl", "b.GPL"}));
    const PaletteEntry& first = palettes.at(1);
    EXPECT_EQ(first.label, "グレー16   ");  // the 11 bytes as stored, filler spaces kept
    EXPECT_EQ(first.depth, 1);
    EXPECT_EQ(first.origin, PaletteOrigin::PaletteFile);
    EXPECT_EQ(first.palette->at(0), (Rgb{1, 2, 3}));
    EXPECT_EQ(palettes.at(2).label, "ノーマル256");
    EXPECT_EQ(palettes.at(2).palette->size(), 256u);
}

TEST_F(PaletteDialogsTest, OneFileCallersTakeTheFirstChosenOnly) {
    const std::string a = gpl("a.gpl", "x", 0, Palette({{1, 1, 1}}));
    platform.openAnswers.push_back({a, gpl("b.gpl", "y", 0, Palette({{2, 2, 2}}))});
    EXPECT_EQ(loadPaletteFiles(platform, WindowRef(), palettes, false), std::vector<int>{0});
    EXPECT_EQ(palettes.lines(), std::vector<std::string>{"a.gpl"});
}
