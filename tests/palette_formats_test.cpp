// Palette files of other programs: each reader on files written here from
// the formats' descriptions, their refusals with the line or byte named, the
// recognition by content before extension, and every writer read back.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string_view>

#include "palette/palette_commands.h"
#include "palette/palette_formats.h"
#include "support/recording_reporter.h"
#include "support/scoped_env.h"

using namespace kararisu;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

// A read with the format the bytes were taken for.
struct Read {
    std::optional<PaletteFile> file;
    PaletteFormat format = PaletteFormat::Kararisu;
    std::string reason;
    bool ok() const { return file.has_value(); }
};

Read of(const Outcome<PaletteFile>& o, PaletteFormat format) {
    Read r{std::nullopt, format, {}};
    if (o) {
        r.file = *o;
    } else {
        r.reason = o.problem().reason;
        EXPECT_NE(o.problem().reason, "");
    }
    return r;
}

Read readBytes(std::span<const std::uint8_t> bytes, std::string_view name) {
    return of(decodeAnyPalette(bytes, name), sniffPaletteFormat(bytes, name));
}

Read decode(std::string_view text, std::string_view name = "x") {
    return readBytes(bytesOf(text), name);
}

std::vector<Rgb> rgbs(std::initializer_list<Rgb> l) {
    return l;
}

std::string labelOf(const PaletteFile& f) {
    return f.label.text();
}

// k distinct colours.
std::vector<Rgb> distinct(std::size_t k) {
    std::vector<Rgb> c(k);
    for (std::size_t i = 0; i < k; ++i)
        c[i] = Rgb{std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 7)};
    return c;
}

Bytes riff(std::uint16_t count, std::size_t entries, std::uint32_t chunkSize) {
    Bytes b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'P', 'A', 'L', ' ', 'd', 'a', 't', 'a'};
    for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(chunkSize >> (8 * i)));
    b.insert(b.end(), {0x00, 0x03, std::uint8_t(count), std::uint8_t(count >> 8)});
    for (std::size_t i = 0; i < entries; ++i) b.insert(b.end(), {std::uint8_t(i), 2, 3, 0});
    const auto riffSize = std::uint32_t(b.size() - 8);
    for (int i = 0; i < 4; ++i) b[4 + i] = std::uint8_t(riffSize >> (8 * i));
    return b;
}

void expectRefused(const Read& r, PaletteFormat format, std::string_view reason) {
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.format, format);
    EXPECT_NE(r.reason.find(reason), std::string::npos) << r.reason;
}

}  // namespace

TEST(ImportedPalette, SmallestDepthHoldingTheColoursPaddedWithBlack) {
    for (const auto& [k, depth, n] :
         {std::tuple{1, 0, 2}, {2, 0, 2}, {3, 1, 16}, {16, 1, 16}, {17, 2, 256}, {256, 2, 256}}) {
        const PaletteFile f = importedPalette(distinct(std::size_t(k)));
        EXPECT_EQ(f.depthCode, depth) << k;
        ASSERT_EQ(f.palette.size(), std::size_t(n)) << k;
        EXPECT_EQ(f.palette.at(std::size_t(k) - 1), distinct(std::size_t(k)).back());
        if (k < n) {
            EXPECT_EQ(f.palette.at(std::size_t(k)), Rgb{});
        }
        EXPECT_EQ(f.label, PaletteLabel::fromText("カスタム" + std::to_string(k))) << k;
    }
    EXPECT_EQ(labelOf(importedPalette(distinct(256))), "カスタム256");  // exactly 11 bytes
}

TEST(GimpPalette, HeaderFieldsCommentsBlankLinesAndNames) {
    const Read r = decode(
        "GIMP Palette\r\nName: Sunset\r\nColumns: 4\r\n# made by hand\r\n\r\n"
        "255 128   0\tOrange\r\n  0   0   0\r\n 12 34 56 a name with spaces\r\n");
    ASSERT_TRUE(r.ok()) << r.reason;
    EXPECT_EQ(r.format, PaletteFormat::Gimp);
    EXPECT_EQ(r.file->depthCode, 1);
    EXPECT_EQ(labelOf(*r.file), "カスタム3  ");
    EXPECT_EQ(r.file->palette.at(0), (Rgb{255, 128, 0}));
    EXPECT_EQ(r.file->palette.at(2), (Rgb{12, 34, 56}));
}

