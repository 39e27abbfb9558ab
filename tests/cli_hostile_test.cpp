// The batch tool against hostile inputs and short memory: every command
// reports a file it cannot hold and goes on; labels never reach the terminal raw.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <array>
#include <chrono>
#include <fstream>
#include <thread>

#include "palette/palette_file.h"
#include "support/cli_runner.h"
#include "support/file_bytes.h"
#include "support/pictures.h"
#include "worklists/bmp/bmp.h"

namespace kararisu {
namespace {

using test::runCli;

struct CliHostile : test::ScratchFolder {
    void writeBytes(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(file(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    // A complete RLE8 stream of 263 KB for 16384 x 16384 pixels: valid, but
    // the picture takes 256 MiB.
    void writeBomb(const std::string& name) {
        Bitmap one(1, 1, PixelFormat::Bpp8);
        one.setPaletteEntries(Palette({{0, 0, 0}, {9, 9, 9}}));
        std::vector<std::uint8_t> b = encodeBmp(one);
        b.resize(b[10] | (b[11] << 8));
        for (std::size_t at : {18, 22}) b[at] = 0, b[at + 1] = 0x40, b[at + 2] = 0, b[at + 3] = 0;
        b[30] = 1;
        for (int i = 0; i < 131071; ++i) b.insert(b.end(), {255, 1});
        b.insert(b.end(), {0, 1});
        writeBytes(name, b);
    }
};

// Starts the tool; finish() waits for it. Two started before either is
// finished run at the same time.
FILE* start(const std::string& args) {
    return ::popen((std::string(KARARISU_CLI) + " " + args + " 2>&1").c_str(), "r");
}
test::CliRun finish(FILE* p) {
    test::CliRun r;
    std::array<char, 4096> buf;
    while (std::size_t n = std::fread(buf.data(), 1, buf.size(), p)) r.out.append(buf.data(), n);
    const int status = ::pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

// Runs the tool with its address space limited to 200 MB.
test::CliRun runShort(const std::string& args) {
    const std::string cmd =
        "ulimit -v 200000; exec " + std::string(KARARISU_CLI) + " " + args + " 2>&1";
    return finish(::popen(cmd.c_str(), "r"));
}

TEST_F(CliHostile, ShortMemoryIsAMessagePerFileInEveryCommand) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
#endif
    writeBomb("bomb.bmp");
    Bitmap small = test::picture({test::rgb(1, 2, 3)}, 4, 4);
    small.setFormat(PixelFormat::Bpp8);
    saveBmp(small, file("small.bmp")).take(file("small.bmp"));
    const std::vector<std::string> commands = {
        "info " + quoted("bomb.bmp") + " " + quoted("small.bmp"),
        "count " + quoted("bomb.bmp") + " " + quoted("small.bmp"),
        "palette " + quoted("bomb.bmp"),
        "merge --base " + quoted("bomb.bmp") + " --plus " + quoted("small.bmp") + " -o " +
            quoted("out"),
        "reduce --palette " + quoted("bomb.bmp") + " -o " + quoted("out") + " " +
            quoted("small.bmp"),
        "reduce -o " + quoted("out") + " " + quoted("bomb.bmp"),
        "convert " + quoted("bomb.bmp") + " " + quoted("out/c.bmp"),
    };
    for (const std::string& c : commands) {
        const test::CliRun r = runShort(c);
        EXPECT_EQ(r.status, 1) << c << "\n" << r.out;
        EXPECT_NE(r.out.find("not enough memory"), std::string::npos) << c << "\n" << r.out;
    }
    // The files after the one that did not fit are still done.
    EXPECT_NE(runShort("info " + quoted("bomb.bmp") + " " + quoted("small.bmp")).out.find("4 x 4"),
              std::string::npos);
}

// A user at the limit of processes (here one: no thread can start) gets the
// files of an unlimited run, not an abort. Only root can run the tool as
// another user with such a limit. (The leak checker of a sanitizer build
// needs a thread of its own at the end, and is left out.)
TEST_F(CliHostile, ThreadsTheSystemRefusesChangeNothing) {
    if (::geteuid() != 0 || std::system("command -v setpriv prlimit >/dev/null") != 0)
        GTEST_SKIP() << "needs root, setpriv and prlimit";
    // Large enough that every stage shares its work out.
    Bitmap b(1024, 512, PixelFormat::Bpp24);
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < 3 * b.width(); ++x) b.row(y)[x] = std::uint8_t(x * 5 + y * (x % 7));
    saveBmp(b, file("a.bmp")).take(file("a.bmp"));
    std::filesystem::create_directories(file("limited"));
    std::filesystem::permissions(file("limited"), std::filesystem::perms::all);
    std::filesystem::permissions(dir, std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    const std::string limitedCli =
        "ASAN_OPTIONS=detect_leaks=0 setpriv --reuid=65534 --regid=65534 --clear-groups "
        "prlimit --nproc=1 " +
        std::string(KARARISU_CLI) + " ";
    for (const std::string options : {"", " --refine --dither fs"}) {
        const std::string args = "reduce --force --no-progress" + options + " -o ";
        ASSERT_EQ(runCli(args + quoted("out") + " " + quoted("a.bmp")).status, 0);
        const test::CliRun limited = finish(
            ::popen((limitedCli + args + quoted("limited") + " " + quoted("a.bmp") + " 2>&1").c_str(),
                    "r"));
        EXPECT_EQ(limited.status, 0) << limited.out;
        EXPECT_EQ(test::bytesOf(file("limited/a.bmp")), test::bytesOf(file("out/a.bmp"))) << options;
    }
    EXPECT_EQ(finish(::popen((limitedCli + "count " + quoted("a.bmp")).c_str(), "r")).out,
              runCli("count " + quoted("a.bmp")).out);
}

TEST_F(CliHostile, LabelsAreEscapedOnTheTerminal) {
    PaletteLabel label = PaletteLabel::fromText("ab");
    label.bytes[2] = 0x1b, label.bytes[3] = 0x07, label.bytes[4] = '\n';
    writeBytes("odd.gpl", encodePaletteFile(label, 0, Palette({{0, 0, 0}, {255, 255, 255}})));
    const test::CliRun shown = runCli("palette " + quoted("odd.gpl"));
    ASSERT_EQ(shown.status, 0);
    EXPECT_NE(shown.out.find("label \"ab\\x1b\\x07\\x0a"), std::string::npos) << shown.out;
    EXPECT_EQ(shown.out.find('\x1b'), std::string::npos);

    saveBmp(test::picture({test::rgb(1, 2, 3)}, 2, 2), file("a.bmp")).take(file("a.bmp"));
    const test::CliRun reduced = runCli("reduce --palette " + quoted("odd.gpl") + " -o " +
                                        quoted("out") + " " + quoted("a.bmp"));
    ASSERT_EQ(reduced.status, 0);
    EXPECT_EQ(std::count(reduced.out.begin(), reduced.out.end(), '\n'), 1) << reduced.out;
    EXPECT_NE(reduced.out.find("ab\\x1b\\x07\\x0a"), std::string::npos) << reduced.out;
}

TEST_F(CliHostile, TwoRunsWritingOneNameNeverBothSucceed) {
    saveBmp(test::picture({test::rgb(1, 2, 3), test::rgb(9, 8, 7)}, 64, 64), file("a.bmp"))
        .take(file("a.bmp"));
    for (int round = 0; round < 20; ++round) {
        const std::string out = "r" + std::to_string(round);
        std::filesystem::create_directory(file(out));
        const std::string args = "reduce --no-progress -o " + quoted(out) + " " + quoted("a.bmp");
        FILE* first = start(args);
        FILE* second = start(args);
        const test::CliRun a = finish(first), b = finish(second);
        ASSERT_EQ((a.status == 0) + (b.status == 0), 1) << a.out << "\n" << b.out;
        const test::CliRun& lost = a.status == 0 ? b : a;
        EXPECT_EQ(lost.status, 1);
        EXPECT_NE(lost.out.find("a.bmp: exists; not replaced"), std::string::npos) << lost.out;
        EXPECT_TRUE(loadBmp(file(out + "/a.bmp")));
    }
}

TEST_F(CliHostile, TwoMergesIntoOneFolderBothKeepTheirResult) {
    Bitmap base(2, 2, PixelFormat::Bpp8);
    base.setPaletteEntries(Palette({{1, 1, 1}, {2, 2, 2}}));
    saveBmp(base, file("base.bmp")).take(file("base.bmp"));
    for (int round = 0; round < 10; ++round) {
        const std::string out = "m" + std::to_string(round);
        const std::string args = "merge --base " + quoted("base.bmp") + " --plus " +
                                 quoted("base.bmp") + " -o " + quoted(out);
        FILE* first = start(args);
        FILE* second = start(args);
        const test::CliRun a = finish(first), b = finish(second);
        EXPECT_EQ(a.status, 0) << a.out;
        EXPECT_EQ(b.status, 0) << b.out;
        EXPECT_NE(a.out.substr(0, a.out.find('\t')), b.out.substr(0, b.out.find('\t')));
        EXPECT_TRUE(loadBmp(file(out + "/NewPalette(1).bmp")));
        EXPECT_TRUE(loadBmp(file(out + "/NewPalette(2).bmp")));
    }
}

TEST_F(CliHostile, APaletteNameTakenByAnotherPaletteIsReported) {
    saveBmp(test::picture({test::rgb(1, 2, 3)}, 4, 4), file("logo.bmp")).take(file("logo.bmp"));
    saveBmp(test::picture({test::rgb(200, 2, 3)}, 4, 4), file("logo.dib")).take(file("logo.dib"));
    const test::CliRun r = runCli("reduce --save-palette -o " + quoted("out") + " " +
                                      quoted("logo.bmp") + " " + quoted("logo.dib"),
                                  true);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("logo(1).gpl: another result of this run has a different palette"),
              std::string::npos)
        << r.out;
}

TEST_F(CliHostile, SpecialFilesAreNotTargets) {
    Bitmap a = test::picture({test::rgb(1, 2, 3)}, 4, 4);
    a.setFormat(PixelFormat::Bpp8);
    saveBmp(a, file("a.bmp")).take(file("a.bmp"));
    ASSERT_EQ(::mkfifo(file("pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink(file("pipe"), file("out/a.bmp"));
    for (const std::string& args : {"convert " + quoted("a.bmp") + " " + quoted("pipe"),
                                    "palette " + quoted("a.bmp") + " --save " + quoted("pipe"),
                                    "reduce --force -o " + quoted("out") + " " + quoted("a.bmp")}) {
        const test::CliRun r = runCli(args, true);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_NE(r.out.find("is not a regular file; not replaced"), std::string::npos) << r.out;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(file("pipe")));
    EXPECT_TRUE(std::filesystem::is_symlink(file("out/a.bmp")));
}

TEST_F(CliHostile, AReductionKilledWhileItWritesLeavesNoTemporary) {
    // A 4-megapixel picture; the result is written at the end of the run, so
    // kills spread over the later part of a run's time land in the writing.
    saveBmp(test::picture({test::rgb(1, 2, 3), test::rgb(250, 8, 7)}, 2048, 2048), file("a.bmp"))
        .take(file("a.bmp"));
    auto spawn = [&] {
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl(KARARISU_CLI, KARARISU_CLI, "reduce", "--force", "--no-progress", "-o",
                    file("out").c_str(), file("a.bmp").c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        return child;
    };
    const auto begin = std::chrono::steady_clock::now();
    ::waitpid(spawn(), nullptr, 0);
    const auto run = std::chrono::steady_clock::now() - begin;
    constexpr int kRounds = 4;
    for (int sig : {SIGKILL, SIGINT, SIGTERM, SIGHUP}) {
        for (int k = 0; k < kRounds; ++k) {
            const pid_t child = spawn();
            ASSERT_GT(child, 0);
            std::this_thread::sleep_for(run * (0.4 + 0.7 * k / (kRounds - 1)));
            ::kill(child, sig);
            ::waitpid(child, nullptr, 0);
        }
        for (const auto& e : std::filesystem::directory_iterator(file("out")))
            EXPECT_FALSE(e.path().filename().string().starts_with(".kararisu-"))
                << "signal " << sig;
    }
}

}  // namespace
}  // namespace kararisu
