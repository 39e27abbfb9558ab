// The batch tool's first commands, run as a person runs them.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/cli_runner.h"
#include "worklists/bmp/bmp.h"

using namespace kararisu;
namespace fs = std::filesystem;

namespace {

using test::CliRun;

CliRun cli(const std::string& args) {
    return test::runCli(args);
}

struct CliTest : test::ScratchFolder {};

}  // namespace

TEST_F(CliTest, InfoDescribesGoodFilesAndNamesBadOnes) {
    Bitmap b(5, 3, PixelFormat::Bpp4);
    saveBmp(b, file("a.bmp")).take(file("a.bmp"));
    std::ofstream(file("bad.bmp")) << "nope";
    const CliRun r = cli("info " + file("a.bmp") + " " + file("bad.bmp"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("a.bmp\t5 x 3\t4 bpp in file\tformat 4\tDepthCode 1\tcompression none"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("bad.bmp"), std::string::npos);
}

TEST_F(CliTest, ConvertKeepsFormatOrWidensTo32) {
    Bitmap b(2, 2, PixelFormat::Bpp8);
    b.setIndex(1, 0, 3);
    saveBmp(b, file("in.bmp")).take(file("in.bmp"));
    EXPECT_EQ(cli("convert " + file("in.bmp") + " " + file("same.bmp")).status, 0);
    EXPECT_TRUE(loadBmp(file("same.bmp")).take(file("same.bmp")) == b);
    EXPECT_EQ(cli("convert " + file("in.bmp") + " " + file("wide.bmp") + " --depth 32").status, 0);
    EXPECT_EQ(loadBmp(file("wide.bmp")).take(file("wide.bmp")).format(), PixelFormat::Bpp32);
}

TEST_F(CliTest, UsageErrorsExitTwo) {
    EXPECT_EQ(cli("convert only-one.bmp").status, 2);
    EXPECT_EQ(cli("convert a.bmp b.bmp --depth 24").status, 2);
    EXPECT_EQ(cli("frobnicate").status, 2);
    EXPECT_EQ(cli("--help").status, 0);
    EXPECT_EQ(cli("convert --help").status, 0);
}