TEST(GimpPalette, RefusalsNameTheLine) {
    expectRefused(decode("GIMP Palette\n1 2 3\n300 0 0\n"), PaletteFormat::Gimp,
                  "line 3: 300 is outside 0-255");
    expectRefused(decode("GIMP Palette\n1 2\n"), PaletteFormat::Gimp, "line 2: expected three");
    expectRefused(decode("GIMP Palette\n1 x 3\n"), PaletteFormat::Gimp, "line 2");
    expectRefused(decode("GIMP Palette\n-1 0 0\n"), PaletteFormat::Gimp, "line 2");
    expectRefused(decode("GIMP Palette\n99999999999999999999 0 0\n"), PaletteFormat::Gimp,
                  "outside 0-255");
    expectRefused(decode("GIMP Palette\nName: empty\n"), PaletteFormat::Gimp, "no colours");
    std::string text = "GIMP Palette\n";
    for (int i = 0; i < 256; ++i) text += "1 2 3\n";
    EXPECT_TRUE(decode(text).ok());
    expectRefused(decode(text + "4 5 6\n"), PaletteFormat::Gimp, "line 258: more than 256");
}

TEST(JascPalette, CountThenRowsWithEitherLineEnd) {
    for (const char* eol : {"\r\n", "\n"}) {
        const std::string e = eol;
        const Read r =
            decode("JASC-PAL" + e + "0100" + e + "2" + e + "1 2 3" + e + "250 251 252" + e);
        ASSERT_TRUE(r.ok()) << r.reason;
        EXPECT_EQ(r.format, PaletteFormat::Jasc);
        EXPECT_EQ(r.file->palette.entries(), rgbs({{1, 2, 3}, {250, 251, 252}}));
    }
}

TEST(JascPalette, ACountThatDisagreesWithTheRowsIsRefused) {
    expectRefused(decode("JASC-PAL\n0100\n3\n1 2 3\n4 5 6\n"), PaletteFormat::Jasc,
                  "ends after 2 colours; line 3 says 3");
    expectRefused(decode("JASC-PAL\n0100\n1\n1 2 3\n4 5 6\n"), PaletteFormat::Jasc,
                  "line 5: more colours than the count");
    expectRefused(decode("JASC-PAL\n0100\n257\n"), PaletteFormat::Jasc, "line 3");
    expectRefused(decode("JASC-PAL\n0100\n0\n"), PaletteFormat::Jasc, "line 3");
    expectRefused(decode("JASC-PAL\n0200\n1\n1 2 3\n"), PaletteFormat::Jasc, "line 2");
    expectRefused(decode("JASC-PAL\n0100\n1\n1 2 3 4\n"), PaletteFormat::Jasc, "line 4");
    expectRefused(decode("JASC-PAL\n0100\n1\n1 256 3\n"), PaletteFormat::Jasc, "line 4: 256");
}

TEST(TextPalettes, ALoneCarriageReturnEndsALineToo) {
    const Read gimp = decode("GIMP Palette\rName: Mac\r1 2 3\r4 5 6\r");
    ASSERT_TRUE(gimp.ok()) << gimp.reason;
    EXPECT_EQ(gimp.file->palette.at(1), (Rgb{4, 5, 6}));
    ASSERT_TRUE(decode("JASC-PAL\r0100\r1\r7 8 9\r").ok());
    EXPECT_EQ(decode("ff0000\r00ff00\r").file->palette.at(1), (Rgb{0, 255, 0}));
    // Lines are counted the same whichever end they have; "\r\n" is one end.
    expectRefused(decode("GIMP Palette\r1 2 3\r\n\r1 2 300\r"), PaletteFormat::Gimp,
                  "line 4: 300 is outside 0-255");
}

TEST(TextPalettes, TheFilesTextIsQuotedEscaped) {
    const Read esc = decode("ff0000\n\x1b]0;owned\x07\n", "p.hex");
    expectRefused(esc, PaletteFormat::Hex, "line 2: expected RRGGBB, found \"\\x1b]0;owned\\x07\"");
    EXPECT_EQ(esc.reason.find('\x1b'), std::string::npos);
    // A NUL no longer ends the reason where it is printed.
    const Read nul = decode(std::string("JASC-PAL\n0100\n1\n1 2 3 a") + '\0' + "b\n");
    expectRefused(nul, PaletteFormat::Jasc, "more than R G B: \" a\\x00b\"");
    // Cut after 40 bytes, never inside a character.
    const Read longLine = decode("GIMP Palette\n" + std::string(39, 'x') + "\xE3\x81\x82 1 2\n");
    expectRefused(longLine, PaletteFormat::Gimp, "found \"" + std::string(39, 'x') + "…\"");
}

