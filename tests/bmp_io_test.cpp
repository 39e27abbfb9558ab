// Writing and reading BMP files: round trips of every format, another
// decoder's view of our files, and the refusals of malformed headers.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "support/required_inputs.h"
#include "worklists/bmp/bmp.h"

using namespace kararisu;
namespace fs = std::filesystem;

namespace {

Bitmap randomBitmap(int w, int h, PixelFormat f, unsigned seed) {
    std::mt19937 rng(seed);
    Bitmap b(w, h, f);
    if (isPaletted(f)) {
        std::vector<Rgb> pal;
        const std::size_t n = std::size_t{1} << storageBits(f);
        for (std::size_t i = 0; i < n; ++i)
            pal.push_back(Rgb{std::uint8_t(rng()), std::uint8_t(rng()), std::uint8_t(rng())});
        b.setPaletteEntries(Palette(pal));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) b.setIndex(x, y, rng() % n);
    } else {
        const std::size_t used = (std::size_t(w) * storageBits(f) + 7) / 8;
        for (int y = 0; y < h; ++y)
            for (std::size_t i = 0; i < used; ++i) b.row(y)[i] = std::uint8_t(rng());
        if (f == PixelFormat::Bpp32)  // the top byte is not part of the colour
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) b.row32(y)[x] &= 0xffffff;
        if (f == PixelFormat::Bpp15)  // the top bit is unused
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) b.row(y)[2 * x + 1] &= 0x7f;
    }
    return b;
}

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("kararisu-bmp-" + std::to_string(::getpid()));
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
};

const PixelFormat kAll[] = {PixelFormat::Bpp1,  PixelFormat::Bpp4,  PixelFormat::Bpp8,
                            PixelFormat::Bpp15, PixelFormat::Bpp16, PixelFormat::Bpp24,
                            PixelFormat::Bpp32};

}  // namespace

TEST(BmpRoundTrip, EveryFormatAndOddWidthReadsBackIdentical) {
    TempDir dir;
    unsigned seed = 1;
    for (PixelFormat f : kAll) {
        for (int w : {1, 3, 7, 33}) {
            const Bitmap b = randomBitmap(w, 5, f, seed++);
            const fs::path file = dir.path / "rt.bmp";
            saveBmp(b, file).take(file);
            // The rows written straight from the picture make the bytes
            // the file's image in memory has.
            std::ifstream in(file, std::ios::binary);
            const std::vector<std::uint8_t> written((std::istreambuf_iterator<char>(in)), {});
            EXPECT_EQ(written, encodeBmp(b)) << formatName(f) << " width " << w;
            const Bitmap back = loadBmp(file).take(file);
            EXPECT_EQ(back.format(), f) << formatName(f);
            EXPECT_TRUE(back == b) << formatName(f) << " width " << w;
        }
    }
}

namespace {

using Bytes = std::vector<std::uint8_t>;

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) b[at + std::size_t(k)] = std::uint8_t(v >> (8 * k));
}

// The file stored top-down: the height negated, the rows in the other order.
Bytes topDown(const Bitmap& b) {
    Bytes bytes = encodeBmp(b);
    put32(bytes, 22, std::uint32_t(-b.height()));
    const std::size_t at = bytes.size() - b.byteSize(), stride = b.stride();
    for (int y = 0; y < b.height(); ++y)
        std::copy(b.row(y), b.row(y) + stride, bytes.begin() + std::ptrdiff_t(at + stride * y));
    return bytes;
}

// `gap` bytes between the colour table and the pixels.
Bytes withGap(const Bitmap& b, std::size_t gap) {
    Bytes bytes = encodeBmp(b);
    const std::size_t at = bytes.size() - b.byteSize();
    bytes.insert(bytes.begin() + std::ptrdiff_t(at), gap, 0xee);
    put32(bytes, 2, std::uint32_t(bytes.size()));
    put32(bytes, 10, std::uint32_t(at + gap));
    return bytes;
}

Outcome<BmpImage> throughPipe(const Bytes& bytes) {
    int fds[2];
    if (::pipe(fds) != 0) return Problem::fromErrno(errno);
    std::thread writer([&] {
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(fds[1], bytes.data() + done, bytes.size() - done);
            if (n <= 0) break;  // the reader stopped early
            done += std::size_t(n);
        }
        ::close(fds[1]);
    });
    Outcome<BmpImage> r = readBmpStream(fds[0]);
    ::close(fds[0]);
    writer.join();
    return r;
}

}  // namespace

