// The palette save command: one save dialog per selected result, the palette
// file it writes, a cancel and a failure, and the same bytes as the batch tool.
#include <QTreeWidgetItem>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "gui/gui_fixture.h"
#include "palette/palette_file.h"
#include "palette/palette_input.h"
#include "support/cli_runner.h"
#include "support/file_bytes.h"
#include "support/scoped_env.h"

using namespace kararisu;
using namespace kararisu::test;
namespace fs = std::filesystem;

namespace {

Bitmap sixteenColours() {
    Bitmap b(4, 4, PixelFormat::Bpp4);
    std::vector<Rgb> entries;
    for (int i = 0; i < 16; ++i)
        entries.push_back(Rgb{std::uint8_t(i * 16), 7, std::uint8_t(255 - i)});
    b.setPalette(Palette(entries));
    return b;
}

class PaletteSaveTest : public GuiTest {
  protected:
    std::unique_ptr<ScopedEnv> dataHome;  // the palette folder under the test's folder

    void SetUp() override {
        GuiTest::SetUp();
        dataHome = std::make_unique<ScopedEnv>("XDG_DATA_HOME", path("data").c_str());
        start();
    }
    void addResult(Bitmap b, const std::string& paletteName, const std::string& mode) {
        main().resultSink().add(Result{std::move(b), path("photo.bmp"), paletteName, mode});
    }
    void selectRows(std::initializer_list<int> rows) {
        main().ui().GenListView->clearSelection();
        for (int r : rows) main().ui().GenListView->topLevelItem(r)->setSelected(true);
    }
};

TEST_F(PaletteSaveTest, ASixteenColourResultGivesAnEightyEightByteFile) {
    addResult(sixteenColours(), "photo(1)", "グレー16");
    selectRows({0});
    platform.saveAnswers = {path("photo(1).gpl")};
    main().P2Click();
    ASSERT_EQ(platform.saveRequests.size(), 1u);
    const FileDialogRequest& r = platform.saveRequests[0];
    EXPECT_EQ(r.title, "パレットの保存");
    // The program's own format first, then the other programs' formats.
    EXPECT_EQ(r.filter.rfind("カラリスパレットデータ(*.gpl)|*.gpl|", 0), 0u) << r.filter;
    EXPECT_EQ(r.defaultSuffix, "gpl");
    EXPECT_EQ(r.fileName, path("data/kararisu/Palette/photo(1).gpl"));
    EXPECT_EQ(r.folder, path("data/kararisu/Palette"));
    EXPECT_TRUE(fs::is_directory(r.folder));
    EXPECT_TRUE(r.confirmOverwrite);
    EXPECT_FALSE(r.preview);
    const std::string b = bytesOf(path("photo(1).gpl"));
    ASSERT_EQ(b.size(), 88u);
    EXPECT_EQ(b.substr(0, 12), std::string("\x83O\x83\x8C\x81[16   \0", 12));  // Shift-JIS グレー16
    EXPECT_EQ(b.substr(12, 8), std::string("\x01\0\0\0\0\x03\x10\0", 8));
    EXPECT_EQ(b.substr(20 + 4 * 15, 4), std::string("\xf0\x07\xf0\0", 4));
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(PaletteSaveTest, ACancelSkipsOneRowAndAFailureEndsTheCommand) {
    for (int i = 0; i < 3; ++i)
        addResult(sixteenColours(), "p(" + std::to_string(i + 1) + ")", "ノーマル16");
    selectRows({0, 1, 2});
    platform.saveAnswers = {std::nullopt, path("two.gpl"), path("three.gpl")};
    main().P2Click();
    EXPECT_EQ(platform.saveRequests.size(), 3u);
    EXPECT_FALSE(fs::exists(path("p(1).gpl")));
    EXPECT_TRUE(fs::exists(path("two.gpl")));
    EXPECT_TRUE(fs::exists(path("three.gpl")));

    platform.saveRequests.clear();
    platform.saveAnswers = {path("missing/one.gpl"), path("four.gpl")};
    main().P2Click();
    EXPECT_EQ(platform.saveRequests.size(), 1u);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "パレットの保存に失敗しました");
    EXPECT_EQ(platform.messages[0].caption, "ファイルが作成できません");
    EXPECT_EQ(platform.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(fs::exists(path("four.gpl")));
}

TEST_F(PaletteSaveTest, WithNoRowSelectedNothingHappens) {
    addResult(sixteenColours(), "p(1)", "ノーマル16");
    selectRows({});
    main().P2Click();
    EXPECT_TRUE(platform.saveRequests.empty());
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_FALSE(fs::exists(path("data")));  // not even the folder is made
}

// The window's palette file of a result is the batch tool's, byte for byte:
// the file `reduce --save-palette` writes beside the result, and the one
// `palette --save` writes from the result image.
TEST_F(PaletteSaveTest, IsByteIdenticalToTheBatchTools) {
    const std::string source = bmp("photo.bmp", PixelFormat::Bpp24);
    fs::create_directory(path("cli"));
    const CliRun run = runCli("reduce --mode 4 --save-palette --no-progress -o '" + path("cli") +
                              "' '" + source + "'");
    ASSERT_EQ(run.status, 0) << run.out;
    // file name, palette name, mode label, bits, path
    std::istringstream line(run.out);
    std::string file, paletteName, mode, bits, written;
    std::getline(line, file, '\t');
    std::getline(line, paletteName, '\t');
    std::getline(line, mode, '\t');
    std::getline(line, bits, '\t');
    std::getline(line, written, '\n');
    ASSERT_EQ(mode, "ノーマル16");
    addResult(loadBmp(written).take(written), paletteName, mode);
    selectRows({0});
    platform.saveAnswers = {path("window.gpl")};
    main().P2Click();
    const std::string ours = bytesOf(path("window.gpl"));
    EXPECT_EQ(ours.size(), 88u);
    EXPECT_EQ(ours, bytesOf(path("cli/" + paletteName + ".gpl")));
    ASSERT_EQ(runCli("palette '" + written + "' --save '" + path("cli.gpl") + "'").status, 0);
    EXPECT_EQ(ours, bytesOf(path("cli.gpl")));
}

}  // namespace

// The filter chosen in the dialog decides the format written: a GIMP palette
// named after the result, read back to the same colours.
TEST_F(PaletteSaveTest, TheChosenFilterDecidesTheFormat) {
    addResult(sixteenColours(), "photo(1)", "グレー16");
    selectRows({0});
    platform.saveAnswers = {path("photo.gpl")};
    platform.saveFilterAnswers = {"GIMPパレット(*.gpl)"};
    main().P2Click();
    const std::string text = bytesOf(path("photo.gpl"));
    EXPECT_EQ(text.rfind("GIMP Palette\n", 0), 0u) << text;
    EXPECT_NE(text.find("Name: photo(1)"), std::string::npos);
    Outcome<PaletteInput> back = loadPaletteInput(path("photo.gpl"));
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back->palette, sixteenColours().palette());
}
