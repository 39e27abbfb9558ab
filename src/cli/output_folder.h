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
#include <set>
#include <string>
#include <vector>

#include "palette/palette_formats.h"
#include "support/problem.h"
#include "worklists/results.h"

namespace kararisu {

enum class OutputFile { Image, Palette };

// Told about each file as it is written or refused.
class OutputObserver {
  public:
    virtual ~OutputObserver() = default;
    // The result's bitmap is at `path`.
    virtual void written(const Result& result, const std::string& path) = 0;
    virtual void notWritten(OutputFile what, const std::string& path, const Problem& problem) = 0;
};

struct OutputOptions {
    bool replace = false;       // replace files that were there before the run
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
    bool refuse(OutputFile what, const std::string& path, const Problem& problem);

    std::string folder_;
    OutputOptions options_;
    OutputObserver& observer_;
    bool failed_ = false;
    std::vector<ResultRow> rows_;
    std::set<std::string> written_;
    std::map<std::string, std::vector<std::uint8_t>> palettes_;  // written: path → bytes
};

}  // namespace kararisu
