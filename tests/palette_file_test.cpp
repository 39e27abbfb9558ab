// Palette files: the exact bytes written, the Shift-JIS label with its
// padding and cut, labels kept byte for byte, the reader's refusals, and
// saves that fail without harming the file they would replace.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "palette/palette_commands.h"
#include "palette/palette_file.h"
#include "palette/shift_jis.h"
#include "support/scoped_env.h"

using namespace kararisu;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct TempDir {
    fs::path path;
    TempDir() {
        std::string t = (fs::temp_directory_path() / "kararisu-gpl-XXXXXX").string();
        path = ::mkdtemp(t.data());
    }
    ~TempDir() { fs::remove_all(path); }
    std::string file(const std::string& name) const { return (path / name).string(); }
};

Bytes readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeAll(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes labelBytes(const PaletteLabel& l) {
    return Bytes(l.bytes.begin(), l.bytes.end());
}

// A file built by hand: label bytes, depth code, version, count, entries, tail.
Bytes handFile(Bytes label, std::int32_t depth, std::uint16_t count, std::size_t entries,
               std::size_t tail = 4) {
    label.resize(12, 0);
    Bytes b = label;
    for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(std::uint32_t(depth) >> (8 * i)));
    b.insert(b.end(), {0x00, 0x03, std::uint8_t(count), std::uint8_t(count >> 8)});
    for (std::size_t i = 0; i < entries; ++i)
        b.insert(b.end(), {std::uint8_t(i), std::uint8_t(i + 1), std::uint8_t(i + 2), 0});
    b.insert(b.end(), tail, 0);
    return b;
}

}  // namespace

TEST(PaletteFileBytes, TwoColourFileByteForByte) {
    const Palette p({{0x10, 0x20, 0x30}, {0xff, 0xfe, 0xfd}});
    const Bytes expected = {// "ノーマル2" = 83 6D 81 5B 83 7D 83 8B 32, two spaces, 0x00
                            0x83, 0x6D, 0x81, 0x5B, 0x83, 0x7D, 0x83, 0x8B,
                            0x32, 0x20, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00,  // DepthCode 0
                            0x00, 0x03, 0x02, 0x00,  // version 0x0300, count 2
                            0x10, 0x20, 0x30, 0x00, 0xff, 0xfe, 0xfd, 0x00,  // entries, flags 0
                            0x00, 0x00, 0x00, 0x00};                         // reserved
    EXPECT_EQ(encodePaletteFile(PaletteLabel::fromText("ノーマル2"), 0, p), expected);
}

TEST(PaletteFileBytes, SixteenColourFileHasItsHeaderAndSize) {
    const Bytes b =
        encodePaletteFile(PaletteLabel::fromText("ノーマル16"), 1, Palette({{1, 2, 3}}));
    ASSERT_EQ(b.size(), 88u);
    EXPECT_EQ(Bytes(b.begin() + 12, b.begin() + 16), (Bytes{0x01, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Bytes(b.begin() + 16, b.begin() + 20), (Bytes{0x00, 0x03, 0x10, 0x00}));
    EXPECT_EQ(Bytes(b.begin() + 20, b.begin() + 24), (Bytes{1, 2, 3, 0}));
    // Entries the palette lacks are written black.
    EXPECT_EQ(Bytes(b.begin() + 24, b.end()), Bytes(64, 0));
}

TEST(PaletteFileBytes, ElevenByteLabelFillsTheFieldAnd256EntriesFollow) {
    const Bytes b = encodePaletteFile(PaletteLabel::fromText("ノーマル256"), 2, Palette());
    ASSERT_EQ(b.size(), 1048u);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 12),
              (Bytes{0x83, 0x6D, 0x81, 0x5B, 0x83, 0x7D, 0x83, 0x8B, '2', '5', '6', 0x00}));
    EXPECT_EQ(Bytes(b.begin() + 16, b.begin() + 20), (Bytes{0x00, 0x03, 0x00, 0x01}));
}

