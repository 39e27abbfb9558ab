#pragma once
// What the batch tool's commands share: messages on standard error, the
// program's texts for rejected images, and a progress line.

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/output_folder.h"
#include "reduce/monitor.h"
#include "support/messages.h"
#include "worklists/bitmap.h"

namespace kararisu::cli {

// Prints every message to standard error as "caption: text" and remembers
// that something was reported. Questions are answered with `answer`.
class StderrReporter : public Reporter {
  public:
    explicit StderrReporter(Answer answer = Answer::No) : answer_(answer) {}
    Answer show(const Message& message) override;
    void beep(Beep) override {}
    bool reported() const { return reported_; }

  private:
    Answer answer_;
    bool reported_ = false;
};

// Reads a BMP or PNG file; on failure prints the program's text for it
// (with the reader's reason) to standard error and returns null. With
// `warnPartialAlpha`, a file whose pixels had partial transparency (which
// the program holds as transparent below alpha 128 and opaque above) gets
// one warning on standard error saying how many.
std::unique_ptr<Bitmap> loadImage(const std::string& path, bool warnPartialAlpha = false);

// Prints a line per written result to standard output (file name, palette
// name, mode label, bits per pixel, path written, tab-separated) and each
// file not written to standard error with its reason.
class ResultPrinter : public OutputObserver {
  public:
    // `existsHint` follows the reason for a file that exists.
    explicit ResultPrinter(std::string existsHint = {}) : existsHint_(std::move(existsHint)) {}
    void written(const Result& result, const std::string& path) override;
    void notWritten(OutputFile what, const std::string& path, const Problem& problem) override;

  private:
    std::string existsHint_;
};

// Text for a terminal: control bytes (ESC, BEL, LF, ...) escaped as "\x1b",
// so a label can neither drive the terminal nor break a line in two.
std::string printable(const std::string& text);

// "OUT: ファイルが作成できません: パレットの保存に失敗しました (reason)".
std::string paletteSaveFailureText(const std::string& path, const Problem& problem);

// The monitor's title, number, name and step, and a bar, on one line of
// standard error, redrawn in place.
class TerminalMonitor : public RunMonitor {
  public:
    ~TerminalMonitor() override;
    void setTitle(const std::string& t) override { title_ = t, draw(); }
    void setNumber(const std::string& t) override { number_ = t, draw(); }
    void setName(const std::string& t) override { name_ = t, draw(); }
    void setStep(const std::string& t) override { step_ = t, draw(); }
    void setPosition(int p) override { position_ = p, draw(); }
    void show() override { shown_ = true, draw(); }
    void hide() override;
    void processEvents() override {}

  private:
    void draw();
    std::string title_, number_, name_, step_;
    int position_ = 0;
    bool shown_ = false;
    bool drawn_ = false;
};

// The common start of a command that takes files: no arguments print the
// help to standard error (status 2), --help prints it to standard output
// (status 0); otherwise nothing, and the command goes on.
std::optional<int> helpRequested(const std::vector<std::string>& args, const char* help);

// A help text with "{palette folder}" replaced by where the desktop program
// keeps its palette files, so both tools name the same folder.
std::string withPaletteFolder(std::string help);

// True when standard error is a terminal: progress is then on by default.
bool stderrIsTerminal();

// Whether the path names a folder.
bool isFolder(const std::string& path);

}  // namespace kararisu::cli
