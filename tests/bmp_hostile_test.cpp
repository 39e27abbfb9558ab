// The BMP reader against files a hostile or careless user hands it: pipes and
// devices, padding far beyond the picture, damaged pixel data.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "palette/palette_input.h"
#include "support/pictures.h"
#include "support/temp_folder.h"
#include "worklists/bmp/bmp.h"

using namespace kararisu;
using kararisu::test::TempFolder;

namespace {

using Bytes = std::vector<std::uint8_t>;

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bitmap sample() {
    return test::picture({test::rgb(1, 2, 3), test::rgb(200, 100, 50)}, 13, 7);
}

// An RLE8 file of w x h pixels whose stream is `stream`.
Bytes rle8(int w, int h, const Bytes& stream) {
    Bitmap b(1, 1, PixelFormat::Bpp8);
    b.setPaletteEntries(Palette({{0, 0, 0}, {255, 255, 255}}));
    Bytes bytes = encodeBmp(b);
    const std::size_t offset = bytes[10] | (bytes[11] << 8);
    bytes.resize(offset);
    put32(bytes, 18, std::uint32_t(w));
    put32(bytes, 22, std::uint32_t(h));
    bytes[30] = 1;
    bytes.insert(bytes.end(), stream.begin(), stream.end());
    return bytes;
}

// Every row a run of index 1, each row ended, then the end of the bitmap.
Bytes rows(int w, int h) {
    Bytes s;
    for (int y = 0; y < h; ++y) s.insert(s.end(), {std::uint8_t(w), 1, 0, 0});
    s.insert(s.end(), {0, 1});
    return s;
}

ProblemKind refusal(const Bytes& bytes) {
    const Outcome<BmpImage> r = decodeBmp(bytes);
    EXPECT_FALSE(r);
    return r ? ProblemKind::CannotOpen : r.problem().kind;
}

}  // namespace

TEST(BmpHostile, PipesAndDevicesAreRefusedWithoutWaiting) {
    TempFolder t;
    ASSERT_EQ(::mkfifo((t / "pipe.bmp").c_str(), 0600), 0);
    ::alarm(20);  // a reader that blocks on the pipe ends the test instead of hanging it
    for (const std::string& path : {t / "pipe.bmp", std::string("/dev/zero")}) {
        const Outcome<BmpImage> r = readBmpFile(path);
        ASSERT_FALSE(r) << path;
        EXPECT_EQ(r.problem().kind, ProblemKind::NotRegularFile) << path;
        const Outcome<PaletteInput> palette = loadPaletteInput(path);
        ASSERT_FALSE(palette) << path;
        EXPECT_EQ(palette.problem().kind, ProblemKind::NotRegularFile) << path;
    }
    ::alarm(0);
}

TEST(BmpHostile, PaddingAfterThePixelsIsNotRead) {
    TempFolder t;
    const Bitmap b = sample();
    Bytes bytes = encodeBmp(b);
    writeFile(t / "padded.bmp", bytes);
    // A sparse gigabyte after the picture: reading it would take that much memory.
    ASSERT_EQ(::truncate((t / "padded.bmp").c_str(), off_t{1} << 30), 0);
    const Outcome<Bitmap> back = loadBmp(t / "padded.bmp");
    ASSERT_TRUE(back) << back.problem().reason;
    EXPECT_TRUE(*back == b);
}

TEST(BmpHostile, DamagedFilesAreRefusedWithAReason) {
    const Bytes whole = rle8(16, 40, rows(16, 40));
    ASSERT_TRUE(decodeBmp(whole));
    // Cut in half, and cut exactly where the pixels start.
    const std::size_t offset = whole[10] | (whole[11] << 8);
    EXPECT_EQ(refusal(Bytes(whole.begin(), whole.begin() + std::ptrdiff_t(whole.size() / 2))),
              ProblemKind::BmpTruncated);
    EXPECT_EQ(refusal(Bytes(whole.begin(), whole.begin() + std::ptrdiff_t(offset))),
              ProblemKind::BmpTruncated);
    // A stream whose rows end early or that ends the bitmap early is whole.
    EXPECT_TRUE(decodeBmp(rle8(16, 40, {0, 0, 0, 0, 4, 1, 0, 1})));
    // The pixel offset pointing into the info header.
    Bytes overlapping = encodeBmp(sample());
    put32(overlapping, 10, 30);
    EXPECT_EQ(refusal(overlapping), ProblemKind::BmpBadPixelOffset);
    // Bit fields with every colour mask 0.
    Bitmap b16(3, 2, PixelFormat::Bpp16);
    Bytes zeroMasks = encodeBmp(b16);
    ASSERT_EQ(zeroMasks[30], 3);
    for (std::size_t at : {54, 58, 62}) put32(zeroMasks, at, 0);
    EXPECT_EQ(refusal(zeroMasks), ProblemKind::BmpBadBitFields);
    EXPECT_EQ(decodeBmp(zeroMasks).problem().reason, "colour masks are all zero");
}

TEST(BmpHostile, AShortStreamClaimingAHugePictureIsRefusedBeforeItIsHeld) {
    // 263 KB of runs that never end a row, for 16384 x 16384 pixels: the
    // picture would take 256 MiB, the stream covers one row.
    Bytes stream;
    for (int i = 0; i < 131072; ++i) stream.insert(stream.end(), {255, 7});
    const Bytes bomb = rle8(16384, 16384, stream);
    const Outcome<BmpImage> r = decodeBmp(bomb);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.problem().kind, ProblemKind::BmpTruncated);
}
