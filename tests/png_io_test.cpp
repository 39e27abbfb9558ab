// Writing and reading PNG files: round trips of every pixel format with
// their transparency, what the writer puts in the palette, hand-made files
// the reader must take or refuse, 32-bit BMPs with alpha, and a second
// decoder's view of the results written as PNG beside BMP.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "reduce/engines.h"
#include "reduce/modes.h"
#include "support/pictures.h"
#include "support/pillow.h"
#include "support/png_chunks.h"
#include "support/recording_monitor.h"
#include "support/recording_reporter.h"
#include "support/required_inputs.h"
#include "support/temp_folder.h"
#include "worklists/image_file.h"

using namespace kararisu;
using test::Bytes;

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
        return b;
    }
    std::vector<std::uint32_t> values(std::size_t(w) * h);
    for (auto& v : values) v = rng() & 0xffffff;
    // Other formats from 32-bit colours, so every format holds what it can.
    Bitmap wide(w, h, PixelFormat::Bpp32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) wide.row32(y)[x] = values[std::size_t(y) * w + x];
    wide.setFormat(f);
    return wide;
}

Bitmap decoded(const Bitmap& b) {
    return decodePng(encodePng(b).take("encode")).take("decode").bitmap;
}

bool samePixels(const Bitmap& a, const Bitmap& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixelValue(x, y) != b.pixelValue(x, y) ||
                a.isTransparent(x, y) != b.isTransparent(x, y))
                return false;
    return true;
}

// The chunks of a file: type and data, in order.
std::vector<std::pair<std::string, Bytes>> chunksOf(const Bytes& png) {
    std::vector<std::pair<std::string, Bytes>> out;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::size_t n =
            (std::size_t(png[at]) << 24) | (png[at + 1] << 16) | (png[at + 2] << 8) | png[at + 3];
        out.emplace_back(std::string(png.begin() + at + 4, png.begin() + at + 8),
                         Bytes(png.begin() + at + 8, png.begin() + at + 8 + n));
        at += 12 + n;
    }
    return out;
}

Bytes bytesOf(const LargeVector<std::uint8_t>& v) {
    return Bytes(v.begin(), v.end());
}

Problem refusal(const Bytes& png) {
    const Outcome<PngImage> r = decodePng(png);
    EXPECT_FALSE(r);
    return r ? Problem{ProblemKind::IoError, "decoded"} : r.problem();
}

// Rows of raw samples with filter byte 0 before each.
Bytes rows(const std::vector<Bytes>& lines) {
    Bytes raw;
    for (const Bytes& l : lines) {
        raw.push_back(0);
        raw.insert(raw.end(), l.begin(), l.end());
    }
    return test::deflated(raw);
}

}  // namespace

TEST(PngRoundTrip, EveryFormatAndOddWidthReadsBackAsTheSamePicture) {
    unsigned seed = 1;
    for (PixelFormat f :
         {PixelFormat::Bpp1, PixelFormat::Bpp4, PixelFormat::Bpp8, PixelFormat::Bpp15,
          PixelFormat::Bpp16, PixelFormat::Bpp24, PixelFormat::Bpp32}) {
        const Bitmap b = randomBitmap(13, 6, f, seed++);
        const Bitmap back = decoded(b);
        if (isPaletted(f)) {
            EXPECT_EQ(back, b) << formatName(f);  // indices, palette and depth
        } else {
            EXPECT_EQ(back.format(), PixelFormat::Bpp24) << formatName(f);
            EXPECT_TRUE(samePixels(back, b)) << formatName(f);
        }
    }
}

TEST(PngRoundTrip, TransparentEntriesAndMasksSurvive) {
    Bitmap eight = randomBitmap(9, 5, PixelFormat::Bpp8, 7);
    eight.setTransparentEntry(3);
    eight.setTransparentEntry(200);
    eight.setIndex(0, 0, 3);
    EXPECT_EQ(decoded(eight), eight);
    Bitmap four = randomBitmap(7, 3, PixelFormat::Bpp4, 8);
    four.setTransparentEntry(15);
    EXPECT_EQ(decoded(four), four);
    Bitmap rgba = randomBitmap(5, 4, PixelFormat::Bpp32, 9);
    rgba.writableMaskRow(1)[2] = 1;
    rgba.writableMaskRow(3)[4] = 1;
    const Bitmap back = decoded(rgba);
    EXPECT_EQ(back, rgba);
    EXPECT_TRUE(back.isTransparent(2, 1));
    EXPECT_FALSE(back.isTransparent(2, 2));
}

