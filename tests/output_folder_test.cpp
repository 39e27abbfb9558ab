// Results written into a folder: the never-replace rule, shared palettes,
// numbering past the folder's files, and the reasons for files not written.
#include <gtest/gtest.h>

#include <fstream>

#include "cli/output_folder.h"
#include "palette/palette_input.h"
#include "support/problem.h"
#include "support/temp_folder.h"
#include "worklists/bmp/bmp.h"

using namespace kararisu;
using kararisu::test::TempFolder;

namespace {

struct Recorder : OutputObserver {
    std::vector<std::string> paths, refused;
    std::vector<Problem> problems;
    void written(const Result&, const std::string& path) override { paths.push_back(path); }
    std::vector<bool> replaceable;
    void notWritten(const Refusal& r) override {
        refused.push_back(r.path);
        problems.push_back(r.problem);
        replaceable.push_back(r.replaceable);
    }
};

Result result(const std::string& name, const std::string& paletteName) {
    Bitmap b(2, 2, PixelFormat::Bpp8);
    b.setPaletteEntries(Palette({{1, 2, 3}, {4, 5, 6}}));
    return Result{std::move(b), "/src/" + name, paletteName, "ノーマル256"};
}

}  // namespace

TEST(OutputFolder, NeverReplacesAFileUnlessAskedAndNeverOneOfItsOwn) {
    TempFolder t;
    { std::ofstream(t / "old.bmp") << "keep"; }
    Recorder seen;
    OutputFolder out(t.path.string(), {}, seen);
    out.add(result("old.bmp", "old(1)"));
    out.add(result("new.bmp", "new(1)"));
    ASSERT_EQ(seen.refused, std::vector<std::string>{t / "old.bmp"});
    EXPECT_EQ(seen.problems[0].kind, ProblemKind::FileExists);
    EXPECT_TRUE(seen.replaceable[0]);
    EXPECT_EQ(seen.paths, std::vector<std::string>{t / "new.bmp"});
    EXPECT_TRUE(out.failed());
    EXPECT_TRUE(loadBmp(t / "new.bmp"));

    Recorder forced;
    OutputFolder replacing(t.path.string(), {.replace = true}, forced);
    replacing.add(result("old.bmp", "old(1)"));
    Result second = result("old.bmp", "old(2)");  // a second source of the same name
    second.path = "/other/old.bmp";
    replacing.add(std::move(second));
    EXPECT_EQ(forced.paths, std::vector<std::string>{t / "old.bmp"});
    ASSERT_EQ(forced.refused.size(), 1u);
    // Which one is kept, and no word of replacing, which cannot help.
    EXPECT_EQ(forced.problems[0].reason,
              "written already by this run with the result of /src/old.bmp, which is kept; the "
              "result of /other/old.bmp is not written");
    EXPECT_FALSE(forced.replaceable[0]);
}

TEST(OutputFolder, ResultsOfOnePaletteShareOnePaletteFile) {
    TempFolder t;
    Recorder seen;
    OutputFolder out(t.path.string(), {.savePalettes = true}, seen);
    out.add(result("a.bmp", "a(PG1)"));
    out.add(result("b.bmp", "a(PG1)"));
    EXPECT_FALSE(out.failed());
    EXPECT_TRUE(seen.refused.empty());
    EXPECT_TRUE(readPaletteFile(t / "a(PG1).gpl"));
    EXPECT_EQ(t.entries(), 3);
}

TEST(OutputFolder, RowsStartWithTheFolderAndGrowWithEachResult) {
    TempFolder t;
    { std::ofstream(t / "NewPalette(1).bmp") << "x"; }
    Recorder seen;
    OutputFolder out(t.path.string() + "/", {}, seen);
    ASSERT_EQ(out.rows().size(), 1u);
    EXPECT_EQ(out.rows()[0].fileName, "NewPalette(1).bmp");
    out.add(result("NewPalette(2).bmp", "NewPalette(2)"));
    ASSERT_EQ(out.rows().size(), 2u);
    EXPECT_EQ(out.rows()[1].paletteName, "NewPalette(2)");
    EXPECT_EQ(seen.paths, std::vector<std::string>{t / "NewPalette(2).bmp"});
}

TEST(OutputFolder, AFailedWriteGivesTheSystemsReason) {
    Recorder seen;
    OutputFolder out("/nonexistent/folder", {}, seen);
    out.add(result("a.bmp", "a(1)"));
    ASSERT_EQ(seen.problems.size(), 1u);
    EXPECT_EQ(seen.problems[0].kind, ProblemKind::NotFound);
    EXPECT_EQ(describe(seen.refused[0], seen.problems[0]),
              "/nonexistent/folder/a.bmp: No such file or directory");
}

TEST(Problem, SystemErrorsHaveTheirKinds) {
    EXPECT_EQ(Problem::fromErrno(ENOENT).kind, ProblemKind::NotFound);
    EXPECT_EQ(Problem::fromErrno(EACCES).kind, ProblemKind::PermissionDenied);
    EXPECT_EQ(Problem::fromErrno(EISDIR).kind, ProblemKind::IsFolder);
    EXPECT_EQ(Problem::fromErrno(ENOSPC).kind, ProblemKind::NoSpace);
    EXPECT_EQ(Problem::fromErrno(EEXIST).kind, ProblemKind::FileExists);
    EXPECT_EQ(Problem::fromErrno(EIO).kind, ProblemKind::IoError);
    EXPECT_EQ(Problem::fromErrno(ENOENT).reason, "No such file or directory");
    EXPECT_TRUE(Problem::fromErrno(EIO).cannotRead());
    EXPECT_FALSE((Problem{ProblemKind::BmpTruncated, "x"}).cannotRead());
}

TEST(Problem, TakingAMissingValueThrowsWithThePath) {
    Outcome<int> missing = Problem{ProblemKind::NotFound, "gone"};
    try {
        std::move(missing).take("a.bmp");
        FAIL();
    } catch (const ProblemError& e) {
        EXPECT_STREQ(e.what(), "a.bmp: gone");
        EXPECT_EQ(e.problem().kind, ProblemKind::NotFound);
    }
    EXPECT_EQ(Outcome<int>(7).take("a.bmp"), 7);
}

TEST(PaletteInput, EntriesKeepAFilesLabelAsStoredAndNameAnImagesOwn) {
    PaletteInput file;
    file.label = PaletteLabel::fromText("web");
    file.labelText = "web";
    file.depthCode = 1;
    file.palette = Palette({{1, 2, 3}});
    const PaletteEntry fromFile = paletteEntryOf(file);
    EXPECT_EQ(fromFile.label, "web        ");  // filler spaces kept
    EXPECT_EQ(fromFile.origin, PaletteOrigin::PaletteFile);
    EXPECT_EQ(fromFile.depth, 1);
    EXPECT_EQ(*fromFile.palette, file.palette);

    PaletteInput image = file;
    image.fromBmp = true;
    image.labelText = "ノーマル16";
    const PaletteEntry fromImage = paletteEntryOf(image);
    EXPECT_EQ(fromImage.label, "ノーマル16");
    EXPECT_EQ(fromImage.origin, PaletteOrigin::SourceImage);
}
