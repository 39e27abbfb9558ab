#include "cli/cli_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include "palette/palette_file.h"
#include "worklists/image_file.h"
#include "worklists/loading.h"
#include "worklists/results.h"

namespace kararisu::cli {

Answer StderrReporter::show(const Message& message) {
    reported_ = true;
    if (message.caption.empty()) {
        std::fprintf(stderr, "%s\n", message.text.c_str());
    } else {
        std::fprintf(stderr, "%s: %s\n", message.caption.c_str(), message.text.c_str());
    }
    switch (message.buttons) {
        case MessageButtons::Ok:
            return Answer::Ok;
        case MessageButtons::RetryCancel:
            return Answer::Cancel;
        default:
            return answer_;
    }
}

std::unique_ptr<Bitmap> loadImage(const std::string& path, bool warnPartialAlpha) {
    Outcome<ImageFile> file = readImageFile(path);
    if (!file) {
        std::fprintf(stderr, "%s\n", messageText(loadFailureMessage(path, file.problem())).c_str());
        return nullptr;
    }
    if (warnPartialAlpha && file->partialAlpha() > 0)
        std::fprintf(stderr,
                     "%s: warning: %llu pixels were partly transparent; those with alpha below "
                     "128 are now transparent, the others opaque\n",
                     printable(path).c_str(),
                     static_cast<unsigned long long>(file->partialAlpha()));
    return std::make_unique<Bitmap>(std::move(file->bitmap));
}

std::string printable(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7f) {
            static const char hex[] = "0123456789abcdef";
            out += {'\\', 'x', hex[b >> 4], hex[b & 15]};
        } else {
            out += c;
        }
    }
    return out;
}

void ResultPrinter::written(const Result& r, const std::string& path) {
    std::printf("%s\t%s\t%s\t%d\t%s\n", printable(fileNameOf(r.path)).c_str(),
                printable(r.paletteName).c_str(), printable(r.modeLabel).c_str(),
                storageBits(r.bitmap.format()), printable(path).c_str());
    std::fflush(stdout);
}

void ResultPrinter::notWritten(OutputFile what, const std::string& path, const Problem& problem) {
    std::string text;
    if (problem.kind == ProblemKind::FileExists)
        text = describe(path, problem) + existsHint_;
    else if (what == OutputFile::Palette)
        text = paletteSaveFailureText(path, problem);
    else
        text = describe(path, problem);
    std::fprintf(stderr, "%s\n", text.c_str());
}

std::string paletteSaveFailureText(const std::string& path, const Problem& problem) {
    return path + ": " + messageText(paletteSaveFailedMessage()) + " (" + problem.reason + ")";
}

TerminalMonitor::~TerminalMonitor() {
    if (drawn_) std::fputc('\n', stderr);
}

void TerminalMonitor::draw() {
    if (!shown_) return;
    constexpr int kWidth = 20;
    const int filled = position_ * kWidth / 1000;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(kWidth, '.');
    std::fprintf(stderr, "\r\033[K%s %s %s %s [%s] %3d%%", title_.c_str(), number_.c_str(),
                 name_.c_str(), step_.c_str(), bar.c_str(), position_ / 10);
    std::fflush(stderr);
    drawn_ = true;
}

void TerminalMonitor::hide() {
    if (drawn_) std::fputs("\r\033[K", stderr);
    shown_ = false;
    drawn_ = false;
}

std::optional<int> helpRequested(const std::vector<std::string>& args, const char* help) {
    if (args.empty()) {
        std::fputs(help, stderr);
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(help, stdout);
        return 0;
    }
    return std::nullopt;
}

std::string withPaletteFolder(std::string help) {
    static constexpr std::string_view kMark = "{palette folder}";
    const std::string folder = paletteFolder();
    for (std::size_t at = help.find(kMark); at != std::string::npos;
         at = help.find(kMark, at + folder.size()))
        help.replace(at, kMark.size(), folder);
    return help;
}

bool stderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace kararisu::cli