TEST(PaletteFileLabel, ShortLabelIsPaddedWithSpaces) {
    // グレー16: 83 4F 83 8C 81 5B 31 36, then three spaces.
    EXPECT_EQ(labelBytes(PaletteLabel::fromText("グレー16")),
              (Bytes{0x83, 0x4F, 0x83, 0x8C, 0x81, 0x5B, '1', '6', ' ', ' ', ' '}));
    EXPECT_EQ(labelBytes(PaletteLabel::fromText("")), Bytes(11, ' '));
}

TEST(PaletteFileLabel, LongLabelIsCutAfterElevenBytesEvenInsideACharacter) {
    // あいうえおか = 82A0 82A2 82A4 82A6 82A8 82A9: the cut keeps the lead byte of か.
    EXPECT_EQ(labelBytes(PaletteLabel::fromText("あいうえおか")),
              (Bytes{0x82, 0xA0, 0x82, 0xA2, 0x82, 0xA4, 0x82, 0xA6, 0x82, 0xA8, 0x82}));
    EXPECT_EQ(labelBytes(PaletteLabel::fromText("abcdefghijklmnop")),
              (Bytes{'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k'}));
    // The half character reads back safely and saves back the same.
    const PaletteLabel cut = PaletteLabel::fromText("あいうえおか");
    EXPECT_EQ(cut.display(), "あいうえお\xEF\xBF\xBD");
    EXPECT_EQ(PaletteLabel::fromText(cut.text()), cut);
}

TEST(PaletteFileLabel, CharactersWithoutShiftJisBecomeQuestionMarks) {
    EXPECT_EQ(labelBytes(PaletteLabel::fromText("a😀b")),
              (Bytes{'a', '?', 'b', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '}));
    EXPECT_EQ(utf8ToShiftJis("x\xC3(y"), "x?(y");  // malformed UTF-8
}

TEST(PaletteFileLabel, AnyElevenBytesSurviveReadingAndSavingAgain) {
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; ++round) {
        PaletteLabel l;
        for (auto& b : l.bytes) {
            // Mostly Shift-JIS lead and trail ranges, so real characters occur.
            const unsigned pick = rng() % 4;
            b = std::uint8_t(pick == 0   ? 0x81 + rng() % 0x1F
                             : pick == 1 ? 0x40 + rng() % 0xBD
                                         : rng());
        }
        const std::string text = l.text();
        ASSERT_EQ(PaletteLabel::fromText(text), l) << round;
        EXPECT_FALSE(l.display().empty());
    }
}

TEST(PaletteFileLabel, LabelsReadFromAFileKeepTheirSpaces) {
    const PaletteLabel l = PaletteLabel::fromText("グレー16");
    EXPECT_EQ(l.text(), "グレー16   ");
    EXPECT_EQ(l.display(), "グレー16   ");
    EXPECT_EQ(shiftJisToUtf8("\x83\x4A\xFF"), "カ\xEF\xBF\xBD");
}

TEST(PaletteFileRead, RoundTripOfEveryDepth) {
    for (int depth : {0, 1, 2}) {
        std::vector<Rgb> entries;
        for (std::size_t i = 0; i < entriesForDepthCode(depth); ++i)
            entries.push_back({std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 7)});
        const PaletteLabel label =
            PaletteLabel::fromText("カスタム" + std::to_string(entries.size()));
        const Outcome<PaletteFile> r =
            decodePaletteFile(encodePaletteFile(label, depth, Palette(entries)));
        ASSERT_TRUE(r.ok()) << depth;
        EXPECT_EQ(r->label, label);
        EXPECT_EQ(r->depthCode, depth);
        EXPECT_EQ(r->palette, Palette(entries));
    }
}

TEST(PaletteFileRead, UnknownDepthCodeHoldsOneEntry) {
    const Outcome<PaletteFile> r = decodePaletteFile(handFile({'x'}, 5, 1, 1));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->depthCode, 5);
    EXPECT_EQ(r->palette, Palette({{0, 1, 2}}));
    // A count of 2 would need entries beyond the one read.
    EXPECT_FALSE(decodePaletteFile(handFile({'x'}, 5, 2, 2)).ok());
    EXPECT_FALSE(decodePaletteFile(handFile({'x'}, -1, 2, 2)).ok());
}

