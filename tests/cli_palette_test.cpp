// The batch tool's palette and merge commands, run as a person runs them,
// on fixtures made here; expected bytes and colours follow from the rules.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "palette/palette_file.h"
#include "worklists/bmp/bmp.h"

using namespace kararisu;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

struct CliPaletteTest : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        std::string t = (fs::temp_directory_path() / "kararisu-clipal-XXXXXX").string();
        dir = ::mkdtemp(t.data());
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string file(const std::string& name) const { return (dir / name).string(); }

    CliRun cli(const std::string& args) const {
        const std::string errFile = file("stderr.txt");
        const std::string cmd = std::string(KARARISU_CLI) + " " + args + " 2>'" + errFile + "'";
        CliRun r{0, {}, {}};
        FILE* p = ::popen(cmd.c_str(), "r");
        std::array<char, 4096> buf;
        while (std::size_t n = std::fread(buf.data(), 1, buf.size(), p))
            r.out.append(buf.data(), n);
        r.status = WEXITSTATUS(::pclose(p));
        std::ifstream in(errFile);
        r.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        fs::remove(errFile);
        return r;
    }
    // Quotes a path for the shell; the fixtures' names hold no quote.
    std::string q(const std::string& name) const { return "'" + file(name) + "'"; }

    void writeGpl(const std::string& name, const std::string& label, int depth,
                  const Palette& p) const {
        const Bytes b = encodePaletteFile(PaletteLabel::fromText(label), depth, p);
        std::ofstream(file(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    }
};

Bytes readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Rgb colour(int i) {
    return Rgb{std::uint8_t(1 + i % 250), std::uint8_t(i / 3), 77};
}

// 256 colours: the system colours, 8-99 in use, 100-247 black, 248-255 in use.
Palette workedBase() {
    std::vector<Rgb> e(256);
    for (int i = 0; i < 8; ++i) e[i] = systemPalette()[i];
    for (int i = 8; i < 100; ++i) e[i] = colour(i);
    for (int i = 248; i < 256; ++i) e[i] = colour(i);
    return Palette(e);
}
// 256 colours without the system colours, the first black pair at 200.
Palette workedPlus() {
    std::vector<Rgb> e(256);
    for (int i = 0; i < 200; ++i) e[i] = Rgb{std::uint8_t(i), 1, 2};
    return Palette(e);
}
Palette sixteen(int used, int seed) {
    std::vector<Rgb> e(16);
    for (int i = 0; i < used; ++i) e[i] = colour(i + seed);
    return Palette(e);
}

}  // namespace

TEST_F(CliPaletteTest, PrintsAPaletteFileWithItsStoredLabel) {
    writeGpl("g.gpl", "グレー16", 1, Palette({{1, 2, 3}, {255, 128, 0}}));
    const CliRun r = cli("palette " + q("g.gpl"));
    EXPECT_EQ(r.status, 0) << r.err;
    std::string expected = "label \"グレー16   \"\nDepthCode 1\n0 1 2 3\n1 255 128 0\n";
    for (int i = 2; i < 16; ++i) expected += std::to_string(i) + " 0 0 0\n";
    EXPECT_EQ(r.out, expected);
}