TEST(PngWriter, WholePaletteAndTransparencyUpToTheLastTransparentEntry) {
    Bitmap b = randomBitmap(4, 4, PixelFormat::Bpp8, 3);
    b.setTransparentEntry(5);
    const auto chunks = chunksOf(bytesOf(encodePng(b).take("png")));
    std::map<std::string, Bytes> byType(chunks.begin(), chunks.end());
    EXPECT_EQ(chunks.front().first, "IHDR");
    EXPECT_EQ(byType["IHDR"][8], 8);  // bit depth
    EXPECT_EQ(byType["IHDR"][9], 3);  // palette image
    EXPECT_EQ(byType["PLTE"].size(), 3u * 256);
    EXPECT_EQ(byType["tRNS"], (Bytes{255, 255, 255, 255, 255, 0}));
    // An opaque picture has no tRNS; a 1-bit one is 1 bit deep.
    const auto plain =
        chunksOf(bytesOf(encodePng(randomBitmap(3, 3, PixelFormat::Bpp1, 4)).take("1")));
    EXPECT_EQ(plain[0].second[8], 1);
    for (const auto& c : plain) EXPECT_NE(c.first, "tRNS");
}

TEST(PngWriter, APaletteShorterThanItsIndicesIsPaddedWithBlack) {
    Bitmap b(4, 1, PixelFormat::Bpp8);
    b.setPaletteEntries(Palette({{10, 20, 30}, {40, 50, 60}}));
    b.setIndex(3, 0, 7);
    const auto chunks = chunksOf(bytesOf(encodePng(b).take("png")));
    EXPECT_EQ(chunks[1].first, "PLTE");
    EXPECT_EQ(chunks[1].second.size(), 3u * 8);
    const Bitmap back = decoded(b);
    EXPECT_EQ(back.index(3, 0), 7u);
    EXPECT_EQ(back.pixelValue(3, 0), 0u);
    EXPECT_EQ(back.palette().at(1), (Rgb{40, 50, 60}));
}

TEST(PngWriter, APictureWithoutPixelsIsRefused) {
    const Outcome<LargeVector<std::uint8_t>> r = encodePng(Bitmap(0, 5, PixelFormat::Bpp8));
    ASSERT_FALSE(r);
    EXPECT_EQ(r.problem().kind, ProblemKind::PngCannotWrite);
    test::TempFolder t;
    EXPECT_FALSE(savePng(Bitmap(0, 0, PixelFormat::Bpp24), t / "empty.png"));
    EXPECT_EQ(t.entries(), 0);
}

TEST(PngReader, HandMadeDepthsRoundSixteenBitsAndWidenTwoBits) {
    // 2-bit grey: the ramp 0, 85, 170, 255 in a 4-bit bitmap.
    const Bitmap g2 =
        decodePng(test::pngOf({{"IHDR", test::ihdr(4, 1, 2, 0)}, {"IDAT", rows({{0x1b}})}}))
            .take("g2")
            .bitmap;
    EXPECT_EQ(g2.format(), PixelFormat::Bpp4);
    EXPECT_EQ(g2.pixelValue(0, 0), 0u);
    EXPECT_EQ(g2.pixelValue(1, 0), 0x555555u);
    EXPECT_EQ(g2.pixelValue(3, 0), 0xffffffu);
    // 16-bit RGB: 0x00ff is nearer 1 than 0; 0x8080 is 128.
    const Bitmap c16 =
        decodePng(test::pngOf({{"IHDR", test::ihdr(1, 1, 16, 2)},
                               {"IDAT", rows({{0x00, 0xff, 0x80, 0x80, 0xff, 0x7f}})}}))
            .take("c16")
            .bitmap;
    EXPECT_EQ(c16.format(), PixelFormat::Bpp24);
    EXPECT_EQ(c16.pixelValue(0, 0), 0x0180ffu);
    // 16-bit grey with a tRNS value: only that exact sample is transparent.
    const Bytes trns = {0x12, 0x34};
    const PngImage g16 = decodePng(test::pngOf({{"IHDR", test::ihdr(2, 1, 16, 0)},
                                                {"tRNS", trns},
                                                {"IDAT", rows({{0x12, 0x34, 0x12, 0x35}})}}))
                             .take("g16");
    EXPECT_EQ(g16.bitmap.format(), PixelFormat::Bpp32);
    EXPECT_TRUE(g16.bitmap.isTransparent(0, 0));
    EXPECT_FALSE(g16.bitmap.isTransparent(1, 0));
    // Partial alpha: counted, and held as transparent below 128.
    const PngImage ga = decodePng(test::pngOf({{"IHDR", test::ihdr(4, 1, 8, 4)},
                                               {"IDAT", rows({{9, 0, 9, 127, 9, 128, 9, 255}})}}))
                            .take("ga");
    EXPECT_EQ(ga.info.partialAlpha, 2u);
    EXPECT_TRUE(ga.bitmap.isTransparent(1, 0));
    EXPECT_FALSE(ga.bitmap.isTransparent(2, 0));
}

