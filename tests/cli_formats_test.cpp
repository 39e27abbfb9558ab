// The batch tool with palettes of other programs: reading them wherever a
// palette is read, --format for every palette it writes, GIMP files read by
// Pillow, the label printed faithfully, and the options scripts stumbled on.
#include <gtest/gtest.h>

#include <fstream>

#include "palette/palette_formats.h"
#include "support/cli_runner.h"
#include "support/pictures.h"
#include "support/required_inputs.h"
#include "worklists/bmp/bmp.h"

namespace kararisu {
namespace {

using test::rgb;
using test::runCli;

struct CliFormats : test::ScratchFolder {
    void put(const std::string& name, const std::string& content) const {
        std::ofstream(file(name), std::ios::binary) << content;
    }
    void putGpl(const std::string& name, std::int32_t depth, const Palette& p,
                const std::string& label = "x") const {
        const auto b = encodePaletteFile(PaletteLabel::fromText(label), depth, p);
        put(name, std::string(b.begin(), b.end()));
    }
    std::string slurp(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::string q(const std::string& name) const { return test::ScratchFolder::quoted(name); }
};

Palette sixteen(int used, int seed) {
    std::vector<Rgb> e(16);
    for (int i = 0; i < used; ++i) e[i] = rgb(10 + i + seed, 200 - i, 3 * i + seed);
    return Palette(e);
}

// The entry lines of `palette`'s output: everything after the DepthCode line.
std::string entries(const std::string& out) {
    const std::size_t at = out.find("DepthCode");
    return at == std::string::npos ? "" : out.substr(at);
}

TEST_F(CliFormats, EveryFormatWrittenAndReadBackByTheTool) {
    putGpl("p.gpl", 1, sixteen(16, 0), "グレー16");
    const test::CliRun original = runCli("palette " + q("p.gpl"));
    ASSERT_EQ(original.status, 0);
    for (const PaletteFormatInfo& f : paletteFormats()) {
        const std::string out = std::string("o.") + f.name + "." + f.extension;
        ASSERT_EQ(
            runCli("palette " + q("p.gpl") + " --save " + q(out) + " --format " + f.name).status, 0)
            << f.name;
        const test::CliRun back = runCli("palette " + q(out));
        ASSERT_EQ(back.status, 0) << f.name;
        EXPECT_EQ(entries(back.out), entries(original.out)) << f.name;
        const bool own = f.format == PaletteFormat::Kararisu;
        EXPECT_EQ(back.out.starts_with(own ? "label \"グレー16   \"" : "label \"カスタム16 \""),
                  true)
            << back.out;
    }
    EXPECT_EQ(slurp("o.act.act").size(), 772u);
    EXPECT_TRUE(slurp("o.gimp.gpl").starts_with("GIMP Palette\nName: p\nColumns: 16\n"));
}

TEST_F(CliFormats, GimpPaletteReadByPillow) {
    std::string python;
    for (const char* p : {"python3", "/usr/bin/python3"}) {
        if (std::system(
                (std::string(p) + " -c 'import PIL.GimpPaletteFile' 2>/dev/null").c_str()) == 0) {
            python = p;
            break;
        }
    }
    if (python.empty()) KARARISU_SKIP_WITHOUT_INPUT("Python PIL (python3-pil) is not installed");
    putGpl("p.gpl", 1, sixteen(16, 7));
    ASSERT_EQ(runCli("palette " + q("p.gpl") + " --save " + q("g.gpl") + " --format gimp").status,
              0);
    const std::string script =
        "import sys\nfrom PIL.GimpPaletteFile import GimpPaletteFile\n"
        "with open(sys.argv[1], 'rb') as f: print(GimpPaletteFile(f).getpalette()[0].hex())\n";
    put("read.py", script);
    FILE* p = ::popen((python + " " + q("read.py") + " " + q("g.gpl")).c_str(), "r");
    std::string got;
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p)) got.append(buf, n);
    ASSERT_EQ(::pclose(p), 0);
    // Older Pillow versions put each colour at the index of its line, so the
    // colours are looked for as one run, in order.
    std::string want;
    char hex[8];
    const Palette written = sixteen(16, 7);
    for (const Rgb& c : written.entries()) {
        std::snprintf(hex, sizeof hex, "%02x%02x%02x", unsigned{c.r}, unsigned{c.g}, unsigned{c.b});
        want += hex;
    }
    EXPECT_NE(got.find(want), std::string::npos) << got;
}

TEST_F(CliFormats, RefusalsNameTheLineAndFormatUsage) {
    put("bad.gpl", "GIMP Palette\n1 2 3\n1 2 300\n");
    test::CliRun r = runCli("palette " + q("bad.gpl"), true);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("有効なパレットデータではない可能性があります。 (line 3: 300 is outside "
                         "0-255)"),
              std::string::npos)
        << r.out;
    putGpl("p.gpl", 0, sixteen(2, 0));
    for (const std::string& args :
         {" --save " + q("x") + " --format png", std::string(" --format gimp"),
          " --save " + q("x") + " --format gimp --label y"})
        EXPECT_EQ(runCli("palette " + q("p.gpl") + args).status, 2) << args;
}