TEST_F(CliPaletteTest, PrintsTheSourcePaletteOfABmp) {
    Bitmap b(3, 3, PixelFormat::Bpp1);
    b.setPaletteEntries(Palette({{10, 20, 30}, {40, 50, 60}}));
    saveBmp(b, file("one.bmp")).take(file("one.bmp"));
    const CliRun r = cli("palette " + q("one.bmp"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "label \"ノーマル2\"\nDepthCode 0\n0 10 20 30\n1 40 50 60\n");
}

TEST_F(CliPaletteTest, SavesABmpPaletteAsAPaletteFile) {
    Bitmap b(2, 2, PixelFormat::Bpp8);
    std::vector<Rgb> pal(256);
    for (int i = 0; i < 256; ++i) pal[i] = Rgb{std::uint8_t(i), std::uint8_t(255 - i), 9};
    b.setPaletteEntries(Palette(pal));
    saveBmp(b, file("eight.bmp")).take(file("eight.bmp"));
    ASSERT_EQ(cli("palette " + q("eight.bmp") + " --save " + q("e.gpl")).status, 0);
    const Bytes g = readAll(file("e.gpl"));
    ASSERT_EQ(g.size(), 1048u);
    // ノーマル256, DepthCode 2, version 0x0300, count 256.
    EXPECT_EQ(Bytes(g.begin(), g.begin() + 20),
              (Bytes{0x83, 0x6D, 0x81, 0x5B, 0x83, 0x7D, 0x83, 0x8B, '2',  '5',
                     '6',  0,    2,    0,    0,    0,    0x00, 0x03, 0x00, 0x01}));
    EXPECT_EQ(Bytes(g.begin() + 20 + 4 * 200, g.begin() + 24 + 4 * 200), (Bytes{200, 55, 9, 0}));
    ASSERT_EQ(
        cli("palette " + q("eight.bmp") + " --save " + q("l.gpl") + " --label カスタム").status, 0);
    const Bytes l = readAll(file("l.gpl"));
    ASSERT_GE(l.size(), 12u);
    EXPECT_EQ(Bytes(l.begin(), l.begin() + 12),
              (Bytes{0x83, 0x4A, 0x83, 0x58, 0x83, 0x5E, 0x83, 0x80, ' ', ' ', ' ', 0}));
}

TEST_F(CliPaletteTest, ResavingAPaletteFileKeepsItsLabelBytes) {
    Bytes b = encodePaletteFile(PaletteLabel{}, 0, Palette({{1, 1, 1}, {2, 2, 2}}));
    const Bytes label = {0x81, 0xFF, 0x80, 'a', ' ', 0xA0, 0xFD, 0x83, 0x4A, ' ', 0x82};
    std::copy(label.begin(), label.end(), b.begin());
    std::ofstream(file("odd.gpl"), std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    ASSERT_EQ(cli("palette " + q("odd.gpl") + " --save " + q("again.gpl")).status, 0);
    EXPECT_EQ(readAll(file("again.gpl")), b);
}

TEST_F(CliPaletteTest, RefusalsAndUsageErrors) {
    saveBmp(Bitmap(2, 2, PixelFormat::Bpp24), file("rgb.bmp")).take(file("rgb.bmp"));
    EXPECT_EQ(cli("palette " + q("rgb.bmp")).status, 1);
    std::ofstream(file("bad.gpl"), std::ios::binary) << std::string(30, '\0');
    const CliRun bad = cli("palette " + q("bad.gpl"));
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find(
                  "パレットが作成できません！！\n有効なパレットデータではない可能性があります。"),
              std::string::npos)
        << bad.err;
    EXPECT_EQ(cli("palette " + q("missing.gpl")).status, 1);
    std::ofstream(file("cut.bmp"), std::ios::binary) << "BM\x10\x00";
    const CliRun cut = cli("palette " + q("cut.bmp"));
    EXPECT_EQ(cut.status, 1);
    EXPECT_NE(
        cut.err.find("警告：読み込めません！！: cut.bmpは有効なビットマップデータではありません。"),
        std::string::npos)
        << cut.err;
    writeGpl("g.gpl", "x", 0, Palette());
    const CliRun unwritable = cli("palette " + q("g.gpl") + " --save /nonexistent/dir/x.gpl");
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("パレットの保存に失敗しました"), std::string::npos);
    EXPECT_EQ(cli("palette").status, 2);
    EXPECT_EQ(cli("palette " + q("g.gpl") + " --label x").status, 2);
    EXPECT_EQ(cli("palette " + q("g.gpl") + " --frob").status, 2);
    const CliRun help = cli("palette --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("example"), std::string::npos);
    // The same folder the desktop program's palette dialogs open in.
    EXPECT_NE(help.out.find(paletteFolder()), std::string::npos);
    EXPECT_EQ(help.out.find("{palette folder}"), std::string::npos);
}

TEST_F(CliPaletteTest, MergeWorkedCaseWithYes) {
    writeGpl("base.gpl", "ノーマル256", 2, workedBase());
    writeGpl("plus.gpl", "ノーマル256", 2, workedPlus());
    const CliRun r = cli("merge --base " + q("base.gpl") + " --plus " + q("plus.gpl") +
                         " --yes -o " + q("out") + " --save-palette");
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string bmp = file("out") + "/NewPalette(1).bmp";
    EXPECT_EQ(r.out, "NewPalette(1).bmp\tNewPalette(1)(1)\tカスタム256\t8\t" + bmp + "\n");
    EXPECT_NE(
        r.err.find("ベースパレットbase.gpl空き領域：148\nプラスパレットplus.gpl色　　数：200\n"
                   "プラスパレットが入り切れません！！\n入るだけ入れますか？"),
        std::string::npos)
        << r.err;
    const Bitmap swatch = loadBmp(bmp).take(bmp);
    EXPECT_EQ(swatch.format(), PixelFormat::Bpp8);
    EXPECT_EQ(swatch.width(), 256);
    EXPECT_EQ(swatch.height(), 256);
    EXPECT_EQ(swatch.index(5, 130), 130u);
    const Palette base = workedBase();
    for (int i = 0; i < 256; ++i) {
        const Rgb expected = i >= 100 && i < 248 ? Rgb{std::uint8_t(i - 100), 1, 2} : base.at(i);
        EXPECT_EQ(swatch.palette().at(i), expected) << i;
    }
    const Outcome<PaletteFile> gpl = readPaletteFile(file("out") + "/NewPalette(1)(1).gpl");
    ASSERT_TRUE(gpl.ok());
    EXPECT_EQ(gpl->label, PaletteLabel::fromText("カスタム256"));
    EXPECT_EQ(gpl->depthCode, 2);
    EXPECT_EQ(gpl->palette, swatch.palette());
}

TEST_F(CliPaletteTest, MergeWithoutYesDropsThePair) {
    writeGpl("base.gpl", "a", 2, workedBase());
    writeGpl("plus.gpl", "b", 2, workedPlus());
    const CliRun r =
        cli("merge --base " + q("base.gpl") + " --plus " + q("plus.gpl") + " -o " + q("out"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("入るだけ入れますか？"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(file("out")));
}

TEST_F(CliPaletteTest, MergeNamesSkipFilesInTheFolderAndNeverOverwrite) {
    fs::create_directories(file("out"));
    std::ofstream(file("out") + "/NewPalette(1).bmp") << "keep";
    std::ofstream(file("out") + "/NewPalette(2)(1).gpl") << "keep too";
    Bitmap b(2, 2, PixelFormat::Bpp4);
    b.setPaletteEntries(sixteen(4, 0));
    saveBmp(b, file("base.bmp")).take(file("base.bmp"));
    writeGpl("plus.gpl", "p", 0, Palette({{9, 9, 9}, {8, 8, 8}}));
    const CliRun r = cli("merge --base " + q("base.bmp") + " --plus " + q("plus.gpl") + " -o " +
                         q("out") + " --save-palette");
    EXPECT_EQ(r.status, 1);  // the palette file was refused
    EXPECT_EQ(r.out, "NewPalette(2).bmp\tNewPalette(2)(1)\tカスタム6\t4\t" + file("out") +
                         "/NewPalette(2).bmp\n");
    EXPECT_NE(r.err.find("NewPalette(2)(1).gpl"), std::string::npos) << r.err;
    std::string kept;
    std::ifstream(file("out") + "/NewPalette(1).bmp") >> kept;
    EXPECT_EQ(kept, "keep");
    EXPECT_EQ(readAll(file("out") + "/NewPalette(2)(1).gpl").size(), 8u);
    const Bitmap swatch =
        loadBmp(file("out") + "/NewPalette(2).bmp").take(file("out") + "/NewPalette(2).bmp");
    EXPECT_EQ(swatch.format(), PixelFormat::Bpp4);
    EXPECT_EQ(swatch.palette().at(4), (Rgb{9, 9, 9}));
    EXPECT_EQ(swatch.palette().at(5), (Rgb{8, 8, 8}));
    EXPECT_EQ(swatch.index(0, 255), 15u);
}

TEST_F(CliPaletteTest, ManyToOneSkipsBasesWithoutRoomAndRejectedFiles) {
    writeGpl("full.gpl", "f", 0, Palette({{1, 1, 1}, {2, 2, 2}}));
    writeGpl("a.gpl", "a", 1, sixteen(10, 0));
    std::ofstream(file("junk.gpl")) << "junk";
    writeGpl("plus.gpl", "p", 1, sixteen(3, 40));
    const CliRun r = cli("merge --base " + q("full.gpl") + " " + q("junk.gpl") + " " + q("a.gpl") +
                         " --plus " + q("plus.gpl") + " -o " + q("out"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "NewPalette(1).bmp\tNewPalette(1)(1)\tカスタム13\t4\t" + file("out") +
                         "/NewPalette(1).bmp\n");
    EXPECT_NE(r.err.find(
                  "ベースパレットfull.gplに空き領域がありません。\nこのパレット結合を終了します。"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("junk.gpl"), std::string::npos);
}

TEST_F(CliPaletteTest, OneToManyMergesTheBaseWithEachPlus) {
    writeGpl("base.gpl", "b", 1, sixteen(4, 0));
    writeGpl("p1.gpl", "1", 0, Palette({{1, 1, 1}, {2, 2, 2}}));
    writeGpl("p2.gpl", "2", 1, sixteen(5, 60));
    const CliRun r = cli("merge --base " + q("base.gpl") + " --plus " + q("p1.gpl") + " " +
                         q("p2.gpl") + " -o " + q("out"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("NewPalette(1).bmp\tNewPalette(1)(1)\tカスタム6\t4\t"), std::string::npos);
    EXPECT_NE(r.out.find("NewPalette(2).bmp\tNewPalette(2)(1)\tカスタム9\t4\t"), std::string::npos);
    const Bitmap second =
        loadBmp(file("out") + "/NewPalette(2).bmp").take(file("out") + "/NewPalette(2).bmp");
    EXPECT_EQ(second.palette().at(4), colour(60));  // from the unchanged base
}

TEST_F(CliPaletteTest, MergeUsageErrors) {
    writeGpl("a.gpl", "a", 1, sixteen(4, 0));
    const std::string a = q("a.gpl");
    EXPECT_EQ(
        cli("merge --base " + a + " " + a + " --plus " + a + " " + a + " -o " + q("o")).status, 2);
    EXPECT_EQ(cli("merge --base " + a + " --plus " + a).status, 2);
    EXPECT_EQ(cli("merge --base " + a + " -o " + q("o")).status, 2);
    EXPECT_EQ(cli("merge " + a + " --plus " + a + " -o " + q("o")).status, 2);
    EXPECT_FALSE(fs::exists(file("o")));
    const CliRun help = cli("merge --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find(paletteFolder()), std::string::npos);
    EXPECT_NE(help.out.find("example"), std::string::npos);
}
