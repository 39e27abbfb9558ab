// Saving results: to a chosen folder with the overwrite question, under a
// chosen name, over the source, and their palettes as palette files.
#include <sys/stat.h>
#include <unistd.h>

#include <QTreeWidgetItem>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/folder_creation.h"
#include "app/save_texts.h"
#include "gui/gui_fixture.h"
#include "palette/palette_file.h"
#include "support/file_bytes.h"
#include "support/scoped_env.h"
#include "worklists/image_file.h"

using namespace kararisu;
using namespace kararisu::test;
namespace fs = std::filesystem;

namespace {

using test::bytesOf;  // of a file; the overload below gives a bitmap's

std::string bytesOf(const Bitmap& b) {
    const std::vector<std::uint8_t> v = encodeBmp(b);
    return {v.begin(), v.end()};
}

// A picture whose pixels tell the results apart.
Bitmap result(int seed, PixelFormat f = PixelFormat::Bpp8) {
    Bitmap b(5, 4, f);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) b.setIndex(x, y, unsigned(x + y + seed) % 2);
    return b;
}

class SaveTest : public GuiTest {
  protected:
    std::string out;                      // an empty folder to save into
    std::unique_ptr<ScopedEnv> dataHome;  // the palette folder under the test's folder

    void SetUp() override {
        GuiTest::SetUp();
        dataHome = std::make_unique<ScopedEnv>("XDG_DATA_HOME", path("data").c_str());
        start();
        out = path("out");
        fs::create_directory(out);
        fs::create_directory(path("src"));
    }
    // A result as a run registers it: `where` is its source's path, or a bare
    // name for a merge result.
    void addResult(const std::string& where, Bitmap b) {
        main().resultSink().add(Result{std::move(b), where, "p(1)", "ノーマル256"});
    }
    // Reduced images of src/a.bmp, src/b.bmp, src/c.bmp, all selected.
    void addThree() {
        for (int i = 0; i < 3; ++i)
            addResult(path("src/" + std::string(1, char('a' + i)) + ".bmp"), result(i));
        selectRows({0, 1, 2});
    }
    void selectRows(std::initializer_list<int> rows) {
        main().ui().GenListView->clearSelection();
        for (int r : rows) main().ui().GenListView->topLevelItem(r)->setSelected(true);
    }
    std::string outFile(const std::string& name) const { return out + "/" + name; }
    const ImageEntry& entry(int n) { return main().lists().results.at(n); }
};

// The menu item, the tool button and the popup item of each save command
// open its dialog.
TEST_F(SaveTest, EachSaveCommandIsReachedFromItsThreeControls) {
    addResult("merged1.bmp", result(1));  // overwrite opens the save dialog for it
    selectRows({0});
    main().File1Click();
    main().GenListViewMouseUp();
    main().PopupMenu2Popup();
    MainControls& u = main().ui();
    u.Save1->trigger();
    u.Save1Button->click();
    u.F1->trigger();
    EXPECT_EQ(platform.folderRequests.size(), 3u);
    u.Save3->trigger();
    u.Save3Button->click();
    u.S3->trigger();
    u.Save2->trigger();
    u.Save2Button->click();
    u.S2->trigger();
    EXPECT_EQ(platform.saveRequests.size(), 6u);
    u.P4->trigger();
    u.Save4Button->click();
    u.P2->trigger();
    ASSERT_EQ(platform.saveRequests.size(), 9u);
    EXPECT_EQ(platform.saveRequests[8].title, "パレットの保存");
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_TRUE(fs::is_empty(out));
}