TEST(HexList, OneColourALineByContentOrExtension) {
    const Read r = decode("ff0000\n#00FF80\r\n\n0a0b0c\n", "colours.txt");
    ASSERT_TRUE(r.ok()) << r.reason;
    EXPECT_EQ(r.format, PaletteFormat::Hex);
    EXPECT_EQ(labelOf(*r.file), "カスタム3  ");
    EXPECT_EQ(r.file->palette.at(1), (Rgb{0, 255, 128}));
    // A bad line: the content cannot tell, the extension does.
    expectRefused(decode("ff0000\nff00\n", "p.hex"), PaletteFormat::Hex, "line 2: expected RRGGBB");
    EXPECT_EQ(decode("ff0000\nff00\n", "p.gpl").format, PaletteFormat::Kararisu);
    std::string many;
    for (int i = 0; i < 257; ++i) many += "123456\n";
    expectRefused(decode(many), PaletteFormat::Hex, "line 257: more than 256");
}

TEST(RiffPalette, TheCountFieldDecidesNotTheChunkSize) {
    const Read r = readBytes(riff(3, 3, 999), "x");
    ASSERT_TRUE(r.ok()) << r.reason;
    EXPECT_EQ(r.format, PaletteFormat::Riff);
    EXPECT_EQ(r.file->palette.at(2), (Rgb{2, 2, 3}));
    EXPECT_EQ(r.file->depthCode, 1);
    // Another chunk (odd-sized, so padded) before the data chunk.
    Bytes withInfo = riff(1, 1, 8);
    const Bytes info = {'I', 'N', 'F', 'O', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    withInfo.insert(withInfo.begin() + 12, info.begin(), info.end());
    EXPECT_TRUE(readBytes(withInfo, "x").ok());
}

TEST(RiffPalette, TruncatedAndBadFilesAreRefused) {
    Bytes cut = riff(16, 16, 68);
    cut.resize(cut.size() - 3);
    expectRefused(readBytes(cut, "x.pal"), PaletteFormat::Riff,
                  "the count says 16 colours, the file holds 15");
    expectRefused(readBytes(riff(0, 0, 4), "x"), PaletteFormat::Riff, "count 0");
    expectRefused(readBytes(riff(257, 257, 4), "x"), PaletteFormat::Riff, "count 257");
    Bytes header = riff(1, 1, 8);
    header.resize(20);
    expectRefused(readBytes(header, "x"), PaletteFormat::Riff, "truncated");
    header.resize(12);
    expectRefused(readBytes(header, "x"), PaletteFormat::Riff, "no data chunk");
    Bytes version = riff(1, 1, 8);
    version[20] = 1;
    expectRefused(readBytes(version, "x"), PaletteFormat::Riff, "version");
    // A chunk size near 4 GiB skips past the end instead of wrapping round.
    Bytes huge = riff(1, 1, 8);
    huge[12] = 'X';
    huge[16] = huge[17] = huge[18] = huge[19] = 0xff;
    expectRefused(readBytes(huge, "x"), PaletteFormat::Riff, "no data chunk");
}

TEST(AdobeColourTable, PlainAndCountedTables) {
    Bytes act(768);
    act[0] = 9, act[767] = 7;
    Read r = readBytes(act, "x");
    ASSERT_TRUE(r.ok()) << r.reason;
    EXPECT_EQ(r.format, PaletteFormat::Act);
    EXPECT_EQ(labelOf(*r.file), "カスタム256");
    EXPECT_EQ(r.file->palette.at(255), (Rgb{0, 0, 7}));
    act.insert(act.end(), {0x00, 0x05, 0xff, 0xff});
    r = readBytes(act, "x");
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(labelOf(*r.file), "カスタム5  ");
    EXPECT_EQ(r.file->palette.size(), 16u);
    EXPECT_EQ(r.file->palette.at(0), (Rgb{9, 0, 0}));
    act[768] = 0x01, act[769] = 0x01;  // 257
    expectRefused(readBytes(act, "x"), PaletteFormat::Act, "byte 768");
    expectRefused(readBytes(Bytes(769, 1), "x.act"), PaletteFormat::Act,
                  "768 or 772 bytes; this file has 769");
    // Without the extension a 769-byte file is the program's own reader's to refuse.
    const Read own = readBytes(Bytes(769, 1), "x.gpl");
    EXPECT_FALSE(own.ok());
    EXPECT_EQ(own.format, PaletteFormat::Kararisu);
}

TEST(Sniffing, ContentDecidesBeforeTheName) {
    // A GIMP palette named .gpl reads as GIMP; the program's own .gpl as before.
    EXPECT_EQ(decode("GIMP Palette\n1 2 3\n", "a.gpl").format, PaletteFormat::Gimp);
    EXPECT_EQ(decode("JASC-PAL\n0100\n1\n1 2 3\n", "a.gpl").format, PaletteFormat::Jasc);
    const Bytes own =
        encodePaletteFile(PaletteLabel::fromText("ノーマル16"), 1, Palette(distinct(16)));
    for (const char* name : {"a.gpl", "a.pal", "a.act", "a.hex", "a"}) {
        const Read r = readBytes(own, name);
        ASSERT_TRUE(r.ok()) << name;
        EXPECT_EQ(r.format, PaletteFormat::Kararisu);
        const Outcome<PaletteFile> direct = decodePaletteFile(own);
        EXPECT_EQ(r.file->label, direct->label);
        EXPECT_EQ(r.file->palette, direct->palette);
        EXPECT_EQ(r.file->depthCode, 1);
    }
    // Whatever its label says.
    for (const char* label : {"JASC-PAL", "RIFF1234PAL", "GIMP Palett", "ff0000"}) {
        const Bytes b = encodePaletteFile(PaletteLabel::fromText(label), 0, Palette(distinct(2)));
        EXPECT_EQ(sniffPaletteFormat(b, "a.hex"), PaletteFormat::Kararisu) << label;
    }
    // A DepthCode outside 0-2 still goes to its reader, which takes one entry.
    const Read five =
        readBytes(encodePaletteFile(PaletteLabel::fromText("x"), 5, Palette(distinct(1))), "a.gpl");
    ASSERT_TRUE(five.ok());
    EXPECT_EQ(five.file->palette.size(), 1u);
    // The program's own file with a tail that makes it 772 bytes is still its
    // own, unless it is named as an Adobe table: a table written by this
    // program must read back even when its colours look like the header.
    Bytes tailed = own;
    tailed.resize(772, 0x55);
    EXPECT_EQ(readBytes(tailed, "a.gpl").format, PaletteFormat::Kararisu);
    EXPECT_EQ(readBytes(tailed, "a.act").format, PaletteFormat::Act);
    std::vector<Rgb> likeHeader = distinct(256);
    likeHeader[4] = {2, 0, 0};  // bytes 12-17: DepthCode 2, then version 0x0300
    likeHeader[5] = {0, 0, 3};
    const Palette table(likeHeader);
    const Bytes act = encodePalette(PaletteFormat::Act, PaletteLabel::fromText("x"), 2, table, "n");
    const Read back = readBytes(act, "t.act");
    ASSERT_TRUE(back.ok()) << back.reason;
    EXPECT_EQ(back.file->palette, table);
    // Its own refusals stay those of its reader.
    const Read bad = readBytes(Bytes(30, 0), "a.gpl");
    EXPECT_FALSE(bad.ok());
    EXPECT_EQ(bad.format, PaletteFormat::Kararisu);
    EXPECT_EQ(bad.reason, decodePaletteFile(Bytes(30, 0)).problem().reason);
    EXPECT_FALSE(readBytes(Bytes(), "a.gpl").ok());
}

TEST(Sniffing, Utf16TextIsSaidToBeUtf16) {
    auto utf16 = [](std::string_view text, bool bigEndian, bool mark) {
        Bytes b;
        if (mark) b = bigEndian ? Bytes{0xFE, 0xFF} : Bytes{0xFF, 0xFE};
        for (char c : text) {
            b.push_back(bigEndian ? 0 : std::uint8_t(c));
            b.push_back(bigEndian ? std::uint8_t(c) : 0);
        }
        return b;
    };
    const std::string_view gimp = "GIMP Palette\r\nName: x\r\n1 2 3\r\n";
    for (const auto& [big, mark] : {std::pair{false, true}, {true, true}, {false, false}}) {
        for (const char* name : {"p.gpl", "p.hex", "p"})
            expectRefused(readBytes(utf16(gimp, big, mark), name), sniffPaletteFormat(utf16(gimp, big, mark), name),
                          "UTF-16 text, not a palette this program reads");
    }
    // The program's own file whose label begins with those bytes is still its own.
    Bytes own = encodePaletteFile(PaletteLabel::fromText("x"), 0, Palette(distinct(2)));
    own[0] = 0xFF, own[1] = 0xFE;
    EXPECT_TRUE(readBytes(own, "a.gpl").ok());
}

TEST(Writers, EveryFormatReadsBackToTheSameEntries) {
    for (const std::size_t k : {2u, 16u, 256u}) {
        const std::int32_t depth = k == 2 ? 0 : k == 16 ? 1 : 2;
        const Palette p(distinct(k));
        for (const PaletteFormatInfo& f : paletteFormats()) {
            const Bytes b =
                encodePalette(f.format, PaletteLabel::fromText("ノーマル"), depth, p, "n");
            const Read r = readBytes(b, std::string("out.") + f.extension);
            ASSERT_TRUE(r.ok()) << f.name << " " << k << " " << r.reason;
            EXPECT_EQ(r.format, f.format) << f.name;
            EXPECT_EQ(r.file->palette, p) << f.name << " " << k;
            EXPECT_EQ(r.file->depthCode, depth) << f.name;
        }
    }
}

TEST(Writers, TheFormatsDetails) {
    const Palette p({{1, 2, 3}, {4, 5, 6}});
    const auto text = [&](PaletteFormat f) {
        const Bytes b = encodePalette(f, PaletteLabel{}, 0, p, "Two\ncolours");
        return std::string(b.begin(), b.end());
    };
    EXPECT_EQ(text(PaletteFormat::Gimp),
              "GIMP Palette\nName: Two colours\nColumns: 16\n#\n  1   2   3\tIndex 0\n"
              "  4   5   6\tIndex 1\n");
    EXPECT_EQ(text(PaletteFormat::Jasc), "JASC-PAL\r\n0100\r\n2\r\n1 2 3\r\n4 5 6\r\n");
    EXPECT_EQ(text(PaletteFormat::Hex), "010203\n040506\n");
    const Bytes act = encodePalette(PaletteFormat::Act, PaletteLabel{}, 0, p, "");
    ASSERT_EQ(act.size(), 772u);
    EXPECT_EQ(Bytes(act.begin() + 765, act.end()), (Bytes{0, 0, 0, 0x00, 0x02, 0xff, 0xff}));
    const Bytes riffBytes = encodePalette(PaletteFormat::Riff, PaletteLabel{}, 0, p, "");
    EXPECT_EQ(riffBytes,
              (Bytes{'R', 'I', 'F', 'F', 24, 0, 0, 0, 'P', 'A', 'L', ' ', 'd', 'a', 't', 'a',
                     12,  0,   0,   0,   0,  3, 2, 0, 1,   2,   3,   0,   4,   5,   6,   0}));
    EXPECT_EQ(encodePalette(PaletteFormat::Kararisu, PaletteLabel::fromText("a"), 0, p, ""),
              encodePaletteFile(PaletteLabel::fromText("a"), 0, p));
}

TEST(FormatNames, NamesAndDialogFilters) {
    EXPECT_EQ(paletteFormatNames(), "kararisu|gimp|jasc|riff|act|hex");
    EXPECT_EQ(paletteFormatNamed("riff"), PaletteFormat::Riff);
    EXPECT_EQ(paletteFormatNamed("GIMP"), std::nullopt);
    EXPECT_EQ(paletteSaveFilter(),
              "カラリスパレットデータ(*.gpl)|*.gpl|GIMPパレット(*.gpl)|*.gpl|"
              "JASC-PALパレット(*.pal)|*.pal|RIFFパレット(*.pal)|*.pal|"
              "Adobeカラーテーブル(*.act)|*.act|16進カラーリスト(*.hex)|*.hex");
    for (const PaletteFormatInfo& f : paletteFormats())
        EXPECT_EQ(paletteFormatOfFilter(f.description), f.format);
    EXPECT_EQ(paletteFormatOfFilter("anything"), PaletteFormat::Kararisu);
    EXPECT_EQ(paletteOpenFilter(),
              "カラリスパレットデータ(*.gpl)|*.gpl|"
              "すべてのパレットファイル(*.gpl *.pal *.act *.hex)|*.gpl;*.pal;*.act;*.hex");
}

struct FormatFiles : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        std::string t = (fs::temp_directory_path() / "kararisu-fmt-XXXXXX").string();
        dir = ::mkdtemp(t.data());
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string write(const std::string& name, std::string_view content) const {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
};

TEST_F(FormatFiles, TheReadOperationTakesEveryFormat) {
    const std::vector<std::string> paths = {
        write("g.gpl", "GIMP Palette\n1 2 3\n"), write("bad.pal", "JASC-PAL\n0100\n2\n1 2 3\n"),
        write("h.hex", "aabbcc\n"), (dir / "missing.act").string()};
    test::RecordingReporter reporter;
    const std::vector<LoadedPalette> loaded = readPalettes(paths, reporter);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0].displayName, "g.gpl");
    EXPECT_EQ(loaded[0].file.label, PaletteLabel::fromText("カスタム1"));
    EXPECT_EQ(loaded[1].file.palette.at(0), (Rgb{0xaa, 0xbb, 0xcc}));
    EXPECT_EQ(reporter.messages,
              (std::vector<Message>{paletteNotCreatedMessage(), paletteNotCreatedMessage()}));
}

