// The batch tool in the shell: files it must not replace, standard output
// that cannot be written, names that must not reach the terminal raw, the
// option forms of GNU tools, "-" for standard input and output, and the
// machine-readable output.
#include <gtest/gtest.h>

#include <fstream>

#include "palette/palette_file.h"
#include "support/cli_runner.h"
#include "support/file_bytes.h"
#include "support/pictures.h"
#include "worklists/bmp/bmp.h"

namespace kararisu {
namespace {

using test::bytesOf;
using test::rgb;

struct CliShell : test::ScratchFolder {
    void SetUp() override {
        ScratchFolder::SetUp();
        save(test::picture({rgb(1, 2, 3), rgb(200, 100, 50)}, 4, 2), "a.bmp");
    }
    void save(const Bitmap& b, const std::string& name) const {
        saveBmp(b, file(name)).take(file(name));
    }
    void put(const std::string& name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
    }
    void putGpl(const std::string& name) const {
        const auto b = encodePaletteFile(PaletteLabel::fromText("x"), 0,
                                         Palette({{0, 0, 0}, {255, 255, 255}}));
        put(name, std::string(b.begin(), b.end()));
    }
    std::string q(const std::string& name) const { return quoted(name); }
};

// A file that is there before the run is never replaced without --force,
// by any command that writes one.
TEST_F(CliShell, NoCommandReplacesAFileWithoutForce) {
    putGpl("p.gpl");
    struct Case {
        std::string command, target;
    };
    const std::vector<Case> cases = {
        {"convert " + q("a.bmp") + " ", "precious.bmp"},
        {"palette " + q("p.gpl") + " --save ", "precious.gpl"},
    };
    for (const Case& c : cases) {
        put(c.target, "keep me");
        const test::ShellRun r = sh("$CLI " + c.command + q(c.target));
        EXPECT_EQ(r.status, 1) << c.command;
        EXPECT_NE(r.err.find(c.target + ": exists; not replaced (use --force)"), std::string::npos)
            << r.err;
        EXPECT_EQ(bytesOf(file(c.target)), "keep me");
        EXPECT_EQ(sh("$CLI " + c.command + q(c.target) + " --force").status, 0) << c.command;
        EXPECT_NE(bytesOf(file(c.target)), "keep me");
    }
    // The palette files of merge and of reduce.
    const auto room = encodePaletteFile(PaletteLabel::fromText("x"), 1, Palette({{9, 9, 9}}));
    put("room.gpl", std::string(room.begin(), room.end()));
    const std::string merge = "$CLI merge --base " + q("room.gpl") + " --plus " + q("p.gpl") +
                              " -o " + q("out") + " --save-palette";
    put("out/NewPalette(1)(1).gpl", "keep me");
    EXPECT_EQ(sh(merge).status, 1);
    EXPECT_EQ(bytesOf(file("out/NewPalette(1)(1).gpl")), "keep me");
    put("out/NewPalette(2)(1).gpl", "keep me");
    EXPECT_EQ(sh(merge + " --force").status, 0);
    EXPECT_NE(bytesOf(file("out/NewPalette(2)(1).gpl")), "keep me");
    put("out/a(1).gpl", "keep me");
    const test::ShellRun r = sh("$CLI reduce --save-palette -o " + q("out") + " " + q("a.bmp"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("a(1).gpl: exists; not replaced (use --force)"), std::string::npos) << r.err;
    EXPECT_EQ(bytesOf(file("out/a(1).gpl")), "keep me");
}

TEST_F(CliShell, TwoSourcesOfOneNameSayWhichIsKept) {
    std::filesystem::create_directories(file("other"));
    save(test::picture({rgb(9, 9, 9)}, 2, 2), "other/a.bmp");
    for (const char* force : {"", " --force"}) {
        const test::ShellRun r = sh("$CLI reduce" + std::string(force) + " -o " + q("out") + " " +
                                    q("a.bmp") + " " + q("other/a.bmp"));
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("with the result of " + file("a.bmp") +
                             ", which is kept; the result of " + file("other/a.bmp") +
                             " is not written"),
                  std::string::npos)
            << r.err;
        // --force cannot help here and is not offered.
        EXPECT_EQ(r.err.find("--force"), std::string::npos) << r.err;
        std::filesystem::remove(file("out/a.bmp"));
    }
}

TEST_F(CliShell, StandardOutputThatCannotBeWrittenIsAFailure) {
    putGpl("p.gpl");
    for (const std::string& command :
         {"count " + q("a.bmp"), "info " + q("a.bmp"), "palette " + q("p.gpl"),
          "reduce -o " + q("out") + " " + q("a.bmp")}) {
        for (const char* redirect : {" >/dev/full", " >&-"}) {
            const test::ShellRun r = sh("$CLI " + command + redirect);
            EXPECT_EQ(r.status, 1) << command << redirect;
            EXPECT_NE(r.err.find("cannot write to standard output"), std::string::npos)
                << command << redirect << ": " << r.err;
            std::filesystem::remove(file("out/a.bmp"));
        }
    }
    // A closed standard output never becomes a file the command writes.
    EXPECT_EQ(sh("$CLI convert " + q("a.bmp") + " " + q("c.bmp") + " >&-").status, 0);
    EXPECT_EQ(loadBmp(file("c.bmp")).take(file("c.bmp")), loadBmp(file("a.bmp")).take(""));
}

TEST_F(CliShell, AReaderThatGoesAwayEndsTheToolQuietly) {
    std::string many;
    for (int i = 0; i < 2000; ++i) many += " a.bmp";
    for (const char* ignore : {"", "trap '' PIPE; "}) {
        const test::ShellRun r =
            sh("cd " + q("") + " && " + ignore + "$CLI count" + many + " | head -c1");
        EXPECT_EQ(r.out.size(), 1u);
        EXPECT_EQ(r.err, "") << ignore;
    }
}

TEST_F(CliShell, NamesAreEscapedInEveryOutput) {
    const std::string odd = "a\tb\nc\x1b[31m.bmp";
    save(test::picture({rgb(1, 2, 3)}, 2, 2), odd);
    const std::string shown = "a\\x09b\\x0ac\\x1b[31m.bmp";
    const std::string path = "'" + file(odd) + "'";
    test::ShellRun r = sh("$CLI count " + path);
    EXPECT_EQ(r.out, file(shown) + "\t1\n");
    r = sh("$CLI info " + path);
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
    EXPECT_EQ(r.out.rfind(file(shown) + "\t2 x 2\t", 0), 0u) << r.out;
    // Messages too: a file of that name that is no bitmap.
    put("bad" + odd, "nope");
    r = sh("$CLI count '" + file("bad" + odd) + "' " + path);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("bad" + shown), std::string::npos) << r.err;
}

TEST_F(CliShell, OptionsAsGnuToolsTakeThem) {
    save(test::picture({rgb(1, 2, 3)}, 2, 2), "-lead.bmp");
    const test::ShellRun r =
        sh("cd " + q("") + " && $CLI reduce --mode=4 -qo out2/deep -- -lead.bmp a.bmp");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("-lead.bmp\t-lead(1)\tノーマル16\t4\tout2/deep/-lead.bmp\n"),
              std::string::npos)
        << r.out;
    EXPECT_TRUE(std::filesystem::exists(file("out2/deep/a.bmp")));  // the folder was made
    const test::ShellRun unknown = sh("$CLI count --bogus " + q("a.bmp"));
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("kararisu-cli count: unknown option '--bogus'\nusage: kararisu-cli count"),
              std::string::npos)
        << unknown.err;
    EXPECT_EQ(sh("$CLI convert --force=yes " + q("a.bmp") + " " + q("x.bmp")).status, 2);
    // A file where the folder should be is a reason, not a crash.
    put("plain", "x");
    const test::ShellRun inTheWay = sh("$CLI reduce -o " + q("plain") + " " + q("a.bmp"));
    EXPECT_EQ(inTheWay.status, 1);
    EXPECT_NE(inTheWay.err.find("plain: is not a folder"), std::string::npos) << inTheWay.err;
}