TEST_F(SaveTest, ToAFolderHoldingNoneOfTheNamesWritesAllWithoutAQuestion) {
    addThree();
    const std::string before = main().SaveFolder;
    platform.folderAnswers = {out};
    main().F1Click();
    ASSERT_EQ(platform.folderRequests.size(), 1u);
    EXPECT_EQ(platform.folderRequests[0], std::make_pair(std::string(kSaveFolderCaption), before));
    EXPECT_TRUE(platform.messages.empty());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(bytesOf(outFile(fileNameOf(entry(i).path))), bytesOf(*entry(i).bitmap));
    EXPECT_EQ(main().SaveFolder, out);
    // the next save dialog starts there
    selectRows({1});
    main().S3Click();
    ASSERT_EQ(platform.saveRequests.size(), 1u);
    EXPECT_EQ(platform.saveRequests[0].folder, out);
}

TEST_F(SaveTest, OnlySelectedRowsAreSavedAndACancelledChooserWritesNothing) {
    addThree();
    selectRows({0, 2});
    main().F1Click();  // cancelled
    EXPECT_TRUE(fs::is_empty(out));
    platform.folderAnswers = {out + "/"};
    main().F1Click();
    EXPECT_TRUE(fs::exists(outFile("a.bmp")));
    EXPECT_FALSE(fs::exists(outFile("b.bmp")));
    EXPECT_TRUE(fs::exists(outFile("c.bmp")));
}

// The second of three names exists; with `thirdToo` the third as well.
class OverwriteQuestionTest : public SaveTest {
  protected:
    void prepare(bool thirdToo) {
        addThree();
        junk("out/b.bmp", "old b");
        if (thirdToo) junk("out/c.bmp", "old c");
        platform.folderAnswers = {out};
    }
};

TEST_F(OverwriteQuestionTest, NamesTheFileTwiceWithTheCaptionAndThreeButtons) {
    prepare(false);
    platform.answers = {Answer::No};
    main().F1Click();
    ASSERT_EQ(platform.messages.size(), 1u);
    const Message& q = platform.messages[0];
    EXPECT_EQ(q.text,
              "b.bmpを含め、同じ名前のファイルが存在します。\nすべて上書きしますか？\n"
              "「はい」だとすべて上書き、\n「いいえ」だとb.bmpを上書きします。");
    EXPECT_EQ(q.caption, "質問：上書きしますか？");
    EXPECT_EQ(q.icon, MessageIcon::Question);
    EXPECT_EQ(q.buttons, MessageButtons::YesNoCancel);
}

TEST_F(OverwriteQuestionTest, YesWritesItAndEveryLaterFileWithoutAsking) {
    prepare(true);
    platform.answers = {Answer::Yes};
    main().F1Click();
    EXPECT_EQ(platform.messages.size(), 1u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(bytesOf(outFile(fileNameOf(entry(i).path))), bytesOf(*entry(i).bitmap));
}

TEST_F(OverwriteQuestionTest, NoWritesItAndAsksAgainOnlyForALaterNameThatExists) {
    prepare(false);
    platform.answers = {Answer::No};
    main().F1Click();
    EXPECT_EQ(platform.messages.size(), 1u);  // c.bmp was not there
    EXPECT_EQ(bytesOf(outFile("b.bmp")), bytesOf(*entry(1).bitmap));
    EXPECT_TRUE(fs::exists(outFile("c.bmp")));

    platform.messages.clear();
    fs::remove_all(out);
    fs::create_directory(out);
    prepare(true);
    platform.answers = {Answer::No, Answer::No};
    main().F1Click();
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_NE(platform.messages[1].text.find("c.bmp"), std::string::npos);
}

TEST_F(OverwriteQuestionTest, CancelStopsBeforeThatFileAndTheRest) {
    prepare(false);
    platform.answers = {Answer::Cancel};
    main().F1Click();
    EXPECT_EQ(bytesOf(outFile("a.bmp")), bytesOf(*entry(0).bitmap));
    EXPECT_EQ(bytesOf(outFile("b.bmp")), "old b");
    EXPECT_FALSE(fs::exists(outFile("c.bmp")));
    EXPECT_EQ(main().SaveFolder, out);  // a.bmp was written there
}

TEST_F(SaveTest, ATypedFolderThatDoesNotExistIsOfferedAndMadeWithItsParents) {
    addThree();
    const std::string fresh = out + "/new/deeper";
    platform.folderAnswers = {fresh};
    platform.answers = {Answer::No};
    main().F1Click();
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], createFolderQuestion(fresh));
    EXPECT_FALSE(fs::exists(out + "/new"));

    platform.folderAnswers = {fresh};
    platform.answers = {Answer::Yes};
    main().F1Click();
    EXPECT_TRUE(fs::exists(fresh + "/a.bmp"));
    EXPECT_EQ(main().SaveFolder, fresh);
}

