#include "worklists/loading.h"

#include <filesystem>
#include <system_error>

namespace kararisu {

bool hasBmpSuffix(std::string_view path) {
    if (path.size() < 3) return false;
    std::string_view tail = path.substr(path.size() - 3);
    const char want[] = "bmp";
    for (std::size_t i = 0; i < 3; ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != want[i]) return false;
    }
    return true;
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

std::string folderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return std::string();
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string rejectedMessage(const std::vector<std::string>& names) {
    if (names.empty()) return std::string();
    std::string text;
    for (const std::string& name : names) text += name + "\n";
    return text + kRejectedSentence;
}

BmpReadResult readSourceBmp(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (!ec && fs::exists(st)) {
        BmpReadResult refused;
        if (!fs::is_regular_file(st)) {
            refused.problem = BmpProblem::BadSignature;
            refused.reason = "not a file";
            return refused;
        }
        // The largest bitmap held is 4 bytes a pixel; a file's compression
        // never needs more, and headers and colour table are small.
        constexpr std::uintmax_t kLargestFile = 4 * Bitmap::kMaxPixels + (std::uintmax_t{1} << 24);
        const std::uintmax_t size = fs::file_size(path, ec);
        if (!ec && size > kLargestFile) {
            refused.problem = BmpProblem::TooLarge;
            refused.reason = "the file is too large to be a bitmap this program can hold";
            return refused;
        }
    }
    // A missing file is left to the reader, which says why it cannot be opened.
    return readBmpFile(path);
}

Bitmap loadSourceBmp(const std::string& path) {
    BmpReadResult r = readSourceBmp(path);
    if (r.problem == BmpProblem::CannotOpen) throw CannotOpenError(path + ": " + r.reason);
    if (!r.ok()) throw InvalidBitmapError(r.problem, path + ": " + r.reason);
    return std::move(r.bitmap);
}

ImageEntry* appendImage(ImageList& list, int& count, const std::string& path, Bitmap bitmap) {
    ImageEntry content;
    content.depth = depthCode(bitmap.format());
    content.bitmap = std::make_unique<Bitmap>(std::move(bitmap));
    content.path = path;
    ImageEntry* e =
        count == 0 ? addAtHead(list, std::move(content)) : addAtTail(list, std::move(content));
    ++count;
    return e;
}

}  // namespace kararisu