TEST_F(FormatFiles, OnlyRegularFilesAndNothingHuge) {
    const std::string fifo = (dir / "pipe.gpl").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(readAnyPaletteFile(fifo).problem().kind, ProblemKind::NotRegularFile);
    EXPECT_EQ(readAnyPaletteFile(dir.string()).problem().kind, ProblemKind::IsFolder);
    EXPECT_EQ(readAnyPaletteFile((dir / "missing").string()).problem().kind, ProblemKind::NotFound);
    std::string big = "GIMP Palette\n";
    big.resize(std::size_t(1) << 21, '#');
    expectRefused(of(readAnyPaletteFile(write("big.gpl", big)), PaletteFormat::Gimp),
                  PaletteFormat::Gimp, "1 MiB");
    // The program's own file with a long tail still reads: the tail is ignored.
    const Bytes own = encodePaletteFile(PaletteLabel::fromText("x"), 0, Palette(distinct(2)));
    std::string tailed(own.begin(), own.end());
    tailed.resize(std::size_t(3) << 20, 'z');
    EXPECT_TRUE(readAnyPaletteFile(write("tail.gpl", tailed)).ok());
}

TEST(AnyInput, NeverCrashesOnMutatedFiles) {
    // Every single-byte change and every cut of one file of each format.
    const Palette p(distinct(16));
    for (const PaletteFormatInfo& f : paletteFormats()) {
        const Bytes good = encodePalette(f.format, PaletteLabel{}, 1, p, "n");
        for (std::size_t cut = 0; cut <= good.size(); cut += 7)
            (void)readBytes(std::span(good).first(cut), "x");
        for (std::size_t i = 0; i < good.size(); i += 3) {
            Bytes b = good;
            for (const std::uint8_t v : {0x00, 0x0a, 0x20, 0x39, 0xff}) {
                b[i] = v;
                const Read r = readBytes(b, "x");
                if (r.ok()) {
                    EXPECT_LE(r.file->palette.size(), 256u);
                }
            }
        }
    }
}

