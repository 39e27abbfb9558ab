#pragma once
// The batch tool's standard output and standard error. Results go to
// standard output, and nothing else does; messages and the progress line go
// to standard error, and the progress line is erased before anything else
// is printed, so no line is ever glued to it. A write to standard output
// that fails is noticed at once and reported at the end; a reader that went
// away (a closed pipe) ends the program quietly, as SIGPIPE would.

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace kararisu::cli {

enum class Verbosity { Quiet, Normal, Verbose };

class Console {
  public:
    // `command` names the messages of the tool itself ("kararisu-cli reduce").
    explicit Console(std::string command, std::FILE* out = stdout, std::FILE* err = stderr);

    const std::string& command() const { return command_; }
    void setVerbosity(Verbosity v) { verbosity_ = v; }
    Verbosity verbosity() const { return verbosity_; }

    // A result line on standard output ("\n" is added).
    void result(std::string_view line);
    // Bytes on standard output (a file written to "-").
    void resultBytes(std::span<const std::uint8_t> bytes);
    // Part of such bytes; the last part is followed by flushResult().
    void resultPart(std::span<const std::uint8_t> bytes);
    void flushResult();
    // Text on standard output as it is (help).
    void text(std::string_view text);

    // A message on standard error ("\n" is added). Control characters other
    // than the line breaks messages have are escaped, whatever the message
    // quotes.
    void error(std::string_view message);
    // A message said only with --verbose.
    void detail(std::string_view message);
    // "kararisu-cli COMMAND: message".
    void usageError(std::string_view message) { error(command_ + ": " + std::string(message)); }

    // The progress line, drawn over the one before on a terminal; where
    // standard error is no terminal, each is a line of its own.
    void progress(std::string_view line);
    void endProgress();

    bool outputIsTerminal() const;
    bool errorIsTerminal() const { return errTerminal_; }

    // Flushes standard output. False, after saying why on standard error,
    // when something could not be written to it.
    bool finish();

  private:
    void checkOut(bool ok);
    void eraseProgress();

    std::string command_;
    std::FILE* out_;
    std::FILE* err_;
    Verbosity verbosity_ = Verbosity::Normal;
    bool errTerminal_;
    bool progressShown_ = false;
    int outError_ = 0;  // the errno of the first failed write
};

// Makes sure descriptors 0, 1 and 2 are open before any file is, so that a
// file opened later never becomes standard output by accident: a closed
// standard output is replaced by one that refuses every write (which is then
// reported), a closed standard input or error by /dev/null.
void guardStandardDescriptors();

}  // namespace kararisu::cli
