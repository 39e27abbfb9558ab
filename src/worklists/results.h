#pragma once
// A finished result as every engine hands it over, and the rows already in
// the "after" list that the palette-name search scans. The desktop program
// turns each Result into a ResultList entry and a GenListView row; the batch
// tool writes it to a file.

#include <memory>
#include <string>
#include <vector>

#include "worklists/bitmap.h"
#include "worklists/image_format.h"

namespace kararisu {

// One row of the "after" list: caption, "パレット名" and "減色モード".
struct ResultRow {
    std::string fileName;
    std::string paletteName;
    std::string modeLabel;
};

struct Result {
    Bitmap bitmap;
    std::string path;
    std::string paletteName;
    std::string modeLabel;
    ImageFormat format = ImageFormat::Bmp;  // its source's: what it is saved as by default
    // The image it was reduced from, where the caller shares it (the
    // desktop program's targets); none for merges and images a run read.
    std::shared_ptr<const Bitmap> source{};
};

// Receives results one by one as they are finished, so a run stopped
// half-way keeps what it registered. The sink also appends the matching
// ResultRow to the rows it was given, so later names in the same run see it.
class ResultSink {
  public:
    virtual ~ResultSink() = default;
    virtual void add(Result result) = 0;
    virtual const std::vector<ResultRow>& rows() const = 0;
};

// A sink that only keeps the results and their rows (the batch tool, tests).
class CollectingSink : public ResultSink {
  public:
    explicit CollectingSink(std::vector<ResultRow> rows = {}) : rows_(std::move(rows)) {}
    void add(Result result) override;
    const std::vector<ResultRow>& rows() const override { return rows_; }
    std::vector<Result>& results() { return results_; }

  private:
    std::vector<ResultRow> rows_;
    std::vector<Result> results_;
};

// The part of a path after its last "/".
std::string fileNameOf(const std::string& path);
// A file name without its last four characters (".bmp", ".png", ".gpl").
std::string stemOf(const std::string& fileName);

enum class NameForm { Individual, Unification };  // stem(k) or stem(PGk)

// The palette name of a new result: the first candidate, k = 1, 2, ..., that
// no row carries with a different ModeLabel. Rows with the same name and the
// same ModeLabel are joined, not avoided.
std::string paletteNameFor(const std::vector<ResultRow>& rows, const std::string& stem,
                           NameForm form, const std::string& modeLabel);

}  // namespace kararisu
