// kararisu-cli reduce end to end: generated images in every mode and every
// menu, the written files checked against palettes and indices worked out
// from the layout rules here, not taken from the program.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "palette/palette_file.h"
#include "support/cli_runner.h"
#include "support/pictures.h"
#include "worklists/bmp/bmp.h"

namespace kararisu {
namespace {

using test::rgb;

using test::runCli;

// Four colours, each on a quarter of an 8 x 4 picture.
const std::vector<Rgb> kColours = {rgb(250, 250, 250), rgb(200, 30, 30), rgb(30, 200, 30),
                                   rgb(10, 10, 12)};

Bitmap picture(const std::vector<Rgb>& colours, int w = 8, int h = 4) {
    return test::picture(colours, w, h);
}

std::vector<Rgb> ascending(std::vector<Rgb> c) {
    std::sort(c.begin(), c.end(), [](Rgb a, Rgb b) { return a.value() < b.value(); });
    return c;
}

// The static colours of the system table.
Rgb sys(int i) {
    static const Rgb low[10] = {rgb(0, 0, 0),      rgb(128, 0, 0),     rgb(0, 128, 0),
                                rgb(128, 128, 0),  rgb(0, 0, 128),     rgb(128, 0, 128),
                                rgb(0, 128, 128),  rgb(192, 192, 192), rgb(192, 220, 192),
                                rgb(166, 202, 240)};
    static const Rgb high[10] = {rgb(255, 251, 240), rgb(160, 160, 164), rgb(128, 128, 128),
                                 rgb(255, 0, 0),     rgb(0, 255, 0),     rgb(255, 255, 0),
                                 rgb(0, 0, 255),     rgb(255, 0, 255),   rgb(0, 255, 255),
                                 rgb(255, 255, 255)};
    return i < 10 ? low[i] : i >= 246 ? high[i - 246] : rgb(0, 0, 0);
}

Rgb level(int scale, int v) {
    switch (scale) {
        case 0:
            return rgb(v, v, v);
        case 1:
            return rgb(v, 0, 0);
        case 2:
            return rgb(0, v, 0);
        case 3:
            return rgb(0, 0, v);
        default:
            return rgb(std::min(v + 36, 255), v, std::max(v - 36, 0));
    }
}

// The palette a mode gives when the image's colours all fit.
std::vector<Rgb> expectedPalette(int mode, const std::vector<Rgb>& chosen) {
    std::vector<Rgb> p(256);
    auto put = [&](int from, int to, auto colour) {
        for (int i = from; i <= to; ++i) p[i] = colour(i);
    };
    auto chosenFrom = [&](int start) {
        return [&, start](int i) {
            return std::size_t(i - start) < chosen.size() ? chosen[i - start] : rgb(0, 0, 0);
        };
    };
    if (mode == 0 || mode == 25) put(0, 255, chosenFrom(0));
    if (mode == 1) put(0, 255, sys), put(10, 245, chosenFrom(10));
    if (mode == 2 || mode == 26) put(0, 255, sys), put(8, 247, chosenFrom(8));
    if (mode == 3) {
        p.resize(16);
        put(0, 7, sys);
        put(8, 15, [](int i) { return sys(i + 240); });
    }
    if (mode == 4) p.resize(16), put(0, 15, chosenFrom(0));
    if (mode >= 5 && mode <= 24) {
        const int scale = (mode - 5) / 4, size = (mode - 5) % 4;
        put(0, 255, [&](int i) { return level(scale, i); });
        if (size == 1) put(0, 9, sys), put(246, 255, sys);
        if (size == 2) put(0, 7, sys), put(248, 255, sys);
        if (size == 3) {
            p.resize(16);
            put(0, 14, [&](int i) { return level(scale, 255 - 15 * i); });
            p[15] = rgb(0, 0, 0);
        }
    }
    return p;
}

unsigned nearest(const std::vector<Rgb>& p, Rgb c) {
    unsigned best = 0;
    int bestD = 1 << 30;
    for (unsigned i = 0; i < p.size(); ++i) {
        const int dr = p[i].r - c.r, dg = p[i].g - c.g, db = p[i].b - c.b;
        if (dr * dr + dg * dg + db * db < bestD) bestD = dr * dr + dg * dg + db * db, best = i;
    }
    return best;
}

// The index each colour gets: nearest in the palette; for the scales with
// system colours nearest in the full scale first, then from that level.
unsigned expectedIndex(int mode, const std::vector<Rgb>& palette, Rgb c) {
    const int size = (mode - 5) % 4;
    if (mode >= 5 && mode <= 24 && (size == 1 || size == 2)) {
        const std::vector<Rgb> full = expectedPalette(5 + 4 * ((mode - 5) / 4), {});
        return nearest(palette, full[nearest(full, c)]);
    }
    return nearest(palette, c);
}

void expectReducedAs(const Bitmap& out, int mode, const std::vector<Rgb>& chosen,
                     const Bitmap& source) {
    const std::vector<Rgb> palette = expectedPalette(mode, chosen);
    ASSERT_EQ(out.format(), palette.size() == 16 ? PixelFormat::Bpp4 : PixelFormat::Bpp8) << mode;
    ASSERT_EQ(out.palette().entries(), palette) << "mode " << mode;
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            ASSERT_EQ(out.index(x, y),
                      expectedIndex(mode, palette, Rgb::fromValue(source.pixelValue(x, y))))
                << "mode " << mode << " at " << x << "," << y;
}

struct CliReduce : test::ScratchFolder {};

TEST_F(CliReduce, EveryModeEachImageByItself) {
    const Bitmap src = picture(kColours);
    saveBmp(src, file("a.bmp")).take(file("a.bmp"));
    for (int mode = 0; mode < 27; ++mode) {
        std::string extra = mode == 25 ? " --colors 256" : mode == 26 ? " --colors 240" : "";
        const auto r = runCli("reduce --force --mode " + std::to_string(mode) + extra + " -o " +
                              quoted("out") + " " + quoted("a.bmp"));
        ASSERT_EQ(r.status, 0) << mode;
        const Bitmap out = loadBmp(file("out/a.bmp")).take(file("out/a.bmp"));
        expectReducedAs(out, mode, ascending(kColours), src);
        EXPECT_EQ(r.out.substr(0, r.out.find('\t')), "a.bmp");
    }
}

TEST_F(CliReduce, EveryModeOnAReferencePalette) {
    // The reference b has three of the four colours; a has all four.
    const std::vector<Rgb> bColours = {kColours[0], kColours[1], kColours[3]};
    const Bitmap a = picture(kColours), b = picture(bColours, 6, 2);
    saveBmp(a, file("a.bmp")).take(file("a.bmp"));
    saveBmp(b, file("b.bmp")).take(file("b.bmp"));
    for (int mode = 0; mode < 27; ++mode) {
        std::string extra = mode == 25 ? " --colors 200" : mode == 26 ? " --colors 100" : "";
        const auto r = runCli("reduce --force --mode " + std::to_string(mode) + extra +
                              " --reference " + quoted("b.bmp") + " -o " + quoted("out") + " " +
                              quoted("a.bmp") + " " + quoted("b.bmp"));
        ASSERT_EQ(r.status, 0) << mode;
        expectReducedAs(loadBmp(file("out/a.bmp")).take(file("out/a.bmp")), mode,
                        ascending(bColours), a);
        expectReducedAs(loadBmp(file("out/b.bmp")).take(file("out/b.bmp")), mode,
                        ascending(bColours), b);
        // Both results carry the reference's palette name.
        EXPECT_NE(r.out.find("a.bmp\tb(PG1)\t"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("b.bmp\tb(PG1)\t"), std::string::npos) << r.out;
    }
}

TEST_F(CliReduce, GivenPaletteFromAnImageAndFromAPaletteFile) {
    const Bitmap a = picture(kColours);
    saveBmp(a, file("a.bmp")).take(file("a.bmp"));
    // A 4-bit image whose palette has four colours, the rest black.
    Bitmap four(2, 2, PixelFormat::Bpp4);
    std::vector<Rgb> sixteen(16);
    sixteen[2] = rgb(255, 255, 255), sixteen[5] = rgb(255, 0, 0), sixteen[9] = rgb(0, 255, 0);
    four.setPaletteEntries(Palette(sixteen));
    saveBmp(four, file("p.bmp")).take(file("p.bmp"));
    auto r = runCli("reduce --palette " + quoted("p.bmp") + " -o " + quoted("out") + " " +
                    quoted("a.bmp"));
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "a.bmp\tp(PG1)\tノーマル16\t4\t" + file("out/a.bmp") + "\n");
    Bitmap out = loadBmp(file("out/a.bmp")).take(file("out/a.bmp"));
    EXPECT_EQ(out.format(), PixelFormat::Bpp4);
    EXPECT_EQ(out.palette().entries(), sixteen);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            EXPECT_EQ(out.index(x, y), nearest(sixteen, Rgb::fromValue(a.pixelValue(x, y))));

    // A palette file made byte by byte: label "mine" padded with spaces, a
    // NUL, DepthCode 0 (two entries), version 0x300, count 2, the entries
    // and four reserved bytes.
    std::vector<std::uint8_t> bytes = {'m', 'i', 'n', 'e', ' ', ' ',  ' ',  ' ', ' ', ' ', ' ',
                                       0,   0,   0,   0,   0,   0x00, 0x03, 2,   0,   0,   0,
                                       0,   0,   200, 200, 200, 0,    0,    0,   0,   0};
    std::ofstream(file("two.gpl"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    r = runCli("reduce --force --palette " + quoted("two.gpl") + " -o " + quoted("out") + " " +
               quoted("a.bmp"));
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "a.bmp\ttwo(PG1)\tmine       \t1\t" + file("out/a.bmp") + "\n");
    out = loadBmp(file("out/a.bmp")).take(file("out/a.bmp"));
    EXPECT_EQ(out.format(), PixelFormat::Bpp1);
    EXPECT_EQ(out.palette().entries(), (std::vector<Rgb>{rgb(0, 0, 0), rgb(200, 200, 200)}));
    // Only the near-white goes to the grey: (200,30,30) is 41800 from black
    // and 57800 from (200,200,200).
    EXPECT_EQ(out.index(0, 0), 1u);
    EXPECT_EQ(out.index(1, 0), 0u);
    EXPECT_EQ(out.index(2, 0), 0u);
    EXPECT_EQ(out.index(3, 0), 0u);
}

TEST_F(CliReduce, MedianCutWhenColoursExceedTheCount) {
    saveBmp(picture({rgb(10, 10, 10), rgb(240, 240, 240)}), file("t.bmp")).take(file("t.bmp"));
    const auto r =
        runCli("reduce --mode 25 --colors 1 -o " + quoted("out") + " " + quoted("t.bmp"));
    ASSERT_EQ(r.status, 0);
    const Bitmap out = loadBmp(file("out/t.bmp")).take(file("out/t.bmp"));
    EXPECT_EQ(out.palette().at(0), rgb(240, 240, 240));
    EXPECT_EQ(out.palette().at(1), rgb(0, 0, 0));
    EXPECT_EQ(r.out, "t.bmp\tt(1)\t任意色１1\t8\t" + file("out/t.bmp") + "\n");
}

TEST_F(CliReduce, NeverReplacesAFileWithoutForce) {
    saveBmp(picture(kColours), file("a.bmp")).take(file("a.bmp"));
    saveBmp(picture({rgb(1, 2, 3)}), file("b.bmp")).take(file("b.bmp"));
    std::ofstream(file("out/a.bmp")) << "keep me";
    auto r =
        runCli("reduce -o " + quoted("out") + " " + quoted("a.bmp") + " " + quoted("b.bmp"), true);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("out/a.bmp: exists; not replaced"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("b.bmp\tb(1)\t"), std::string::npos);  // the other is written
    std::ifstream kept(file("out/a.bmp"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep me");
    // Into the sources' own folder: the source itself is refused too.
    r = runCli("reduce -o " + quoted("") + " " + quoted("a.bmp"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(loadBmp(file("a.bmp")).take(file("a.bmp")).format(), PixelFormat::Bpp24);
}

TEST_F(CliReduce, RejectedInputsAndSizeZero) {
    saveBmp(picture(kColours), file("a.bmp")).take(file("a.bmp"));
    std::ofstream(file("bad.bmp")) << "not a bitmap";
    saveBmp(Bitmap(0, 0, PixelFormat::Bpp24), file("empty.bmp")).take(file("empty.bmp"));
    const auto r =
        runCli("reduce -o " + quoted("out") + " " + quoted("bad.bmp") + " " +
                   quoted("missing.bmp") + " " + quoted("empty.bmp") + " " + quoted("a.bmp"),
               true);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("bad.bmpは有効なビットマップデータではありません。"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("オープンエラー"), std::string::npos);
    EXPECT_NE(r.out.find("empty.bmp\nこのビットマップはサイズが０なので、減色できません！！"),
              std::string::npos);
    EXPECT_NE(r.out.find("a.bmp\ta(1)\tノーマル256\t8\t"), std::string::npos);
}

TEST_F(CliReduce, UsageErrors) {
    saveBmp(picture(kColours), file("a.bmp")).take(file("a.bmp"));
    const std::string o = " -o " + quoted("out") + " " + quoted("a.bmp");
    for (const std::string& args :
         {"--mode 27" + o, "--mode -1" + o, "--mode x" + o, "--mode 25" + o,
          "--mode 25 --colors 0" + o, "--mode 25 --colors 257" + o, "--mode 26 --colors 241" + o,
          "--mode 3 --colors 5" + o, std::string(" ") + quoted("a.bmp"),
          "--reference a --palette b" + o, "--bogus" + o}) {
        EXPECT_EQ(runCli("reduce " + args).status, 2) << args;
    }
    EXPECT_EQ(runCli("reduce --mode 26 --colors 0" + o).status, 0);
    const auto help = runCli("reduce --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("26 任意色数２（８ｂｉｔ：０～２４０色＋システム１６色）"),
              std::string::npos);
    EXPECT_NE(help.out.find("example"), std::string::npos);
    EXPECT_NE(help.out.find(paletteFolder()), std::string::npos);
}

TEST_F(CliReduce, SavesEachResultsPalette) {
    saveBmp(picture(kColours), file("a.bmp")).take(file("a.bmp"));
    saveBmp(picture(kColours), file("c.bmp")).take(file("c.bmp"));
    const auto r = runCli("reduce --save-palette --mode 4 --reference " + quoted("a.bmp") + " -o " +
                          quoted("out") + " " + quoted("c.bmp"));
    ASSERT_EQ(r.status, 0);
    // One palette file for the unification, read back through the tool.
    const auto p = runCli("palette " + quoted("out/a(PG1).gpl"));
    ASSERT_EQ(p.status, 0) << p.out;
    EXPECT_NE(p.out.find("ノーマル16"), std::string::npos) << p.out;
    EXPECT_NE(p.out.find("0 10 10 12"), std::string::npos) << p.out;
}

TEST_F(CliReduce, CountAndInformationText) {
    saveBmp(picture(kColours), file("a.bmp")).take(file("a.bmp"));
    auto r = runCli("count " + quoted("a.bmp"));
    EXPECT_EQ(r.out, file("a.bmp") + "\t4\n");
    r = runCli("info --text " + quoted("a.bmp"));
    EXPECT_EQ(r.out, "＜画像情報＞\nBMP名:a.bmp\n8×4\n２４bitビットマップ\n");
}

}  // namespace
}  // namespace kararisu
