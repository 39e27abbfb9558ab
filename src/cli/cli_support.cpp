#include "cli/cli_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include "worklists/bmp/bmp.h"
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

std::unique_ptr<Bitmap> loadImage(const std::string& path) {
    try {
        return std::make_unique<Bitmap>(loadBmp(path));
    } catch (const CannotOpenError& e) {
        std::fprintf(stderr, "オープンエラー: %s\n", e.what());
    } catch (const InvalidBitmapError& e) {
        std::fprintf(
            stderr, "警告：読み込めません！！: %sは有効なビットマップデータではありません。 (%s)\n",
            fileNameOf(path).c_str(), e.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: メモリが確保できません！！\n", path.c_str());
    }
    return nullptr;
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

bool stderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

}  // namespace kararisu::cli
