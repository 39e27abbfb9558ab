#include "worklists/results.h"

namespace kararisu {

void CollectingSink::add(Result result) {
    rows_.push_back({fileNameOf(result.path), result.paletteName, result.modeLabel});
    results_.push_back(std::move(result));
}

std::string fileNameOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string stemOf(const std::string& fileName) {
    return fileName.size() <= 4 ? std::string() : fileName.substr(0, fileName.size() - 4);
}

std::string paletteNameFor(const std::vector<ResultRow>& rows, const std::string& stem,
                           NameForm form, const std::string& modeLabel) {
    const char* open = form == NameForm::Individual ? "(" : "(PG";
    for (unsigned long k = 1;; ++k) {
        std::string candidate = stem + open + std::to_string(k) + ")";
        bool taken = false;
        for (const ResultRow& row : rows) {
            if (row.paletteName == candidate && row.modeLabel != modeLabel) {
                taken = true;
                break;
            }
        }
        if (!taken) return candidate;
    }
}

}  // namespace kararisu