TEST_F(CliShell, StandardInputAndOutput) {
    const std::string a = bytesOf(file("a.bmp"));
    EXPECT_EQ(sh("$CLI count - < " + q("a.bmp")).out, "-\t2\n");
    EXPECT_EQ(sh("cat " + q("a.bmp") + " | $CLI info -").out.rfind("-\t4 x 2\t24 bpp", 0), 0u);
    EXPECT_EQ(sh("cat " + q("a.bmp") + " | $CLI convert - -").out, a);
    ASSERT_EQ(sh("cat " + q("a.bmp") + " | $CLI convert - " + q("c.bmp")).status, 0);
    EXPECT_EQ(bytesOf(file("c.bmp")), a);
    // The result of one file on standard output: the bytes written to a folder.
    ASSERT_EQ(sh("$CLI reduce --mode 4 -o " + q("out") + " " + q("a.bmp")).status, 0);
    const test::ShellRun streamed = sh("$CLI reduce --mode 4 -o - " + q("a.bmp"));
    EXPECT_EQ(streamed.status, 0) << streamed.err;
    EXPECT_EQ(streamed.out, bytesOf(file("out/a.bmp")));
    EXPECT_EQ(sh("$CLI reduce --mode 4 -o - - < " + q("a.bmp")).out, bytesOf(file("out/a.bmp")));
    EXPECT_EQ(sh("$CLI reduce -o - " + q("a.bmp") + " " + q("a.bmp")).status, 2);
    EXPECT_EQ(sh("$CLI reduce -o " + q("out") + " - < " + q("a.bmp")).status, 2);
    // A palette saved to standard output is the file alone.
    putGpl("p.gpl");
    EXPECT_EQ(sh("$CLI palette " + q("p.gpl") + " --save - --format hex").out, "000000\nffffff\n");
    EXPECT_EQ(sh("$CLI palette " + q("p.gpl") + " --save -").out, bytesOf(file("p.gpl")));
}