TEST(PaletteFileRead, OnlyTheAnnouncedBytesAreRead) {
    // Garbage after 24 + 4n bytes (the old tail of a larger file) is ignored.
    Bytes b = handFile({'a'}, 0, 2, 2);
    b.insert(b.end(), 1000, 0xEE);
    const Outcome<PaletteFile> r = decodePaletteFile(b);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->palette.size(), 2u);
    // The reserved bytes need not be there; the entries must.
    EXPECT_TRUE(decodePaletteFile(handFile({'a'}, 0, 2, 2, 0)).ok());
    // The label's 12th byte is not part of it; all 11 bytes are, whatever they hold.
    Bytes label(12, 0xFF);
    const Outcome<PaletteFile> odd = decodePaletteFile(handFile(label, 0, 2, 2));
    ASSERT_TRUE(odd.ok());
    EXPECT_EQ(labelBytes(odd->label), Bytes(11, 0xFF));
}

TEST(PaletteFileRead, FewerEntriesThanTheDepthAreKeptAsCounted) {
    const Outcome<PaletteFile> r = decodePaletteFile(handFile({'a'}, 1, 3, 16));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->palette.size(), 3u);
    EXPECT_EQ(r->depthCode, 1);
}

TEST(PaletteFileRead, InvalidFilesAreRefusedWithAReason) {
    const Message expected{
        "パレットが作成できません！！\n有効なパレットデータではない可能性があります。",
        "警告：パレットが作成できません", MessageIcon::Stop, MessageButtons::Ok};
    EXPECT_EQ(paletteNotCreatedMessage(), expected);
    Bytes badVersion = handFile({'a'}, 1, 16, 16);
    badVersion[17] = 0x04;
    Bytes short1 = handFile({'a'}, 0, 2, 2, 0);
    short1.pop_back();
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"count 0", handFile({'a'}, 1, 0, 16)},
        {"count above n", handFile({'a'}, 1, 17, 17)},
        {"count above 256", handFile({'a'}, 2, 300, 300)},
        {"entries missing", handFile({'a'}, 2, 256, 255, 3)},
        {"one byte short", short1},
        {"header only", Bytes(16, 0)},
        {"empty", Bytes()},
        {"bad version", badVersion},
    };
    for (auto& [name, bytes] : cases) {
        const Outcome<PaletteFile> r = decodePaletteFile(bytes);
        ASSERT_FALSE(r) << name;
        EXPECT_EQ(r.problem().kind, ProblemKind::PaletteRefused) << name;
        EXPECT_FALSE(r.problem().reason.empty()) << name;
    }
    EXPECT_EQ(readPaletteFile("/nonexistent/x.gpl").problem().kind, ProblemKind::NotFound);
    TempDir dir;
    EXPECT_EQ(readPaletteFile(dir.path.string()).problem().kind, ProblemKind::IsFolder);
}

