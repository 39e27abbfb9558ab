#include "app/loading.h"

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
