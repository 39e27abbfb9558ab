// The external conformance suite: good files decode pixel-exact against the
// reference renderings, questionable and bad ones decode or are refused with
// a reason, and none of them crashes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "support/required_inputs.h"
#include "worklists/bmp/bmp.h"

using namespace kararisu;
namespace fs = std::filesystem;

namespace {

const fs::path kSuite = KARARISU_BMPSUITE_DIR;

struct Ppm {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
};

bool readPpm(const fs::path& path, Ppm& out) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    in >> magic >> out.width >> out.height >> maxval;
    in.get();
    if (magic != "P6" || maxval != 255) return false;
    out.rgb.resize(std::size_t(out.width) * out.height * 3);
    in.read(reinterpret_cast<char*>(out.rgb.data()), std::streamsize(out.rgb.size()));
    return bool(in);
}

std::multimap<std::string, std::string> referenceMap() {
    std::multimap<std::string, std::string> refs;
    std::ifstream in(kSuite / "ref" / "MAP.tsv");
    std::string line;
    std::getline(in, line);  // column names
    while (std::getline(in, line)) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos) continue;
        std::istringstream names(line.substr(tab + 1));
        std::string name;
        while (names >> name) refs.emplace(line.substr(0, tab), name);
    }
    return refs;
}

bool matches(const Bitmap& bmp, const Ppm& ref) {
    if (bmp.width() != ref.width || bmp.height() != ref.height) return false;
    for (int y = 0; y < ref.height; ++y)
        for (int x = 0; x < ref.width; ++x) {
            const std::uint8_t* p = &ref.rgb[(std::size_t(y) * ref.width + x) * 3];
            if (bmp.pixelValue(x, y) != Rgb{p[0], p[1], p[2]}.value()) return false;
        }
    return true;
}

}  // namespace

class BmpSuite : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::is_directory(kSuite)) {
            KARARISU_SKIP_WITHOUT_INPUT("BMP suite not found at " + kSuite.string());
        }
    }
};

TEST_F(BmpSuite, GoodFilesMatchTheirReferences) {
    const auto refs = referenceMap();
    int checked = 0;
    for (const auto& e : fs::directory_iterator(kSuite / "g")) {
        const std::string key = "g/" + e.path().filename().string();
        const Outcome<BmpImage> r = readBmpFile(e.path());
        ASSERT_TRUE(r) << key << ": " << r.problem().reason;
        auto [lo, hi] = refs.equal_range(key);
        if (lo == hi) continue;
        bool any = false;
        for (auto it = lo; it != hi && !any; ++it) {
            Ppm ppm;
            ASSERT_TRUE(readPpm(kSuite / "ref" / it->second, ppm)) << it->second;
            any = matches(r->bitmap, ppm);
        }
        EXPECT_TRUE(any) << key << " differs from its reference";
        ++checked;
    }
    EXPECT_GT(checked, 20);
}

TEST_F(BmpSuite, QuestionableAndBadFilesDecodeOrGiveAReason) {
    for (const char* folder : {"q", "b"}) {
        for (const auto& e : fs::directory_iterator(kSuite / folder)) {
            const Outcome<BmpImage> r = readBmpFile(e.path());
            if (!r) {
                EXPECT_FALSE(r.problem().reason.empty()) << e.path();
            }
        }
    }
}