TEST(PaletteFileSave, WritesTheFileAndReadsItBack) {
    TempDir dir;
    const PaletteLabel label = PaletteLabel::fromText("カスタム16");
    const Palette p({{9, 8, 7}, {6, 5, 4}});
    EXPECT_TRUE(savePaletteFile(dir.file("a.gpl"), label, 1, p));
    EXPECT_EQ(readAll(dir.file("a.gpl")), encodePaletteFile(label, 1, p));
    const Outcome<PaletteFile> r = readPaletteFile(dir.file("a.gpl"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->palette.size(), 16u);
    EXPECT_EQ(r->palette.at(1), (Rgb{6, 5, 4}));
}

TEST(PaletteFileSave, SavingOverALargerFileLeavesNoOldTail) {
    TempDir dir;
    writeAll(dir.file("a.gpl"), Bytes(5000, 0xAB));
    EXPECT_TRUE(
        savePaletteFile(dir.file("a.gpl"), PaletteLabel::fromText("ノーマル2"), 0, Palette()));
    EXPECT_EQ(readAll(dir.file("a.gpl")).size(), 32u);
}

TEST(PaletteFileSave, FailedWriteIsReportedAndTheOldFileKept) {
    TempDir dir;
    const Bytes old = encodePaletteFile(PaletteLabel::fromText("old"), 0, Palette());
    writeAll(dir.file("a.gpl"), old);
    // Let writes beyond 100 bytes fail the way a full disk does.
    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const Outcome<void> done =
        savePaletteFile(dir.file("a.gpl"), PaletteLabel::fromText("new"), 2, Palette());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    ASSERT_FALSE(done);
    EXPECT_EQ(done.problem().kind, ProblemKind::IoError);
    EXPECT_EQ(paletteSaveFailedMessage(),
              (Message{"パレットの保存に失敗しました", "ファイルが作成できません",
                       MessageIcon::Exclamation, MessageButtons::Ok}));
    EXPECT_EQ(readAll(dir.file("a.gpl")), old);
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path)) ++entries;
    EXPECT_EQ(entries, 1);  // no half-written temporary left behind
}

TEST(PaletteFileSave, UnopenableTargetIsReported) {
    const Outcome<void> done = savePaletteFile("/nonexistent/x.gpl", PaletteLabel{}, 0, Palette());
    ASSERT_FALSE(done);
    EXPECT_EQ(done.problem().kind, ProblemKind::NotFound);
}

TEST(PaletteFolder, InTheUsersDataFolderAndCreatedWhenMissing) {
    {
        test::ScopedEnv xdg("XDG_DATA_HOME", "/srv/data/");
        EXPECT_EQ(paletteFolder(), "/srv/data/kararisu/Palette/");
        EXPECT_EQ(defaultPaletteSavePath("photo(1)"), "/srv/data/kararisu/Palette/photo(1).gpl");
    }
    {
        test::ScopedEnv home("HOME", "/home/u");
        test::ScopedEnv unset("XDG_DATA_HOME", nullptr);
        EXPECT_EQ(paletteFolder(), "/home/u/.local/share/kararisu/Palette/");
        test::ScopedEnv relative("XDG_DATA_HOME", "rel/data");  // not a valid base folder
        EXPECT_EQ(paletteFolder(), "/home/u/.local/share/kararisu/Palette/");
    }
    TempDir dir;
    {
        // Neither the data folder nor the program's folder exist yet.
        test::ScopedEnv xdg("XDG_DATA_HOME", (dir.path / "data").c_str());
        EXPECT_EQ(ensurePaletteFolder(), dir.file("data/kararisu/Palette/"));
        EXPECT_TRUE(fs::is_directory(dir.path / "data/kararisu/Palette"));
        EXPECT_EQ(fs::status(dir.path / "data/kararisu").permissions() & fs::perms::all,
                  fs::perms::owner_all);
        EXPECT_NO_THROW(ensurePaletteFolder());  // already there
    }
    test::ScopedEnv blocked("XDG_DATA_HOME", dir.file("file-in-the-way").c_str());
    writeAll(dir.file("file-in-the-way"), Bytes{1});
    EXPECT_EQ(ensurePaletteFolder(), dir.file("file-in-the-way/kararisu/Palette/"));  // ignored
}

TEST(PaletteFolder, SourcePaletteLabels) {
    EXPECT_EQ(sourcePaletteLabel(0), "ノーマル2");
    EXPECT_EQ(sourcePaletteLabel(1), "ノーマル16");
    EXPECT_EQ(sourcePaletteLabel(2), "ノーマル256");
}