// Memory, a file on disk (its rows read straight into the picture) and a
// pipe give the same picture or the same refusal.
TEST(BmpRead, MemoryFileAndPipeReadAlike) {
    TempDir dir;
    std::vector<std::pair<std::string, Bytes>> cases;
    unsigned seed = 7;
    for (PixelFormat f : kAll)
        cases.push_back({formatName(f), encodeBmp(randomBitmap(37, 41, f, seed++))});
    const Bitmap photo = randomBitmap(33, 40, PixelFormat::Bpp24, seed++);
    cases.push_back({"top-down", topDown(photo)});
    cases.push_back({"gap before the pixels", withGap(photo, 5000)});
    // More rows than one gathered read takes.
    cases.push_back({"tall", encodeBmp(randomBitmap(3, 2100, PixelFormat::Bpp8, seed++))});
    Bytes cut = encodeBmp(photo);
    cut.resize(cut.size() - 150);
    cases.push_back({"cut in the pixels", cut});
    Bytes beyond = withGap(photo, 5000);
    beyond.resize(3000);
    cases.push_back({"pixels beyond the end", beyond});
    for (const auto& [name, bytes] : cases) {
        const fs::path file = dir.path / "alike.bmp";
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        const Outcome<BmpImage> memory = decodeBmp(bytes);
        for (const Outcome<BmpImage>& other : {readBmpFile(file), throughPipe(bytes)}) {
            ASSERT_EQ(memory.ok(), other.ok()) << name;
            if (!memory) {
                EXPECT_EQ(memory.problem(), other.problem()) << name;
                continue;
            }
            EXPECT_TRUE(memory->bitmap == other->bitmap) << name;
            EXPECT_EQ(memory->info.topDown, other->info.topDown) << name;
        }
    }
}

TEST(BmpRoundTrip, EmptyBitmapsAreValid) {
    for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 4}, std::pair{4, 0}}) {
        const Bitmap b(w, h, PixelFormat::Bpp24);
        const Outcome<BmpImage> r = decodeBmp(encodeBmp(b));
        ASSERT_TRUE(r) << r.problem().reason;
        EXPECT_EQ(r->bitmap.width(), w);
        EXPECT_EQ(r->bitmap.height(), h);
    }
}

TEST(BmpRoundTrip, AnotherDecoderSeesTheSamePixels) {
    // Debian's interpreter carries Debian's PIL; another python3 may come first on PATH.
    const std::string python = fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    if (std::system((python + " -c 'import PIL' >/dev/null 2>&1").c_str()) != 0) {
        KARARISU_SKIP_WITHOUT_INPUT("Python PIL is not installed");
    }
    TempDir dir;
    unsigned seed = 100;
    for (PixelFormat f : kAll) {
        const Bitmap b = randomBitmap(13, 6, f, seed++);
        const fs::path file = dir.path / "pil.bmp";
        const fs::path dump = dir.path / "pil.rgb";
        saveBmp(b, file).take(file);
        const std::string cmd = python +
                                " -c \"import sys; from PIL import Image; "
                                "open(sys.argv[2],'wb').write(Image.open(sys.argv[1])"
                                ".convert('RGB').tobytes())\" '" +
                                file.string() + "' '" + dump.string() + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << formatName(f);
        std::ifstream in(dump, std::ios::binary);
        std::vector<char> rgb((std::istreambuf_iterator<char>(in)), {});
        ASSERT_EQ(rgb.size(), 13u * 6u * 3u);
        int differing = 0;
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 13; ++x) {
                const auto* p = reinterpret_cast<const std::uint8_t*>(&rgb[(y * 13 + x) * 3]);
                const Rgb theirs{p[0], p[1], p[2]};
                const Rgb ours = Rgb::fromValue(b.pixelValue(x, y));
                // PIL widens 5- and 6-bit channels by shifting; compare at the stored precision.
                const int shift = f == PixelFormat::Bpp15 || f == PixelFormat::Bpp16 ? 3 : 0;
                const int gshift = f == PixelFormat::Bpp16 ? 2 : shift;
                if ((theirs.r >> shift) != (ours.r >> shift) ||
                    (theirs.g >> gshift) != (ours.g >> gshift) ||
                    (theirs.b >> shift) != (ours.b >> shift))
                    ++differing;
            }
        EXPECT_EQ(differing, 0) << formatName(f);
    }
}

