// The external PNG conformance suite: every good file decodes to the pixels
// a second decoder (Pillow) gives, with alpha held as transparent below 128,
// and every corrupt one is refused with a reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/pillow.h"
#include "support/required_inputs.h"
#include "support/temp_folder.h"
#include "worklists/png/png.h"

using namespace kararisu;
namespace fs = std::filesystem;

namespace {

const fs::path kSuite = KARARISU_PNGSUITE_DIR;

std::vector<fs::path> suiteFiles(bool corrupt) {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(kSuite)) {
        const std::string name = e.path().filename().string();
        if (e.path().extension() == ".png" && (name[0] == 'x') == corrupt)
            files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// How far our pixel may be from Pillow's: Pillow cuts 16-bit colour samples
// to their high byte where we round, so those may differ by one.
int tolerance(const fs::path& file) {
    return file.filename().string().find("16") != std::string::npos ? 1 : 0;
}

// Decodes each file as Pillow does and as we do; the number that agree.
int agreeingWithPillow(const std::string& python, const std::vector<fs::path>& files) {
    test::TempFolder dumps;
    std::vector<std::string> args = {"rgba", dumps.path.string()};
    for (const fs::path& f : files) args.push_back(f.string());
    bool ok = false;
    test::pilDump(python, args, ok);
    EXPECT_TRUE(ok);
    int matched = 0;
    for (const fs::path& f : files) {
        const std::string name = f.filename().string();
        const Outcome<PngImage> ours = readPngFile(f.string());
        EXPECT_TRUE(ours) << name << ": " << ours.problem().reason;
        if (!ours) continue;
        std::ifstream in(dumps / (name + ".rgba"), std::ios::binary);
        int w = 0, h = 0;
        in >> w >> h;
        in.get();
        const std::string rgba((std::istreambuf_iterator<char>(in)), {});
        const Bitmap& b = ours->bitmap;
        if (b.width() != w || b.height() != h || rgba.size() != std::size_t(w) * h * 4) {
            ADD_FAILURE() << name << ": another size than Pillow's";
            continue;
        }
        const int slack = tolerance(f);
        int differing = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const auto* p =
                    reinterpret_cast<const std::uint8_t*>(&rgba[(std::size_t(y) * w + x) * 4]);
                const Rgb c = Rgb::fromValue(b.pixelValue(x, y));
                const bool near = std::abs(c.r - p[0]) <= slack && std::abs(c.g - p[1]) <= slack &&
                                  std::abs(c.b - p[2]) <= slack;
                if (!near || b.isTransparent(x, y) != (p[3] < 128)) ++differing;
            }
        EXPECT_EQ(differing, 0) << name;
        matched += differing == 0;
    }
    return matched;
}

}  // namespace

// The fuzz target's seeds, made by hand by the rules of the format (every
// colour type and depth, interlaced or not, with tRNS): with the project.
TEST(PngSeeds, DecodeToTheSecondDecodersPixels) {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(KARARISU_SOURCE_DIR "/fuzz/seeds/png"))
        files.push_back(e.path());
    ASSERT_GE(files.size(), 16u);
    const std::string python = test::pillowPython();
    if (python.empty()) KARARISU_SKIP_WITHOUT_INPUT("Python PIL (python3-pil) is not installed");
    EXPECT_EQ(agreeingWithPillow(python, files), int(files.size()));
}

class PngSuite : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::is_directory(kSuite))
            KARARISU_SKIP_WITHOUT_INPUT("PNG suite not found at " + kSuite.string());
    }
};

TEST_F(PngSuite, GoodFilesDecodeToTheSecondDecodersPixels) {
    const std::vector<fs::path> files = suiteFiles(false);
    ASSERT_GT(files.size(), 150u);
    const std::string python = test::pillowPython();
    if (python.empty()) KARARISU_SKIP_WITHOUT_INPUT("Python PIL (python3-pil) is not installed");
    const int matched = agreeingWithPillow(python, files);
    std::printf("PngSuite: %d of %zu good files decode as Pillow decodes them\n", matched,
                files.size());
}

TEST_F(PngSuite, CorruptFilesAreRefusedWithAReason) {
    const std::vector<fs::path> files = suiteFiles(true);
    ASSERT_GT(files.size(), 10u);
    for (const fs::path& f : files) {
        const Outcome<PngImage> r = readPngFile(f.string());
        ASSERT_FALSE(r) << f.filename();
        EXPECT_FALSE(r.problem().reason.empty()) << f.filename();
        std::printf("%s: %s\n", f.filename().c_str(), r.problem().reason.c_str());
    }
}

TEST_F(PngSuite, ShapesAndPalettesAreHeldAsTheyAreStored) {
    auto load = [](const char* name) { return readPngFile((kSuite / name).string()).take(name); };
    // A 2-bit palette is widened to 4 bits; its four colours stay in place.
    const PngImage p2 = load("basn3p02.png");
    EXPECT_EQ(p2.bitmap.format(), PixelFormat::Bpp4);
    EXPECT_EQ(p2.bitmap.palette().size(), 16u);
    EXPECT_EQ(p2.bitmap.palette().at(1), (Rgb{255, 0, 0}));
    // Greys of up to 8 bits are paletted on their ramp; a tRNS grey marks its entry.
    const PngImage g4 = load("tbbn0g04.png");
    EXPECT_EQ(g4.bitmap.format(), PixelFormat::Bpp4);
    EXPECT_EQ(g4.bitmap.palette().at(15), (Rgb{255, 255, 255}));
    EXPECT_TRUE(g4.bitmap.isTransparentEntry(15));
    EXPECT_EQ(g4.bitmap.firstTransparentEntry(), 15);
    // Colour images are 24 bits, with alpha 32 bits and a mask.
    EXPECT_EQ(load("basn2c16.png").bitmap.format(), PixelFormat::Bpp24);
    const PngImage rgba = load("basn6a08.png");
    EXPECT_EQ(rgba.bitmap.format(), PixelFormat::Bpp32);
    EXPECT_TRUE(rgba.bitmap.hasTransparency());
    EXPECT_GT(rgba.info.partialAlpha, 0u);
    // Interlaced and not give the same picture.
    EXPECT_EQ(load("basi3p04.png").bitmap, load("basn3p04.png").bitmap);
    EXPECT_EQ(load("basi6a16.png").bitmap, load("basn6a16.png").bitmap);
}
