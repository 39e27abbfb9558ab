#pragma once
// What the batch tool's commands share: the start of every command, the
// program's texts for rejected images, the printers of results and
// messages, and the progress line.

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/output_folder.h"
#include "reduce/monitor.h"
#include "support/messages.h"
#include "worklists/bitmap.h"
#include "worklists/image_file.h"

namespace kararisu::cli {

// A command's help: the text --help prints, whose first lines up to the
// first blank one are the usage lines a usage error repeats.
struct CommandHelp {
    std::string text;
};

// Reads a command's arguments into `parsed`. Returns the exit status when
// the command is done already: --help printed (0) or a usage error (2);
// otherwise sets the verbosity from -q / -v and returns nothing.
std::optional<int> startCommand(Console& console, const std::vector<std::string>& args,
                                std::span<const OptionSpec* const> options, const CommandHelp& help,
                                Arguments& parsed);

// Prints "kararisu-cli COMMAND: why", the usage lines and where the help is;
// returns 2.
int usageError(Console& console, const CommandHelp& help, std::string_view why);

// Prints every message to standard error as "caption: text" and remembers
// that something was reported. Questions are answered with `answer`.
class StderrReporter : public Reporter {
  public:
    explicit StderrReporter(Console& console, Answer answer = Answer::No)
        : console_(console), answer_(answer) {}
    Answer show(const Message& message) override;
    void beep(Beep) override {}
    bool reported() const { return reported_; }

  private:
    Console& console_;
    Answer answer_;
    bool reported_ = false;
};

// "-": standard input, read once.
inline constexpr const char* kStandardStream = "-";

// Standard input as a BMP or PNG file, read no further than the picture
// needs. Refused where it is a terminal (nobody types a bitmap) or was read
// before.
Outcome<ImageFile> readStandardInput();
// A BMP or PNG file, or standard input for "-".
Outcome<ImageFile> readImageArgument(const std::string& path);

// "FILE: warning: N pixels were partly transparent; ...": what the commands
// that lose partial alpha say about a file that had it.
std::string partialAlphaWarning(const std::string& path, std::uint64_t pixels);

// Reads a BMP or PNG file, or standard input for "-"; on failure prints the
// program's text for it (with the reader's reason) and returns null. With
// `warnPartialAlpha`, a file whose pixels had partial transparency (held as
// transparent below alpha 128 and opaque above) gets one warning saying how
// many. `format`, when given, gets the file's format.
std::unique_ptr<Bitmap> loadImage(Console& console, const std::string& path,
                                  bool warnPartialAlpha = false, ImageFormat* format = nullptr);

// Prints a line per written result to standard output (file name, palette
// name, mode label, bits per pixel, path written, tab-separated; or one
// JSON object) and each file not written to standard error with its reason.
class ResultPrinter : public OutputObserver {
  public:
    // `existsHint` follows the reason for a file that was there before the
    // run (" (use --force)"), where replacing it can be asked for.
    ResultPrinter(Console& console, bool json, std::string existsHint = {})
        : console_(console), json_(json), existsHint_(std::move(existsHint)) {}
    void written(const Result& result, const std::string& path) override;
    void notWritten(const Refusal& refusal) override;

  private:
    Console& console_;
    bool json_;
    std::string existsHint_;
};

// "OUT: ファイルが作成できません: パレットの保存に失敗しました (reason)".
std::string paletteSaveFailureText(const std::string& path, const Problem& problem);

// The monitor's title, number, name and step, and a bar, as the progress
// line of the console.
class TerminalMonitor : public RunMonitor {
  public:
    explicit TerminalMonitor(Console& console) : console_(console) {}
    void setTitle(const std::string& t) override { title_ = t, changed(true); }
    void setNumber(const std::string& t) override { number_ = t, changed(true); }
    void setName(const std::string& t) override { name_ = t, changed(true); }
    void setStep(const std::string& t) override { step_ = t, changed(true); }
    void setPosition(int p) override { position_ = p, changed(false); }
    void show() override { shown_ = true, changed(true); }
    void hide() override;
    void processEvents() override {}

  private:
    void changed(bool text);
    Console& console_;
    std::string title_, number_, name_, step_;
    int position_ = 0;
    bool shown_ = false;
};

// A help text with "{palette folder}" replaced by where the desktop program
// keeps its palette files, so both tools name the same folder.
std::string withPaletteFolder(std::string help);

// Makes a results folder and its parents when missing; false, after saying
// why, when it cannot be had (a file in the way, no permission).
bool ensureFolder(Console& console, const std::string& folder);

// Standard output as a file's destination ("-"): refused on a terminal,
// where bytes of a file would garble it. True when the bytes may go there.
bool mayWriteFileTo(Console& console);

// Writes a file's bytes, or a bitmap as a BMP or PNG file, to standard
// output for "-" or else to `path`: replacing a file only when asked, and
// otherwise saying "(use --force)". Prints the reason when that fails.
enum class Replace { No, Yes };
bool writeFileOut(Console& console, const std::string& path, std::span<const std::uint8_t> bytes,
                  Replace replace);
bool writeImageOut(Console& console, const std::string& path, const Bitmap& bitmap,
                   Replace replace, ImageFormat format = ImageFormat::Bmp);

}  // namespace kararisu::cli