TEST(BmpRead, RefusalsCarryAReason) {
    std::vector<std::uint8_t> good = encodeBmp(randomBitmap(4, 4, PixelFormat::Bpp8, 9));
    auto problem = [](std::vector<std::uint8_t> bytes) { return decodeBmp(bytes).problem(); };

    auto cut = good;
    cut.resize(cut.size() - 3);
    EXPECT_EQ(problem(cut).kind, ProblemKind::BmpTruncated);
    EXPECT_EQ(problem(cut).reason, "file ends inside the pixel data");

    auto header = good;
    header[14] = 41;
    EXPECT_EQ(problem(header).reason, "bad header size 41");

    auto jpeg = good;
    jpeg[30] = 4;
    EXPECT_EQ(problem(jpeg).kind, ProblemKind::BmpEmbeddedImage);

    auto notBmp = good;
    notBmp[0] = 'P';
    EXPECT_EQ(problem(notBmp).kind, ProblemKind::BmpBadSignature);

    auto huge = good;
    huge[18] = huge[19] = huge[20] = 0xff;
    huge[21] = 0x7f;  // width 2^31 - 1
    EXPECT_EQ(problem(huge).kind, ProblemKind::BmpTooLarge);
}

TEST(BmpRead, OpeningAndValidityAreToldApart) {
    const Outcome<Bitmap> missing = loadBmp("/nonexistent/folder/x.bmp");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.problem().kind, ProblemKind::NotFound);
    EXPECT_TRUE(missing.problem().cannotRead());
    TempDir dir;
    const fs::path junk = dir.path / "junk.bmp";
    std::ofstream(junk) << "this is not a bitmap";
    const Outcome<Bitmap> invalid = loadBmp(junk);
    ASSERT_FALSE(invalid);
    EXPECT_EQ(invalid.problem().kind, ProblemKind::BmpBadSignature);
    EXPECT_FALSE(invalid.problem().cannotRead());
    const Outcome<Bitmap> folder = loadBmp(dir.path);
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.problem().kind, ProblemKind::IsFolder);
}

TEST(BmpRead, MalformedRleNeverWritesOutsideThePicture) {
    // Header of a 4 x 2 RLE8 picture followed by hostile streams.
    Bitmap b(4, 2, PixelFormat::Bpp8);
    std::vector<std::uint8_t> base = encodeBmp(b);
    base[30] = 1;  // RLE8
    const std::size_t offset = base[10] | (base[11] << 8);
    const std::vector<std::vector<std::uint8_t>> streams = {
        {255, 7, 255, 7, 255, 7},     // runs far past the row
        {0, 2, 255, 255, 3, 9},       // delta far beyond the picture
        {0, 200, 1, 2},               // literal run longer than the data
        {0, 0, 0, 0, 0, 0, 0, 0, 5},  // more end-of-lines than rows
        {},                           // no data at all
    };
    for (const auto& s : streams) {
        auto bytes = base;
        bytes.resize(offset);
        bytes.insert(bytes.end(), s.begin(), s.end());
        const Outcome<BmpImage> r = decodeBmp(bytes);
        if (r) {
            EXPECT_EQ(r->bitmap.width(), 4);
            EXPECT_EQ(r->bitmap.height(), 2);
        } else {
            EXPECT_FALSE(r.problem().reason.empty());
        }
    }
}

TEST(BmpWrite, FailedSaveKeepsTheOldFile) {
    TempDir dir;
    const fs::path target = dir.path / "keep.bmp";
    std::ofstream(target) << "old";
    fs::permissions(dir.path, fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(dir.path.c_str(), W_OK) == 0) {  // root ignores permissions
        fs::permissions(dir.path, fs::perms::owner_all);
        GTEST_SKIP() << "cannot make a folder read-only for this user";
    }
    const Outcome<void> saved = saveBmp(Bitmap(2, 2, PixelFormat::Bpp24), target);
    fs::permissions(dir.path, fs::perms::owner_all);
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.problem().kind, ProblemKind::PermissionDenied);
    std::ifstream in(target);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "old");
}

TEST(BmpWrite, FailedRenameLeavesTargetAndNoTemporary) {
    TempDir dir;
    const fs::path target = dir.path / "busy.bmp";
    fs::create_directories(target / "inside");  // a folder cannot be replaced by a file
    EXPECT_FALSE(saveBmp(Bitmap(2, 2, PixelFormat::Bpp24), target));
    EXPECT_TRUE(fs::is_directory(target / "inside"));
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path)) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(BmpWrite, SaveIntoMissingFolderFailsWithReason) {
    const Outcome<void> saved =
        saveBmp(Bitmap(1, 1, PixelFormat::Bpp8), "/nonexistent/folder/x.bmp");
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.problem().kind, ProblemKind::NotFound);
    EXPECT_NE(saved.problem().reason.find("No such file"), std::string::npos);
}