TEST_F(FormatFiles, TheSaveCommandWritesTheFormatChosen) {
    const std::vector<PaletteToSave> rows = {{"a(1)", "ノーマル16", 1, Palette(distinct(16))},
                                             {"b(1)", "ノーマル2", 0, Palette(distinct(2))}};
    test::ScopedEnv xdg("XDG_DATA_HOME", dir.c_str());
    test::RecordingReporter reporter;
    std::vector<PaletteFormat> formats = {PaletteFormat::Gimp, PaletteFormat::Act};
    const int saved = savePalettesAs(
        rows,
        [&](const std::string& proposed) {
            const PaletteFormat f = formats[proposed.ends_with("a(1).gpl") ? 0 : 1];
            return std::optional<ChosenPaletteFile>({proposed + ".out", f});
        },
        reporter);
    EXPECT_EQ(saved, 2);
    const std::string folder = dir.string() + "/kararisu/Palette/";
    std::ifstream gimp(folder + "a(1).gpl.out");
    std::string first, name;
    std::getline(gimp, first), std::getline(gimp, name);
    EXPECT_EQ(first + "/" + name, "GIMP Palette/Name: a(1)");
    EXPECT_EQ(fs::file_size(folder + "b(1).gpl.out"), 772u);
    const Outcome<PaletteFile> back = readAnyPaletteFile(folder + "b(1).gpl.out");
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back->palette, Palette(distinct(2)));
    EXPECT_TRUE(reporter.messages.empty());
}