TEST_F(CliShell, ReadingAPipeStopsWhereThePictureEnds) {
    // An endless stream that is no bitmap: refused after its first bytes.
    test::ShellRun r = sh("yes | $CLI count -");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("-は有効なビットマップデータではありません"), std::string::npos) << r.err;
    // A bitmap followed by an endless stream: read as far as its pixels go.
    r = sh("cat " + q("a.bmp") + " /dev/zero | $CLI count -");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "-\t2\n");
    // Standard input is read once.
    EXPECT_EQ(sh("$CLI count - - < " + q("a.bmp")).status, 1);
}

TEST_F(CliShell, JsonLinesWithTheFieldsOfTheText) {
    putGpl("p.gpl");
    EXPECT_EQ(sh("$CLI count --json " + q("a.bmp")).out,
              "{\"file\":\"" + file("a.bmp") + "\",\"colors\":2}\n");
    EXPECT_EQ(sh("$CLI info --json " + q("a.bmp")).out,
              "{\"file\":\"" + file("a.bmp") +
                  "\",\"width\":4,\"height\":2,\"bitsInFile\":24,\"format\":\"24\","
                  "\"depthCode\":4,\"compression\":\"none\",\"fileFormat\":\"BMP\","
                  "\"transparent\":0}\n");
    EXPECT_EQ(sh("$CLI palette --json " + q("p.gpl")).out,
              "{\"file\":\"" + file("p.gpl") +
                  "\",\"label\":\"x          \",\"labelBytes\":\"7820202020202020202020\","
                  "\"depthCode\":0,\"entries\":[[0,0,0],[255,255,255]]}\n");
    EXPECT_EQ(sh("$CLI reduce --json -o " + q("out") + " " + q("a.bmp")).out,
              "{\"file\":\"a.bmp\",\"palette\":\"a(1)\",\"mode\":\"ノーマル256\",\"bits\":8,"
              "\"path\":\"" +
                  file("out/a.bmp") + "\"}\n");
    const std::string odd = "q\"\t.bmp";
    save(test::picture({rgb(1, 2, 3)}, 2, 2), odd);
    EXPECT_EQ(sh("$CLI count --json '" + file(odd) + "'").out,
              "{\"file\":\"" + file("q\\\"\\u0009.bmp") + "\",\"colors\":1}\n");
}