TEST(PngReader, HostileFilesAreRefusedWithTheirReasonBeforeAllocating) {
    // A picture far too large is refused at its header.
    EXPECT_EQ(refusal(test::pngOf({{"IHDR", test::ihdr(1u << 20, 1u << 20, 8, 2)}})).kind,
              ProblemKind::PngTooLarge);
    EXPECT_EQ(refusal(test::pngOf({{"IHDR", test::ihdr((1u << 20) + 1, 1, 8, 2)}})).kind,
              ProblemKind::PngTooLarge);
    EXPECT_EQ(refusal(test::pngOf({{"IHDR", test::ihdr(0, 5, 8, 2)}})).kind,
              ProblemKind::PngBadHeader);
    EXPECT_EQ(refusal(test::pngOf({{"IHDR", test::ihdr(5, 5, 3, 2)}})).kind,
              ProblemKind::PngBadHeader);
    Bytes badCrc = test::pngOf({{"IHDR", test::ihdr(1, 1, 8, 0)}, {"IDAT", rows({{7}})}});
    badCrc[8 + 8 + 13] ^= 1;
    EXPECT_EQ(refusal(badCrc).kind, ProblemKind::PngBadChunk);
    // No image data, or too little of it, or data that is no zlib stream.
    EXPECT_EQ(refusal(test::pngOf({{"IHDR", test::ihdr(3, 3, 8, 0)}}, false)).kind,
              ProblemKind::PngTruncated);
    EXPECT_EQ(
        refusal(test::pngOf({{"IHDR", test::ihdr(3, 3, 8, 0)}, {"IDAT", rows({{1, 2, 3}})}})).kind,
        ProblemKind::PngBadImageData);
    EXPECT_EQ(refusal(test::pngOf({{"IHDR", test::ihdr(3, 1, 8, 0)}, {"IDAT", {1, 2, 3, 4}}})).kind,
              ProblemKind::PngBadImageData);
    // A palette image needs its palette.
    EXPECT_EQ(refusal(test::pngOf({{"IHDR", test::ihdr(1, 1, 8, 3)}, {"IDAT", rows({{0}})}})).kind,
              ProblemKind::PngBadChunk);
    // Cut anywhere before its end chunk, even after its last pixel, a good
    // file is refused, never read past its end.
    const Bytes good = bytesOf(encodePng(randomBitmap(20, 20, PixelFormat::Bpp24, 5)).take("g"));
    for (std::size_t n = 0; n + 12 <= good.size(); n += 3)
        EXPECT_FALSE(decodePng(Bytes(good.begin(), good.begin() + std::ptrdiff_t(n)))) << n;
}

TEST(PngReader, AFileReadsAsItsBytesDecode) {
    test::TempFolder t;
    const Bitmap b = randomBitmap(31, 17, PixelFormat::Bpp4, 11);
    savePng(b, t / "a.png").take("a.png");
    EXPECT_EQ(readPngFile(t / "a.png").take("a.png").bitmap, b);
    EXPECT_EQ(readPngFile(t / "gone.png").problem().kind, ProblemKind::NotFound);
    const Bytes good = bytesOf(encodePng(b).take("b"));
    {
        std::ofstream cut(t / "cut.png", std::ios::binary);
        cut.write(reinterpret_cast<const char*>(good.data()), std::streamsize(good.size() - 20));
    }
    EXPECT_EQ(readPngFile(t / "cut.png").problem().kind, ProblemKind::PngTruncated);
}