TEST_F(SaveTest, AFolderThatCannotBeMadeIsReportedAndNothingIsWritten) {
    addThree();
    junk("out/file", "x");
    platform.folderAnswers = {out + "/file/sub"};
    platform.answers = {Answer::Yes};
    main().F1Click();
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[1].caption, "警告：フォルダが作成できません");
    EXPECT_NE(platform.messages[1].text.find("ファイルがあります"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(out), {}), 1);
}

// The general error display, in Japanese, naming the file; the command stops.
void expectWriteError(const FakePlatform& platform, const std::string& file,
                      const std::string& reason) {
    ASSERT_FALSE(platform.messages.empty());
    const Message& m = platform.messages.back();
    EXPECT_EQ(m.caption, "カラリス");
    EXPECT_EQ(m.icon, MessageIcon::Stop);
    EXPECT_EQ(m.text.find(file), 0u) << m.text;
    EXPECT_NE(m.text.find(reason), std::string::npos) << m.text;
}

TEST_F(SaveTest, AFolderInTheWayShowsTheGeneralErrorAndStopsTheCommand) {
    addThree();
    fs::create_directory(outFile("b.bmp"));
    platform.folderAnswers = {out};
    platform.answers = {Answer::Yes};
    main().File1Click();
    main().ui().Save1->trigger();  // through the command table, as a click
    expectWriteError(platform, outFile("b.bmp"), "フォルダ");
    EXPECT_TRUE(fs::exists(outFile("a.bmp")));  // written before stays
    EXPECT_TRUE(fs::is_directory(outFile("b.bmp")));
    EXPECT_FALSE(fs::exists(outFile("c.bmp")));
    EXPECT_EQ(std::distance(fs::directory_iterator(out), {}), 2);  // no temporary left
}

TEST_F(SaveTest, AReadOnlyFolderShowsTheGeneralErrorAndLeavesTheOldFileIntact) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    addThree();
    junk("out/a.bmp", "old a");
    ::chmod(out.c_str(), 0555);
    platform.folderAnswers = {out};
    platform.answers = {Answer::Yes};
    main().File1Click();
    main().ui().Save1->trigger();
    ::chmod(out.c_str(), 0755);
    expectWriteError(platform, outFile("a.bmp"), "権限");
    EXPECT_EQ(bytesOf(outFile("a.bmp")), "old a");
    EXPECT_EQ(std::distance(fs::directory_iterator(out), {}), 1);
}

TEST_F(SaveTest, SaveAsOffersTheNameAndSkipsACancelledImage) {
    addThree();
    selectRows({0, 2});
    platform.saveAnswers = {std::nullopt, outFile("chosen.bmp")};
    main().S3Click();
    ASSERT_EQ(platform.saveRequests.size(), 2u);
    FileDialogRequest want;
    want.filter = "ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)|*.bmp|PNG画像 (*.png)|*.png";
    want.folder = platform.saveRequests[0].folder;
    want.fileName = "a.bmp";
    want.defaultSuffix = "bmp";
    want.preview = true;
    want.confirmOverwrite = true;
    EXPECT_EQ(platform.saveRequests[0], want);
    EXPECT_EQ(platform.saveRequests[1].fileName, "c.bmp");
    EXPECT_EQ(bytesOf(outFile("chosen.bmp")), bytesOf(*entry(2).bitmap));
    EXPECT_EQ(main().SaveFolder, out);
}

