#include "worklists/loading.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "worklists/results.h"

namespace kararisu {

bool hasImageSuffix(std::string_view path) {
    if (path.size() < 3) return false;
    std::string tail(path.substr(path.size() - 3));
    for (char& c : tail)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return tail == "bmp" || tail == "png";
}

std::string longFormOf(const std::string& path) {
    namespace fs = std::filesystem;
    if (path.empty()) return path;
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(path), ec);
    if (ec) p = fs::path(path);
    std::string out = p.lexically_normal().string();
    while (out.size() > 1 && out.back() == '/') out.pop_back();
    return out;
}

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool isThisMachine(std::string_view host) {
    if (host.empty() || sameIgnoringCase(host, "localhost")) return true;
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 && sameIgnoringCase(host, name);
}

}  // namespace

std::string pathOfArgument(const std::string& argument) {
    constexpr std::string_view kScheme = "file:";
    std::string_view rest = argument;
    if (!sameIgnoringCase(rest.substr(0, kScheme.size()), kScheme)) return argument;
    rest.remove_prefix(kScheme.size());
    // A query or a fragment is no part of the path.
    rest = rest.substr(0, rest.find_first_of("?#"));
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        if (slash == std::string_view::npos || !isThisMachine(rest.substr(0, slash)))
            return argument;
        rest.remove_prefix(slash);
    }
    if (rest.empty() || rest[0] != '/') return argument;
    std::string path;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const int high = rest[i] == '%' && i + 2 < rest.size() ? hexDigit(rest[i + 1]) : -1;
        const int low = high >= 0 ? hexDigit(rest[i + 2]) : -1;
        if (low < 0) {
            path += rest[i];
            continue;
        }
        const char byte = char(high * 16 + low);
        if (byte == '\0') return argument;
        path += byte;
        i += 2;
    }
    return path;
}

std::string rejectedMessage(const std::vector<std::string>& names) {
    if (names.empty()) return std::string();
    std::string text;
    for (const std::string& name : names) text += name + "\n";
    return text + kRejectedSentence;
}

Message loadFailureMessage(const std::string& path, const Problem& problem) {
    if (problem.kind == ProblemKind::OutOfMemory)
        return {describe(path, problem), kNoMemoryCaption, MessageIcon::Exclamation,
                MessageButtons::Ok};
    if (problem.cannotRead())
        return {describe(path, problem), kOpenErrorCaption, MessageIcon::Stop,
                MessageButtons::RetryCancel};
    return {fileNameOf(path) + kRejectedSentence + " (" + describe(path, problem) + ")",
            kRejectedCaption, MessageIcon::Exclamation, MessageButtons::Ok};
}

Outcome<ImageFile> readSourceImage(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (!ec && fs::exists(st)) {
        if (!fs::is_regular_file(st)) return Problem{ProblemKind::NotRegularFile, "not a file"};
        // The largest bitmap held is 4 bytes a pixel; a file's compression
        // never needs much more, and headers and colour table are small.
        constexpr std::uintmax_t kLargestFile = 4 * Bitmap::kMaxPixels + (std::uintmax_t{1} << 24);
        const std::uintmax_t size = fs::file_size(path, ec);
        if (!ec && size > kLargestFile)
            return Problem{ProblemKind::BmpTooLarge,
                           "the file is too large to be a bitmap this program can hold"};
    }
    // A missing file is left to the reader, which says why it cannot be opened.
    return readImageFile(path);
}

}  // namespace kararisu
