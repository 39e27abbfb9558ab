#include "cli/cli_support.h"

#include <unistd.h>

#include <filesystem>

#include "cli/json.h"
#include "palette/palette_file.h"
#include "support/printable.h"
#include "worklists/image_file.h"
#include "worklists/loading.h"
#include "worklists/results.h"

namespace kararisu::cli {

namespace {

// The usage lines: the help up to its first blank line.
std::string_view usageLines(const CommandHelp& help) {
    const std::size_t blank = help.text.find("\n\n");
    return std::string_view(help.text).substr(0, blank == std::string::npos ? help.text.size()
                                                                            : blank + 1);
}

}  // namespace

int usageError(Console& console, const CommandHelp& help, std::string_view why) {
    console.usageError(why);
    std::string shown(usageLines(help));
    if (!shown.empty() && shown.back() == '\n') shown.pop_back();
    console.error(shown);
    console.error("See '" + console.command() + " --help'.");
    return 2;
}

std::optional<int> startCommand(Console& console, const std::vector<std::string>& args,
                                std::span<const OptionSpec* const> options,
                                const CommandHelp& help, Arguments& parsed) {
    parsed = readArguments(args, options);
    if (!parsed.error.empty()) return usageError(console, help, parsed.error);
    for (const Argument& a : parsed.items) {
        if (a.is(kHelpOption)) {
            console.text(help.text);
            return 0;
        }
        if (a.is(kQuietOption)) console.setVerbosity(Verbosity::Quiet);
        if (a.is(kVerboseOption)) console.setVerbosity(Verbosity::Verbose);
    }
    return std::nullopt;
}

Answer StderrReporter::show(const Message& message) {
    reported_ = true;
    console_.error(messageText(message));
    switch (message.buttons) {
        case MessageButtons::Ok:
            return Answer::Ok;
        case MessageButtons::RetryCancel:
            return Answer::Cancel;
        default:
            return answer_;
    }
}

Outcome<ImageFile> readStandardInput() {
    static bool read = false;
    if (read) return Problem{ProblemKind::CannotOpen, "standard input was read already"};
    read = true;
    if (isatty(STDIN_FILENO) == 1)
        return Problem{ProblemKind::CannotOpen,
                       "standard input is a terminal; send the image through a pipe or <"};
    return readImageStream(STDIN_FILENO);
}

Outcome<ImageFile> readImageArgument(const std::string& path) {
    return path == kStandardStream ? readStandardInput() : readImageFile(path);
}

std::string partialAlphaWarning(const std::string& path, std::uint64_t pixels) {
    return printable(path) + ": warning: " + std::to_string(pixels) +
           " pixels were partly transparent; those with alpha below 128 are now transparent, "
           "the others opaque";
}

std::unique_ptr<Bitmap> loadImage(Console& console, const std::string& path,
                                  bool warnPartialAlpha, ImageFormat* format) {
    Outcome<ImageFile> image = readImageArgument(path);
    if (!image) {
        console.error(messageText(loadFailureMessage(printable(path), image.problem())));
        return nullptr;
    }
    if (warnPartialAlpha && image->partialAlpha() > 0)
        console.error(partialAlphaWarning(path, image->partialAlpha()));
    if (format != nullptr) *format = image->format;
    return std::make_unique<Bitmap>(std::move(image->bitmap));
}

void ResultPrinter::written(const Result& r, const std::string& path) {
    if (json_) {
        console_.result(JsonObject()
                            .add("file", fileNameOf(r.path))
                            .add("palette", r.paletteName)
                            .add("mode", r.modeLabel)
                            .addNumber("bits", storageBits(r.bitmap.format()))
                            .add("path", path)
                            .str());
        return;
    }
    console_.result(printable(fileNameOf(r.path)) + "\t" + printable(r.paletteName) + "\t" +
                    printable(r.modeLabel) + "\t" +
                    std::to_string(storageBits(r.bitmap.format())) + "\t" + printable(path));
}

void ResultPrinter::notWritten(const Refusal& refusal) {
    const std::string path = printable(refusal.path);
    if (refusal.replaceable)
        console_.error(describe(path, refusal.problem) + existsHint_);
    else if (refusal.what == OutputFile::Palette && refusal.problem.kind != ProblemKind::FileExists)
        console_.error(paletteSaveFailureText(path, refusal.problem));
    else
        console_.error(describe(path, refusal.problem));
}

std::string paletteSaveFailureText(const std::string& path, const Problem& problem) {
    return path + ": " + messageText(paletteSaveFailedMessage()) + " (" + problem.reason + ")";
}

void TerminalMonitor::changed(bool text) {
    if (!shown_) return;
    // Off a terminal, a line for each step: a bar redrawn there is noise.
    if (!text && !console_.errorIsTerminal()) return;
    std::string line = title_ + " " + number_ + " " + name_ + " " + step_;
    if (console_.errorIsTerminal()) {
        constexpr int kWidth = 20;
        std::string bar(static_cast<std::size_t>(position_ * kWidth / 1000), '#');
        bar.resize(kWidth, '.');
        line += " [" + bar + "] " + std::to_string(position_ / 10) + "%";
    }
    console_.progress(line);
}

void TerminalMonitor::hide() {
    console_.endProgress();
    shown_ = false;
}

std::string withPaletteFolder(std::string help) {
    static constexpr std::string_view kMark = "{palette folder}";
    const std::string folder = paletteFolder();
    for (std::size_t at = help.find(kMark); at != std::string::npos;
         at = help.find(kMark, at + folder.size()))
        help.replace(at, kMark.size(), folder);
    return help;
}

bool ensureFolder(Console& console, const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // Made first and looked at after: another run may be making it too.
    const bool made = fs::create_directories(folder, ec);
    std::error_code ignored;
    if (fs::is_directory(folder, ignored)) {
        if (made) console.detail("made the folder " + printable(folder));
        return true;
    }
    if (fs::exists(fs::symlink_status(folder, ignored)))
        console.error(printable(folder) + ": is not a folder");
    else
        console.error(printable(folder) + ": cannot make the folder: " + ec.message());
    return false;
}

bool mayWriteFileTo(Console& console) {
    if (!console.outputIsTerminal()) return true;
    console.usageError("standard output is a terminal; send the file to a file or a pipe");
    return false;
}

namespace {

bool written(Console& console, const std::string& path, const Outcome<void>& saved) {
    if (saved) {
        console.detail("wrote " + printable(path));
        return true;
    }
    const bool exists = saved.problem().kind == ProblemKind::FileExists;
    console.error(describe(printable(path), saved.problem()) + (exists ? " (use --force)" : ""));
    return false;
}

WriteMode writeMode(Replace replace) {
    return replace == Replace::Yes ? WriteMode::Replace : WriteMode::CreateOnly;
}

}  // namespace

bool writeFileOut(Console& console, const std::string& path, std::span<const std::uint8_t> bytes,
                  Replace replace) {
    if (path == kStandardStream) {
        console.resultBytes(bytes);
        return true;
    }
    return written(console, path, writeFileAtomically(path, bytes, writeMode(replace)));
}

bool writeImageOut(Console& console, const std::string& path, const Bitmap& bitmap,
                   Replace replace, ImageFormat format) {
    if (path == kStandardStream) {
        try {
            if (format == ImageFormat::Bmp) {
                streamBmp(bitmap, [&](std::span<const std::uint8_t> bytes) {
                    console.resultPart(bytes);
                });
                console.flushResult();
                return true;
            }
            Outcome<LargeVector<std::uint8_t>> png = encodePng(bitmap);
            if (!png) return written(console, path, png.problem());
            console.resultBytes(*png);
            return true;
        } catch (const std::bad_alloc&) {
            return written(console, path, Problem::outOfMemory("not enough memory to build the file"));
        }
    }
    return written(console, path, saveImage(bitmap, path, format, writeMode(replace)));
}

}  // namespace kararisu::cli
