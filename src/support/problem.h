#pragma once
// Why something could not be done, as the core reports it: a kind from a
// fixed list, which a form can turn into its own text from one table, and an
// English reason a person can act on. Functions that can fail return an
// Outcome, which holds either their value or a Problem; only the code where a
// command ends turns a Problem into an exception or a message.

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

namespace kararisu {

enum class ProblemKind {
    // The file itself.
    NotFound,
    PermissionDenied,
    IsFolder,
    NotRegularFile,
    NoSpace,
    FileExists,
    CannotOpen,  // any other reason the file could not be opened
    IoError,     // reading or writing failed part way
    OutOfMemory,
    // The bytes of a BMP file.
    BmpTruncated,
    BmpBadSignature,
    BmpBadHeaderSize,
    BmpBadPlanes,
    BmpBadBitCount,
    BmpUnsupportedCompression,
    BmpEmbeddedImage,  // JPEG or PNG inside a BMP
    BmpBadDimensions,
    BmpTooLarge,
    BmpBadPaletteSize,
    BmpBadBitFields,
    BmpBadPixelOffset,
    BmpBadRle,
    // The bytes of a PNG file.
    PngTruncated,     // the file ends before its image data does
    PngBadHeader,     // IHDR: size, bit depth, colour type or methods
    PngBadChunk,      // a chunk's length, checksum, type, order or contents
    PngBadImageData,  // the compressed pixels: zlib stream, filters, too few
    PngTooLarge,
    PngCannotWrite,  // a picture a PNG file cannot hold (no pixels)
    // Neither of the image formats the program reads.
    NotAnImage,
    // Palettes.
    PaletteRefused,  // not a valid palette file
    NoPalette,       // an image without a colour table where a palette is wanted
    // A reduction or colour count whose work area was refused: it stops at
    // once, after the memory message.
    WorkAreaRefused,
};

struct Problem {
    ProblemKind kind;
    std::string reason;  // English, one sentence without a final stop

    // The system's reason for an errno value, with its kind.
    static Problem fromErrno(int err);
    static Problem outOfMemory(std::string reason = "not enough memory");
    // The file could not be read at all (as opposed to holding bad data).
    bool cannotRead() const;
    friend bool operator==(const Problem&, const Problem&) = default;
};

// The kind's name as written in the code ("BmpTruncated"), for files that
// record which problem an input is expected to give.
const char* kindName(ProblemKind kind);

// "path: reason": a problem with the file it concerns, as the batch tool
// prints it.
std::string describe(const std::string& path, const Problem& problem);

// Thrown only where a command ends and a Problem must unwind it.
class ProblemError : public std::runtime_error {
  public:
    ProblemError(Problem problem, const std::string& path)
        : std::runtime_error(describe(path, problem)), problem_(std::move(problem)), path_(path) {}
    const Problem& problem() const { return problem_; }
    const std::string& path() const { return path_; }

  private:
    Problem problem_;
    std::string path_;
};

// Either a T or the Problem that kept it from being made.
template <typename T>
class [[nodiscard]] Outcome {
  public:
    Outcome(T value) : v_(std::in_place_index<0>, std::move(value)) {}
    Outcome(Problem problem) : v_(std::in_place_index<1>, std::move(problem)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& operator*() { return std::get<0>(v_); }
    const T& operator*() const { return std::get<0>(v_); }
    T* operator->() { return &std::get<0>(v_); }
    const T* operator->() const { return &std::get<0>(v_); }
    const Problem& problem() const { return std::get<1>(v_); }
    // Whether it holds this value.
    friend bool operator==(const Outcome& outcome, const T& value) {
        return outcome.ok() && *outcome == value;
    }
    // The value, or a ProblemError naming `path`: for the end of a command.
    T take(const std::string& path) && {
        if (!ok()) throw ProblemError(problem(), path);
        return std::move(std::get<0>(v_));
    }

  private:
    std::variant<T, Problem> v_;
};

// The outcome of a step that makes nothing.
template <>
class [[nodiscard]] Outcome<void> {
  public:
    Outcome() = default;
    Outcome(Problem problem) : problem_(std::move(problem)) {}
    bool ok() const { return !problem_; }
    explicit operator bool() const { return ok(); }
    const Problem& problem() const { return *problem_; }
    void take(const std::string& path) && {
        if (problem_) throw ProblemError(*problem_, path);
    }

  private:
    std::optional<Problem> problem_;
};

}  // namespace kararisu