TEST_F(CliFormats, LabelsPrintedFaithfully) {
    putGpl("text.gpl", 1, sixteen(2, 0), "カスタム");
    EXPECT_TRUE(runCli("palette " + q("text.gpl")).out.starts_with("label \"カスタム   \"\n"));
    auto bytes = encodePaletteFile(PaletteLabel{}, 0, sixteen(2, 0));
    const std::uint8_t odd[11] = {0x81, 0xFF, 'a', 0, ' ', 0xA0, 0xFD, 0x83, 0x4A, ' ', 0x82};
    std::copy(odd, odd + 11, bytes.begin());
    put("odd.gpl", std::string(bytes.begin(), bytes.end()));
    EXPECT_TRUE(runCli("palette " + q("odd.gpl"))
                    .out.starts_with("label bytes 81 FF 61 00 20 A0 FD 83 4A 20 82\n"));
    const std::string raw = runCli("palette --raw " + q("odd.gpl")).out;
    EXPECT_EQ(raw.substr(0, 20), std::string("label \"") + std::string(odd, odd + 11) + "\"\n");
}

TEST_F(CliFormats, ReduceOnAForeignPaletteAndSavesInAFormat) {
    ASSERT_TRUE(saveBmp(test::picture({rgb(250, 0, 0), rgb(0, 0, 250)}, 4, 2), file("a.bmp")));
    put("two.hex", "ff0000\n0000ff\n");
    test::CliRun r = runCli("reduce --palette " + q("two.hex") +
                            " --save-palette --format jasc -o " + q("out") + " " + q("a.bmp"));
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "a.bmp\ttwo(PG1)\tカスタム2  \t1\t" + file("out/a.bmp") + "\n");
    EXPECT_EQ(slurp("out/two(PG1).pal"), "JASC-PAL\r\n0100\r\n2\r\n255 0 0\r\n0 0 255\r\n");
    // --mode and --colors say why they are refused with --palette.
    r = runCli("reduce --mode 25 --colors 5 --palette " + q("two.hex") + " -o " + q("out") + " " +
                   q("a.bmp"),
               true);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("--mode and --colors do not apply with --palette"), std::string::npos)
        << r.out;
    EXPECT_EQ(runCli("reduce --format gimp -o " + q("out") + " " + q("a.bmp")).status, 2);
}

TEST_F(CliFormats, AnUnlistedReferenceComesAfterTheInputs) {
    for (const char* n : {"c.bmp", "a.bmp", "ref.bmp"})
        ASSERT_TRUE(saveBmp(test::picture({rgb(1, 2, 3), rgb(200, 100, 0)}, 2, 2), file(n)));
    const test::CliRun r = runCli("reduce --reference " + q("ref.bmp") + " -o " + q("out") + " " +
                                  q("c.bmp") + " " + q("a.bmp"));
    ASSERT_EQ(r.status, 0);
    const std::size_t c = r.out.find("c.bmp\t"), a = r.out.find("a.bmp\t"),
                      ref = r.out.find("ref.bmp\t");
    EXPECT_LT(c, a);
    EXPECT_LT(a, ref);
    EXPECT_NE(ref, std::string::npos);
    EXPECT_NE(runCli("reduce --help").out.find("results follow the FILEs' order"),
              std::string::npos);
}

TEST_F(CliFormats, MergeAnswersEachPairAndTakesForeignPalettes) {
    putGpl("base.gpl", 1, sixteen(12, 0));  // room for 4
    put("p1.gpl", "GIMP Palette\n1 1 1\n2 2 2\n3 3 3\n4 4 4\n5 5 5\n");
    put("p2.pal", "JASC-PAL\n0100\n5\n6 6 6\n7 7 7\n8 8 8\n9 9 9\n10 10 10\n");
    put("p3.hex", "0b0b0b\n0c0c0c\n0d0d0d\n0e0e0e\n0f0f0f\n");
    const std::string pairs = "merge --base " + q("base.gpl") + " --plus " + q("p1.gpl") + " " +
                              q("p2.pal") + " " + q("p3.hex") + " -o " + q("out") +
                              " --save-palette --format hex --answers yny";
    const test::CliRun r = runCli(pairs);
    EXPECT_EQ(r.status, 1);  // the second pair was dropped
    EXPECT_EQ(r.out, "NewPalette(1).bmp\tNewPalette(1)(1)\tカスタム16\t4\t" +
                         file("out/NewPalette(1).bmp") +
                         "\nNewPalette(2).bmp\tNewPalette(2)(1)\tカスタム16\t4\t" +
                         file("out/NewPalette(2).bmp") + "\n");
    EXPECT_TRUE(slurp("out/NewPalette(2)(1).hex").ends_with("0b0b0b\n0c0c0c\n0d0d0d\n0e0e0e\n"));
    EXPECT_EQ(runCli("merge --base " + q("base.gpl") + " --plus " + q("p1.gpl") +
                     " -o x --yes --answers y")
                  .status,
              2);
    EXPECT_EQ(
        runCli("merge --base " + q("base.gpl") + " --plus " + q("p1.gpl") + " -o x --answers yes")
            .status,
        2);
    EXPECT_NE(runCli("merge --help").out.find("Without an answer given it is answered No"),
              std::string::npos);
}

}  // namespace
}  // namespace kararisu
