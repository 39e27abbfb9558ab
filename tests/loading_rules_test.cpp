// Which files loading takes, how their paths are written and the message
// about the rejected ones.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "worklists/loading.h"

using namespace kararisu;

TEST(ImageSuffix, LastThreeCharactersInAnyCase) {
    EXPECT_TRUE(hasImageSuffix("a.bmp"));
    EXPECT_TRUE(hasImageSuffix("/x/A.BMP"));
    EXPECT_TRUE(hasImageSuffix("b.bMp"));
    EXPECT_TRUE(hasImageSuffix("bmp"));  // only the last three count
    EXPECT_TRUE(hasImageSuffix("filebmp"));
    EXPECT_TRUE(hasImageSuffix("photo.PNG"));
    EXPECT_TRUE(hasImageSuffix("png"));
    EXPECT_FALSE(hasImageSuffix("c.txt"));
    EXPECT_FALSE(hasImageSuffix("c.bmp "));
    EXPECT_FALSE(hasImageSuffix("mp"));
    EXPECT_FALSE(hasImageSuffix(""));
    EXPECT_FALSE(hasImageSuffix("c.bm\xc3\xa9"));
    EXPECT_FALSE(hasImageSuffix("c.jpg"));
}

TEST(ImageNames, TheWrittenFormatReplacesTheOtherFormatsExtensionOnly) {
    EXPECT_EQ(fileNameInFormat("photo.png", ImageFormat::Bmp), "photo.bmp");
    EXPECT_EQ(fileNameInFormat("photo.PNG", ImageFormat::Png), "photo.PNG");
    EXPECT_EQ(fileNameInFormat("logo.dib", ImageFormat::Bmp), "logo.dib");
    EXPECT_EQ(fileNameInFormat("logo.dib", ImageFormat::Png), "logo.png");
    EXPECT_EQ(fileNameInFormat("scan", ImageFormat::Png), "scan");
    EXPECT_EQ(fileNameInFormat("a.b.bmp", ImageFormat::Png), "a.b.png");
    EXPECT_EQ(formatOfExtension("/x.png/y"), std::nullopt);
    EXPECT_EQ(formatOfExtension("y.Bmp"), ImageFormat::Bmp);
}

TEST(LongForm, AbsoluteAndClean) {
    auto cwd = std::filesystem::current_path().string();
    EXPECT_EQ(longFormOf("x.bmp"), cwd + "/x.bmp");
    EXPECT_EQ(longFormOf("/a//b/./c/../d.bmp"), "/a/b/d.bmp");
    EXPECT_EQ(longFormOf("/a/b/"), "/a/b");
    EXPECT_EQ(longFormOf("/"), "/");
    std::string longPath = "/" + std::string(300, 'p') + "/" + std::string(200, 'q') + ".bmp";
    EXPECT_EQ(longFormOf(longPath), longPath);  // never cut
}

// What file managers pass for %U, and what a person may type.
TEST(PathOfArgument, FileUrisBecomeTheirDecodedPaths) {
    EXPECT_EQ(pathOfArgument("file:///tmp/a%20b.bmp"), "/tmp/a b.bmp");
    EXPECT_EQ(pathOfArgument("FILE:///tmp/x.BMP"), "/tmp/x.BMP");
    EXPECT_EQ(pathOfArgument("file:/tmp/one%2fslash.bmp"), "/tmp/one/slash.bmp");
    EXPECT_EQ(pathOfArgument("file://localhost/tmp/%E7%B5%B5.bmp"), "/tmp/\xe7\xb5\xb5.bmp");
    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    EXPECT_EQ(pathOfArgument(std::string("file://") + host + "/tmp/h.bmp"), "/tmp/h.bmp");
    // bytes that are no UTF-8 stay the bytes the file system holds
    EXPECT_EQ(pathOfArgument("file:///tmp/%e9t%C3%A9.bmp"), "/tmp/\xe9t\xc3\xa9.bmp");
    EXPECT_EQ(pathOfArgument("file:///tmp/q.bmp?x=1#top"), "/tmp/q.bmp");
    // a stray or cut-off escape is kept as it stands
    EXPECT_EQ(pathOfArgument("file:///tmp/100%.bmp"), "/tmp/100%.bmp");
    EXPECT_EQ(pathOfArgument("file:///tmp/a%2"), "/tmp/a%2");
    EXPECT_EQ(pathOfArgument("file:///tmp/%zz.bmp"), "/tmp/%zz.bmp");
}