TEST_F(SaveTest, APngResultIsSavedAsPngUnlessTheUserChoosesBmp) {
    main().resultSink().add(
        Result{result(3), path("src/p.png"), "p(1)", "ノーマル256", ImageFormat::Png});
    addResult(path("src/b.bmp"), result(4));
    selectRows({0, 1});
    auto formatOf = [](const std::string& file) { return readImageFile(file).take(file).format; };
    platform.folderAnswers = {out};
    main().F1Click();
    EXPECT_EQ(formatOf(outFile("p.png")), ImageFormat::Png);
    EXPECT_EQ(formatOf(outFile("b.bmp")), ImageFormat::Bmp);
    EXPECT_EQ(readImageFile(outFile("p.png")).take("p").bitmap, *entry(0).bitmap);
    // Save as: the result's format is offered first; a typed extension wins
    // over the filter, and a name without one takes the filter's format.
    platform.saveAnswers = {outFile("typed.bmp"), outFile("plain")};
    platform.saveFilterAnswers = {"PNG画像 (*.png)", "ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)"};
    main().S3Click();
    ASSERT_EQ(platform.saveRequests.size(), 2u);
    EXPECT_EQ(platform.saveRequests[0].filter, "PNG画像 (*.png)|*.png|ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)|*.bmp");
    EXPECT_EQ(platform.saveRequests[0].defaultSuffix, "png");
    EXPECT_EQ(platform.saveRequests[1].filter, "ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)|*.bmp|PNG画像 (*.png)|*.png");
    EXPECT_EQ(formatOf(outFile("typed.bmp")), ImageFormat::Bmp);
    EXPECT_EQ(formatOf(outFile("plain")), ImageFormat::Bmp);
    // Over the source: in the source's format.
    selectRows({0});
    main().S2Click();
    EXPECT_EQ(formatOf(path("src/p.png")), ImageFormat::Png);
}

TEST_F(SaveTest, OverwriteReplacesTheSourceOnDiskAndLeavesTheSourceEntry) {
    const std::string source = bmp("src/photo.bmp", PixelFormat::Bpp24);
    main().DropFiles({source});
    addResult(source, result(7, PixelFormat::Bpp4));
    selectRows({0});
    const std::string before = main().SaveFolder;
    main().S2Click();
    EXPECT_TRUE(platform.saveRequests.empty());
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(bytesOf(source), bytesOf(*entry(0).bitmap));
    EXPECT_EQ(main().lists().sources.at(0).bitmap->format(), PixelFormat::Bpp24);
    EXPECT_EQ(main().SaveFolder, before);
}

TEST_F(SaveTest, OverwriteOnAMergeResultOpensTheSaveDialogWithItsName) {
    addResult("merged1.bmp", result(1));
    selectRows({0});
    platform.saveAnswers = {outFile("merged1.bmp")};
    main().S2Click();
    ASSERT_EQ(platform.saveRequests.size(), 1u);
    EXPECT_EQ(platform.saveRequests[0].fileName, "merged1.bmp");
    EXPECT_TRUE(platform.saveRequests[0].preview);
    EXPECT_EQ(bytesOf(outFile("merged1.bmp")), bytesOf(*entry(0).bitmap));
    EXPECT_EQ(main().SaveFolder, out);
}

TEST_F(SaveTest, WithNoRowSelectedOnlyTheFolderChooserAppears) {
    addThree();
    selectRows({});
    platform.folderAnswers = {out};
    main().F1Click();
    main().S3Click();
    main().S2Click();
    main().P2Click();
    EXPECT_EQ(platform.folderRequests.size(), 1u);
    EXPECT_TRUE(platform.saveRequests.empty());
    EXPECT_TRUE(fs::is_empty(out));
}

}  // namespace