TEST(Bmp32Alpha, DeclaredAlphaMarksTransparentPixelsButAlphaAllZeroIsNone) {
    // 4 x 1 at 32 bits, ALPHABITFIELDS: masks for red, green, blue, alpha.
    auto bmp = [](const std::vector<std::uint8_t>& alphas) {
        Bytes b(14 + 40 + 16);
        auto put32 = [&](std::size_t at, std::uint32_t v) {
            for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
        };
        b[0] = 'B', b[1] = 'M';
        put32(10, 14 + 40 + 16);
        put32(14, 40);
        put32(18, std::uint32_t(alphas.size()));
        put32(22, 1);
        b[26] = 1, b[28] = 32;
        put32(30, 6);
        put32(54, 0xff0000), put32(58, 0xff00), put32(62, 0xff), put32(66, 0xff000000);
        for (std::uint8_t a : alphas) {
            for (std::uint8_t c : {std::uint8_t(1), std::uint8_t(2), std::uint8_t(3), a})
                b.push_back(c);
        }
        put32(2, std::uint32_t(b.size()));
        return decodeBmp(b).take("bmp");
    };
    const BmpImage some = bmp({0, 64, 200, 255});
    EXPECT_TRUE(some.bitmap.isTransparent(0, 0));
    EXPECT_TRUE(some.bitmap.isTransparent(1, 0));
    EXPECT_FALSE(some.bitmap.isTransparent(2, 0));
    EXPECT_FALSE(some.bitmap.isTransparent(3, 0));
    EXPECT_EQ(some.info.partialAlpha, 2u);
    EXPECT_EQ(some.bitmap.pixelValue(0, 0), 0x030201u);
    // Written as BMP, the picture is the same and the alpha is gone.
    const Bitmap again = decodeBmp(encodeBmp(some.bitmap)).take("again").bitmap;
    EXPECT_FALSE(again.hasTransparency());
    EXPECT_TRUE(samePixels(again, bmp({255, 255, 255, 255}).bitmap));
    EXPECT_FALSE(bmp({0, 0, 0, 0}).bitmap.hasTransparency());
}

namespace {

struct Run {
    test::RecordingMonitor monitor;
    test::RecordingReporter reporter;
    CollectingSink sink;
    WorkArea work{&reporter};
    RunContext ctx{monitor, reporter, sink, work, false};
};

Bitmap reduced(const Bitmap& image, int mode) {
    Run run;
    const ModeInfo& m = modeInfo(mode);
    std::vector<ReductionTarget> t = {{"a.png", "a.png", &image, {}, ImageFormat::Png}};
    (void)individualReduction(t, {mode, m.colorCount, m.schemeName}, run.ctx);
    return std::move(run.sink.results().at(0).bitmap);
}

}  // namespace

TEST(PngWrittenHere, PillowReadsTheSameIndicesAndPaletteAsFromTheBmpOfTheSameResult) {
    const std::string python = test::pillowPython();
    if (python.empty()) KARARISU_SKIP_WITHOUT_INPUT("Python PIL (python3-pil) is not installed");
    test::TempFolder t;
    std::vector<Rgb> colours;
    for (int i = 0; i < 600; ++i)
        colours.push_back(test::rgb(i % 256, (i * 37) % 256, (i * 11) % 256));
    const Bitmap photo = test::picture(colours, 37, 23);
    Bitmap clear = photo;
    clear.setFormat(PixelFormat::Bpp32);
    for (int x = 0; x < 37; ++x) clear.writableMaskRow(5)[x] = 1;
    const std::vector<std::pair<std::string, Bitmap>> results = {
        {"mode0", reduced(photo, 0)}, {"mode4", reduced(photo, 4)}, {"clear", reduced(clear, 0)}};
    std::vector<std::string> args = {"indexed"};
    for (const auto& [name, b] : results) {
        saveBmp(b, t / (name + ".bmp")).take(name);
        savePng(b, t / (name + ".png")).take(name);
        args.push_back(t / (name + ".bmp"));
        args.push_back(t / (name + ".png"));
    }
    bool ok = false;
    std::istringstream lines(test::pilDump(python, args, ok));
    ASSERT_TRUE(ok);
    for (const auto& [name, b] : results) {
        std::string bmpName, bmpMode, pngName, pngMode, bmpPal, pngPal, bmpIdx, pngIdx, bmpClear,
            pngClear;
        int w, h;
        lines >> bmpName >> bmpMode >> w >> h >> bmpPal >> bmpIdx >> bmpClear;
        lines >> pngName >> pngMode >> w >> h >> pngPal >> pngIdx >> pngClear;
        EXPECT_EQ(pngMode, "P") << name;
        EXPECT_EQ(pngPal, bmpPal) << name;
        EXPECT_EQ(pngIdx, bmpIdx) << name;
        EXPECT_EQ(bmpClear, "-") << name;
        EXPECT_EQ(pngClear, name == "clear" ? "255" : "-") << name;
    }
}