TEST(PathOfArgument, EverythingElseStaysAsItIs) {
    for (const char* kept :
         {"a b.bmp", "/tmp/a%20b.bmp", "file:relative.bmp", "file:", "fil", "./file:///x.bmp",
          "file://elsewhere.example/tmp/a.bmp", "file://host-without-path",
          "file:///tmp/nul%00.bmp", "https://example.org/a.bmp", ""})
        EXPECT_EQ(pathOfArgument(kept), kept);
}

TEST(FolderOf, NoTrailingSlashButRootStays) {
    EXPECT_EQ(folderOf("/home/u/a.bmp"), "/home/u");
    EXPECT_EQ(folderOf("/a.bmp"), "/");
    EXPECT_EQ(folderOf("a.bmp"), "");
}

TEST(RejectedMessage, OneNamePerLineThenTheSentence) {
    EXPECT_EQ(rejectedMessage({}), "");
    EXPECT_EQ(rejectedMessage({"c.txt"}), "c.txt\nは有効なビットマップデータではありません。");
    EXPECT_EQ(rejectedMessage({"x.bmp", "y.png"}),
              "x.bmp\ny.png\nは有効なビットマップデータではありません。");
}

namespace {

struct TempFolder {
    std::filesystem::path path;
    TempFolder() {
        char pattern[] = "/tmp/kararisu-load-XXXXXX";
        path = ::mkdtemp(pattern);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

}  // namespace

TEST(ReadSource, MissingFileCannotBeOpened) {
    TempFolder t;
    const Outcome<ImageFile> r = readSourceImage(t / "gone.bmp");
    ASSERT_FALSE(r);
    EXPECT_EQ(r.problem().kind, ProblemKind::NotFound);
    EXPECT_TRUE(r.problem().cannotRead());
    EXPECT_EQ(messageText(loadFailureMessage("gone.bmp", r.problem())),
              "オープンエラー: gone.bmp: No such file or directory");
}

TEST(ReadSource, FolderAndPipeAreRefusedWithoutReading) {
    TempFolder t;
    std::filesystem::create_directory(t / "folder.bmp");
    ASSERT_EQ(::mkfifo((t / "pipe.bmp").c_str(), 0600), 0);
    for (const char* name : {"folder.bmp", "pipe.bmp"}) {
        const Outcome<ImageFile> r = readSourceImage(t / name);  // a pipe would block a reader
        ASSERT_FALSE(r) << name;
        EXPECT_EQ(r.problem().kind, ProblemKind::NotRegularFile) << name;
        EXPECT_FALSE(r.problem().cannotRead()) << name;
    }
    EXPECT_EQ(messageText(
                  loadFailureMessage("/f/folder.bmp", readSourceImage(t / "folder.bmp").problem())),
              "警告：読み込めません！！: folder.bmpは有効なビットマップデータではありません。 "
              "(/f/folder.bmp: not a file)");
}

TEST(ReadSource, HugeFileIsRefusedBeforeItIsRead) {
    TempFolder t;
    const std::string huge = t / "huge.bmp";
    { std::ofstream(huge) << "BM"; }
    std::filesystem::resize_file(huge, std::uintmax_t{8} << 30);  // sparse: no disk used
    const Outcome<ImageFile> r = readSourceImage(huge);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.problem().kind, ProblemKind::BmpTooLarge);
}

TEST(ReadSource, ValidFileReadsAsTheCoreReadsIt) {
    TempFolder t;
    saveBmp(Bitmap(3, 2, PixelFormat::Bpp8), t / "ok.bmp").take(t / "ok.bmp");
    const ImageFile f = readSourceImage(t / "ok.bmp").take("ok.bmp");
    EXPECT_EQ(f.bitmap.width(), 3);
    EXPECT_EQ(f.bitmap.format(), PixelFormat::Bpp8);
    EXPECT_EQ(f.format, ImageFormat::Bmp);
}

TEST(ReadSource, TheContentDecidesTheFormatNotTheName) {
    TempFolder t;
    Bitmap b(3, 2, PixelFormat::Bpp4);
    b.setIndex(2, 1, 5);
    savePng(b, t / "looks.bmp").take("looks.bmp");
    saveBmp(b, t / "looks.png").take("looks.png");
    const ImageFile png = readSourceImage(t / "looks.bmp").take("looks.bmp");
    const ImageFile bmp = readSourceImage(t / "looks.png").take("looks.png");
    EXPECT_EQ(png.format, ImageFormat::Png);
    EXPECT_EQ(bmp.format, ImageFormat::Bmp);
    EXPECT_EQ(png.bitmap, bmp.bitmap);
    { std::ofstream(t / "text.png") << "neither format"; }
    const Outcome<ImageFile> neither = readSourceImage(t / "text.png");
    ASSERT_FALSE(neither);
    EXPECT_EQ(neither.problem().kind, ProblemKind::NotAnImage);
}
