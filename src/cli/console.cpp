#include "cli/console.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "support/printable.h"

namespace kararisu::cli {

Console::Console(std::string command, std::FILE* out, std::FILE* err)
    : command_(std::move(command)), out_(out), err_(err), errTerminal_(isatty(fileno(err)) == 1) {}

void Console::checkOut(bool ok) {
    if (ok || outError_) return;
    outError_ = errno ? errno : EIO;
    // Nobody reads any more: stop as a program killed by SIGPIPE does,
    // without a word (the SIGPIPE itself was ignored, or it would have come).
    if (outError_ == EPIPE) std::_Exit(1);
}

void Console::result(std::string_view line) {
    eraseProgress();
    const bool ok = std::fwrite(line.data(), 1, line.size(), out_) == line.size() &&
                    std::fputc('\n', out_) != EOF && std::fflush(out_) == 0;
    checkOut(ok);
}

void Console::resultBytes(std::span<const std::uint8_t> bytes) {
    resultPart(bytes);
    flushResult();
}

void Console::resultPart(std::span<const std::uint8_t> bytes) {
    checkOut(std::fwrite(bytes.data(), 1, bytes.size(), out_) == bytes.size());
}

void Console::flushResult() {
    checkOut(std::fflush(out_) == 0);
}

void Console::text(std::string_view text) {
    checkOut(std::fwrite(text.data(), 1, text.size(), out_) == text.size());
}

void Console::error(std::string_view message) {
    eraseProgress();
    std::string shown;
    for (std::size_t at = 0; at <= message.size();) {
        const std::size_t end = std::min(message.find('\n', at), message.size());
        shown += printable(message.substr(at, end - at));
        if (end < message.size()) shown += '\n';
        at = end + 1;
    }
    shown += '\n';
    std::fwrite(shown.data(), 1, shown.size(), err_);
    std::fflush(err_);
}

void Console::detail(std::string_view message) {
    if (verbosity_ == Verbosity::Verbose) error(message);
}

void Console::progress(std::string_view line) {
    if (!errTerminal_) {
        error(line);
        return;
    }
    std::fputs("\r\033[K", err_);
    const std::string shown = printable(line);
    std::fwrite(shown.data(), 1, shown.size(), err_);
    std::fflush(err_);
    progressShown_ = true;
}

void Console::endProgress() {
    eraseProgress();
}

void Console::eraseProgress() {
    if (!progressShown_) return;
    std::fputs("\r\033[K", err_);
    std::fflush(err_);
    progressShown_ = false;
}

bool Console::outputIsTerminal() const {
    return isatty(fileno(out_)) == 1;
}

bool Console::finish() {
    eraseProgress();
    errno = 0;
    checkOut(std::fflush(out_) == 0 && !std::ferror(out_));
    if (!outError_) return true;
    error(command_ + ": cannot write to standard output: " + std::strerror(outError_));
    return false;
}

void guardStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // Read-only on 1: every write to it fails with EBADF and is reported.
        const int opened = ::open("/dev/null", fd == 2 ? O_WRONLY : O_RDONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

}  // namespace kararisu::cli
