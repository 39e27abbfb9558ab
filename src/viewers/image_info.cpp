#include "viewers/image_info.h"

#include "reduce/survey.h"

namespace kararisu {

namespace {

const char* depthLine(int depthCode) {
    switch (depthCode) {
        case 0:
            return "１bitビットマップ";
        case 1:
            return "４bitビットマップ";
        case 2:
            return "８bitビットマップ";
        case 3:
            return "１６bitビットマップ";
        case 4:
            return "２４bitビットマップ";
        case 5:
            return "３２bitビットマップ";
        default:
            return "";
    }
}

}  // namespace

std::string imageInformationText(const std::string& name, const Bitmap& bitmap, int depthCode) {
    return "＜画像情報＞\nBMP名:" + name + "\n" + std::to_string(bitmap.width()) + "×" +
           std::to_string(bitmap.height()) + "\n" + depthLine(depthCode);
}

std::string colorCountText(std::uint64_t count) {
    return "この画像の色数は\n" + std::to_string(count);
}

std::optional<std::string> colorCountReport(const Bitmap& bitmap, WorkArea& work) {
    const Outcome<std::uint64_t> n = countDistinctColors(bitmap, work);
    if (!n) return std::nullopt;
    return colorCountText(*n);
}

}  // namespace kararisu
