// The batch tool with PNG files: results in their source's format or the one
// asked for, convert by the output's extension, info naming the format,
// the other commands taking PNG input, and the partial-alpha warning.
#include <gtest/gtest.h>

#include <fstream>

#include "support/cli_runner.h"
#include "support/pictures.h"
#include "worklists/image_file.h"

namespace kararisu {
namespace {

using test::CliRun;
using test::rgb;
using test::runCli;

struct CliPngTest : test::ScratchFolder {
    ImageFile read(const std::string& name) const { return readImageFile(file(name)).take(name); }
    // Four colours on a 6 x 2 picture, written as `name` in `format`.
    void write(const std::string& name, ImageFormat format) {
        const Bitmap b =
            test::picture({rgb(250, 0, 0), rgb(0, 0, 250), rgb(9, 9, 9), rgb(0, 200, 0)}, 6, 2);
        saveImage(b, file(name), format).take(name);
    }
};

TEST_F(CliPngTest, ResultsKeepTheirSourcesFormatUnlessOneIsAskedFor) {
    write("a.png", ImageFormat::Png);
    write("b.bmp", ImageFormat::Bmp);
    CliRun r = runCli("reduce --mode 4 -o " + quoted("out") + " " + quoted("a.png") + " " +
                      quoted("b.bmp"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(read("out/a.png").format, ImageFormat::Png);
    EXPECT_EQ(read("out/b.bmp").format, ImageFormat::Bmp);
    EXPECT_EQ(read("out/a.png").bitmap, read("out/b.bmp").bitmap);
    EXPECT_NE(r.out.find("a.png\ta(1)\tノーマル16\t4\t" + file("out/a.png")), std::string::npos)
        << r.out;
    // --format: the other format's extension is replaced.
    r = runCli("reduce --mode 4 --format png -o " + quoted("out") + " " + quoted("b.bmp"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(read("out/b.png").format, ImageFormat::Png);
    EXPECT_EQ(read("out/b.png").bitmap, read("out/b.bmp").bitmap);
    // Given twice for images, or not png/bmp/palette format: a usage error.
    EXPECT_EQ(runCli("reduce --format png --format bmp -o " + quoted("out") + " " + quoted("b.bmp"))
                  .status,
              2);
    EXPECT_EQ(runCli("reduce --format gif -o " + quoted("out") + " " + quoted("b.bmp")).status, 2);
    // An image format and a palette format side by side.
    r = runCli("reduce --format bmp --save-palette --format hex -o " + quoted("out") + " " +
               quoted("a.png"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(read("out/a.bmp").format, ImageFormat::Bmp);
    EXPECT_TRUE(std::filesystem::exists(file("out/a(1).hex")));
}

TEST_F(CliPngTest, ConvertWritesTheFormatItsOutputsExtensionNames) {
    write("in.bmp", ImageFormat::Bmp);
    ASSERT_EQ(runCli("convert " + quoted("in.bmp") + " " + quoted("x.png")).status, 0);
    ASSERT_EQ(runCli("convert " + quoted("x.png") + " " + quoted("y.bmp")).status, 0);
    ASSERT_EQ(runCli("convert " + quoted("x.png") + " " + quoted("z.img")).status, 0);
    EXPECT_EQ(read("x.png").format, ImageFormat::Png);
    EXPECT_EQ(read("y.bmp").format, ImageFormat::Bmp);
    EXPECT_EQ(read("z.img").format, ImageFormat::Png);  // another extension: the input's
    EXPECT_EQ(read("y.bmp").bitmap, read("in.bmp").bitmap);
}

TEST_F(CliPngTest, StandardInputTakesPngAndTheResultKeepsItsFormat) {
    write("a.png", ImageFormat::Png);
    const std::string cli = KARARISU_CLI;
    const auto sh = [](const std::string& cmd) { return std::system(cmd.c_str()); };
    ASSERT_EQ(sh(cli + " reduce --mode 4 -o - - < " + quoted("a.png") + " > " + quoted("r.png")), 0);
    EXPECT_EQ(read("r.png").format, ImageFormat::Png);
    ASSERT_EQ(sh(cli + " reduce --mode 4 --format bmp -o - - < " + quoted("a.png") + " > " +
                 quoted("r.bmp")),
              0);
    EXPECT_EQ(read("r.bmp").bitmap, read("r.png").bitmap);
    ASSERT_EQ(sh("cat " + quoted("a.png") + " | " + cli + " convert - " + quoted("c.bmp")), 0);
    EXPECT_EQ(read("c.bmp").format, ImageFormat::Bmp);
    EXPECT_EQ(read("c.bmp").bitmap, read("a.png").bitmap);
}

TEST_F(CliPngTest, InfoNamesTheFormatAndTheTransparentPixels) {
    Bitmap b(3, 2, PixelFormat::Bpp8);
    b.setTransparentEntry(0);
    b.setIndex(1, 1, 4);
    savePng(b, file("t.png")).take("t.png");
    write("o.bmp", ImageFormat::Bmp);
    const CliRun r = runCli("info " + quoted("t.png") + " " + quoted("o.bmp"));
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("t.png\t3 x 2\t8 bpp in file\tformat 8\tDepthCode 2\tcompression "
                         "deflate\tPNG\t5 transparent\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("o.bmp\t6 x 2\t24 bpp in file\tformat 24\tDepthCode 4\tcompression "
                         "none\tBMP\n"),
              std::string::npos)
        << r.out;
}

TEST_F(CliPngTest, CountAndPaletteTakePngAndABadOneIsNamed) {
    write("a.png", ImageFormat::Png);
    std::ofstream(file("bad.png")) << "\x89PNG\r\n\x1a\n and then nothing";
    CliRun r = runCli("count " + quoted("a.png") + " " + quoted("bad.png"), true);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find(file("a.png") + "\t4\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("bad.pngは有効なビットマップデータではありません。"), std::string::npos)
        << r.out;
    ASSERT_EQ(runCli("reduce --mode 4 -o " + quoted("out") + " " + quoted("a.png")).status, 0);
    r = runCli("palette " + quoted("out/a.png"));
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("label \"ノーマル16\"\nDepthCode 1\n0 0 0 250\n"), std::string::npos)
        << r.out;
}

TEST_F(CliPngTest, PartialAlphaIsWarnedAboutOncePerFile) {
    Bitmap b(4, 1, PixelFormat::Bpp32);
    b.writableMaskRow(0)[1] = 1;
    savePng(b, file("clear.png")).take("clear.png");
    // A file with partial alpha is made by hand: grey + alpha, 8 bits.
    CliRun r = runCli("reduce --mode 0 -o " + quoted("out") + " " + quoted("clear.png"), true);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.find("warning"), std::string::npos) << r.out;
    EXPECT_TRUE(read("out/clear.png").bitmap.isTransparentEntry(255));
    const std::string partial = KARARISU_TEST_DATA "/png/partial-alpha.png";
    r = runCli("reduce --mode 0 -o " + quoted("out") + " '" + partial + "'", true);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("partial-alpha.png: warning: 2 pixels were partly transparent"),
              std::string::npos)
        << r.out;
}

}  // namespace
}  // namespace kararisu
