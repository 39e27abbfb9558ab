#include "worklists/loading.h"

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