namespace {

struct RecordingReporter : Reporter {
    std::vector<Message> shown;
    Answer show(const Message& m) override {
        shown.push_back(m);
        return Answer::Ok;
    }
    void beep(Beep) override {}
};

}  // namespace

TEST(PaletteSaveCommand, NothingSelectedDoesNothingAtAll) {
    TempDir dir;
    RecordingReporter reporter;
    int asked = 0;
    test::ScopedEnv xdg("XDG_DATA_HOME", dir.path.c_str());
    EXPECT_EQ(savePalettes(
                  {},
                  [&](const std::string&) -> std::optional<std::string> {
                      ++asked;
                      return std::nullopt;
                  },
                  reporter),
              0);
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(fs::exists(dir.path / "kararisu"));
}

TEST(PaletteSaveCommand, ACancelSkipsOneRowAFailureEndsTheCommand) {
    TempDir dir;
    RecordingReporter reporter;
    const std::vector<PaletteToSave> rows = {{"a(1)", "ノーマル16", 1, Palette({{1, 2, 3}})},
                                             {"b(1)", "ノーマル2", 0, Palette()},
                                             {"c(PG1)", "グレー16", 1, Palette()},
                                             {"d(1)", "ノーマル2", 0, Palette()},
                                             {"e(1)", "ノーマル2", 0, Palette()}};
    std::vector<std::string> proposed;
    auto choose = [&](const std::string& path) -> std::optional<std::string> {
        proposed.push_back(path);
        if (proposed.size() == 2) return std::nullopt;                       // cancelled
        if (proposed.size() == 4) return std::string("/nonexistent/x.gpl");  // cannot be made
        return path;
    };
    test::ScopedEnv xdg("XDG_DATA_HOME", dir.path.c_str());
    EXPECT_EQ(savePalettes(rows, choose, reporter), 2);
    const std::string folder = dir.path.string() + "/kararisu/Palette/";
    EXPECT_EQ(proposed, (std::vector<std::string>{folder + "a(1).gpl", folder + "b(1).gpl",
                                                  folder + "c(PG1).gpl", folder + "d(1).gpl"}));
    EXPECT_EQ(reporter.shown, std::vector<Message>{paletteSaveFailedMessage()});
    EXPECT_EQ(readAll(folder + "a(1).gpl"),
              encodePaletteFile(PaletteLabel::fromText("ノーマル16"), 1, Palette({{1, 2, 3}})));
    EXPECT_FALSE(fs::exists(folder + "b(1).gpl"));
    EXPECT_TRUE(fs::exists(folder + "c(PG1).gpl"));
    EXPECT_FALSE(fs::exists(folder + "e(1).gpl"));
}

TEST(PaletteReadOperation, RefusedFilesAreReportedAndSkipped) {
    TempDir dir;
    writeAll(dir.file("one.gpl"), encodePaletteFile(PaletteLabel::fromText("x"), 0, Palette()));
    writeAll(dir.file("bad.gpl"), Bytes(10, 0));
    writeAll(dir.file("two.GPL"), encodePaletteFile(PaletteLabel::fromText("y"), 1, Palette()));
    RecordingReporter reporter;
    const std::vector<std::string> paths = {dir.file("one.gpl"), dir.file("bad.gpl"),
                                            dir.file("missing.gpl"), dir.file("two.GPL")};
    const std::vector<LoadedPalette> loaded = readPalettes(paths, reporter);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0].displayName, "one.gpl");
    EXPECT_EQ(loaded[1].displayName, "two.GPL");
    EXPECT_EQ(loaded[1].file.depthCode, 1);
    EXPECT_EQ(reporter.shown,
              (std::vector<Message>{paletteNotCreatedMessage(), paletteNotCreatedMessage()}));
}
