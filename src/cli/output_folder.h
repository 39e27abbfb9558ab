#pragma once
// Results written into a folder as they are finished: each result's bitmap
// under its file name (in its source's format, or the one asked for, whose
// extension then replaces the other format's) and, when asked, its palette
// as "<palette name>.gpl" (or the extension of another palette format).
// An existing file is never replaced unless replacing is asked for, and a
// name written earlier in the same run is never replaced at all: two
// sources of one name would otherwise lose a result. "Never replaced" is
// decided by the step that creates the name, so a writer racing this one
// never has its file replaced either. Results of one unification share a
// palette file; two different palettes of one name are refused.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "palette/palette_formats.h"
#include "support/atomic_file.h"
#include "support/problem.h"
#include "worklists/results.h"

namespace kararisu {

enum class OutputFile { Image, Palette };

// A file the folder did not write, and why.
struct Refusal {
    OutputFile what;
    std::string path;
    Problem problem;
    // The file was there before the run, so replacing it can be asked for;
    // a name this run's own results took cannot be replaced at all.
    bool replaceable = false;
};

// Told about each file as it is written or refused.
class OutputObserver {
  public:
    virtual ~OutputObserver() = default;
    // The result's bitmap is at `path`.
    virtual void written(const Result& result, const std::string& path) = 0;
    virtual void notWritten(const Refusal& refusal) = 0;
};

struct OutputOptions {
    // Replace files that were there before the run: images, palette files.
    bool replace = false;
    bool replacePalettes = false;  // palette files only (merge's numbered images never)
    bool savePalettes = false;  // write each result's palette too
    PaletteFormat paletteFormat = PaletteFormat::Kararisu;  // the extension follows it
    // Where names are numbered: gives a result whose file name was taken
    // (by another program, between the numbering and the writing) the next
    // free name, from the rows that now include the taken one.
    std::function<void(Result&, const std::vector<ResultRow>&)> renumber = {};
    std::optional<ImageFormat> imageFormat = {};  // none: each result's own
};

class OutputFolder : public ResultSink {
  public:
    // The rows start with the names of the files already in the folder, so
    // numbered names made during the run avoid them.
    OutputFolder(std::string folder, OutputOptions options, OutputObserver& observer);

    void add(Result result) override;
    const std::vector<ResultRow>& rows() const override { return rows_; }
    // Some file was not written.
    bool failed() const { return failed_; }

  private:
    bool writeImage(Result& result, std::string& target);
    void writePalette(const Result& result);
    WriteMode writeMode(OutputFile what) const;
    bool refuse(OutputFile what, const std::string& path, const Problem& problem);
    // A name an earlier result of this run took.
    bool refuseTakenName(OutputFile what, const std::string& path, std::string why);

    std::string folder_;
    OutputOptions options_;
    OutputObserver& observer_;
    bool failed_ = false;
    std::vector<ResultRow> rows_;
    std::map<std::string, std::string> written_;  // path → the source whose result it holds
    std::map<std::string, std::vector<std::uint8_t>> palettes_;  // written: path → bytes
};

}  // namespace kararisu