TEST_F(CliShell, ProgressStaysOnStandardErrorOnLinesOfItsOwn) {
    const test::ShellRun r = sh("$CLI reduce --progress -o " + q("out") + " " + q("a.bmp"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "a.bmp\ta(1)\tノーマル256\t8\t" + file("out/a.bmp") + "\n");
    EXPECT_NE(r.err.find("a.bmp"), std::string::npos);
    EXPECT_EQ(r.err.find('\r'), std::string::npos);  // no terminal: no line drawn over
    EXPECT_EQ(sh("$CLI reduce -q --progress -o " + q("out") + " --force " + q("a.bmp")).status, 0);
}

TEST_F(CliShell, OnATerminalTheProgressLineIsErasedBeforeAResult) {
    if (std::system("command -v script >/dev/null") != 0) GTEST_SKIP() << "needs script(1)";
    save(test::picture({rgb(9, 9, 9)}, 2, 2), "b.bmp");
    // script(1) gives the tool a terminal for both of its outputs.
    const test::ShellRun r = sh("script -qec \"$CLI reduce -o " + q("out") + " " + q("a.bmp") +
                                " " + q("b.bmp") + "\" /dev/null </dev/null");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("100%"), std::string::npos) << r.out;  // the progress line was drawn
    for (const char* name : {"a.bmp\t", "b.bmp\t"})
        EXPECT_NE(r.out.find(std::string("\r\x1b[K") + name), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("%a.bmp"), std::string::npos);
    EXPECT_TRUE(r.out.ends_with("\r\x1b[K") || r.out.ends_with("\n")) << r.out;
}

// The README's large batch: a palette made once, then the files in shards,
// each shard a process of its own, give the bytes of one run, and those of
// a unification on the reference itself.
TEST_F(CliShell, AShardedRunGivesTheBytesOfOneRun) {
    auto noisy = [](int seed) {
        Bitmap b(48, 32, PixelFormat::Bpp24);
        for (int y = 0; y < b.height(); ++y)
            for (int x = 0; x < 3 * b.width(); ++x)
                b.row(y)[x] = std::uint8_t((x * 37 + y * 91 + seed * 53) ^ (x * y + seed));
        return b;
    };
    std::string names;
    for (int i = 0; i < 6; ++i) {
        save(noisy(i), "in" + std::to_string(i) + ".bmp");
        names += " in" + std::to_string(i) + ".bmp";
    }
    save(noisy(99), "ref.bmp");
    const std::string in = "cd " + q("") + " && ";
    ASSERT_EQ(sh(in + "$CLI reduce -o ref ref.bmp && $CLI palette ref/ref.bmp --save P.gpl").status,
              0);
    ASSERT_EQ(sh(in + "$CLI reduce --palette P.gpl -o one" + names).status, 0);
    ASSERT_EQ(sh(in + "printf '%s\\n'" + names +
                 " | xargs -n 2 -P 3 $CLI reduce --palette P.gpl -o shards")
                  .status,
              0);
    ASSERT_EQ(sh(in + "$CLI reduce --reference ref.bmp -o unified" + names).status, 0);
    for (int i = 0; i < 6; ++i) {
        const std::string name = "/in" + std::to_string(i) + ".bmp";
        const std::string one = bytesOf(file("one" + name));
        EXPECT_GT(one.size(), 1078u);
        EXPECT_EQ(bytesOf(file("shards" + name)), one) << name;
        EXPECT_EQ(bytesOf(file("unified" + name)), one) << name;
    }
}

}  // namespace
}  // namespace kararisu
