// The batch tool against hostile inputs and short memory: every command
// reports a file it cannot hold and goes on; labels never reach the terminal raw.
#include <gtest/gtest.h>

#include <array>
#include <fstream>

#include "palette/palette_file.h"
#include "support/cli_runner.h"
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

// Runs the tool with its address space limited to 200 MB.
test::CliRun runShort(const std::string& args) {
    const std::string cmd =
        "ulimit -v 200000; exec " + std::string(KARARISU_CLI) + " " + args + " 2>&1";
    test::CliRun r;
    FILE* p = ::popen(cmd.c_str(), "r");
    std::array<char, 4096> buf;
    while (std::size_t n = std::fread(buf.data(), 1, buf.size(), p)) r.out.append(buf.data(), n);
    const int status = ::pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
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

}  // namespace
}  // namespace kararisu
