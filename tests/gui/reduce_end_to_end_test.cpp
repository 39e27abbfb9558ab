// From opening to saving through the window: three pictures of 1, 8 and 24
// bits unified on the 24-bit one's palette and saved into a folder typed
// into the chooser, each file as the batch tool writes it.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "gui/reduce_fixture.h"
#include "support/cli_runner.h"
#include "support/file_bytes.h"
#include "support/pictures.h"

using namespace kararisu;
using namespace kararisu::test;

namespace {

// A paletted picture whose indexes run across it.
Bitmap indexed(PixelFormat f, int w, int h, std::vector<Rgb> colours) {
    Bitmap b(w, h, f);
    b.setPaletteEntries(Palette(std::move(colours)));
    const unsigned n = 1u << storageBits(f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.setIndex(x, y, unsigned(3 * x + y) % n);
    return b;
}

TEST_F(ReduceTest, UnifiedResultsSavedToANewFolderAreTheBatchToolsFiles) {
    std::vector<Rgb> grey(256);
    for (int i = 0; i < 256; ++i) grey[i] = rgb(i, 255 - i, i / 2);
    const std::vector<std::pair<std::string, Bitmap>> pictures = {
        {"mono.bmp", indexed(PixelFormat::Bpp1, 13, 7, {rgb(0, 0, 80), rgb(250, 240, 10)})},
        {"eight.bmp", indexed(PixelFormat::Bpp8, 40, 21, grey)},
        {"photo.bmp", picture({rgb(200, 30, 30), rgb(10, 200, 60), rgb(30, 30, 220),
                               rgb(250, 250, 250), rgb(90, 60, 20), rgb(0, 0, 0)},
                              37, 29)}};
    std::vector<std::string> files;
    for (const auto& [name, b] : pictures) {
        saveBmp(b, path(name)).take(path(name));
        files.push_back(path(name));
    }
    main().DropFiles(files);
    selectLines({0, 1, 2});
    reduce([](TGenSetDlg& d) {
        choose(d, 25);
        d.Edit1->setText(QStringLiteral("5"));
        pick(d, ReductionMenu::Reference);
        d.TargetBox->setCurrentIndex(2);
        d.OKButton->click();
    });
    ASSERT_EQ(main().lists().results.size(), 3);
    for (int j = 0; j < 3; ++j) main().ui().GenListView->topLevelItem(j)->setSelected(true);
    const std::string folder = path("saved/new/here");
    platform.folderAnswers = {folder};
    main().F1Click();  // asked whether to make the folder; the script says yes
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].buttons, MessageButtons::Ok);

    const std::string cliOut = path("cli");
    std::filesystem::create_directory(cliOut);
    const CliRun cli =
        runCli("reduce --mode 25 --colors 5 --no-progress --reference '" + files[2] + "' -o '" +
               cliOut + "' '" + files[0] + "' '" + files[1] + "' '" + files[2] + "'");
    ASSERT_EQ(cli.status, 0) << cli.out;
    for (const auto& [name, b] : pictures) {
        SCOPED_TRACE(name);
        const std::string saved = bytesOf(folder + "/" + name);
        ASSERT_FALSE(saved.empty());
        EXPECT_EQ(saved, bytesOf(cliOut + "/" + name));
    }
    EXPECT_EQ(paletteNames(), (std::vector<std::string>{"photo(PG1)", "photo(PG1)", "photo(PG1)"}));
}

}  // namespace
