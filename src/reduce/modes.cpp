#include "reduce/modes.h"

#include <cstdint>
#include <stdexcept>

namespace kararisu {

namespace {

using F = PixelFormat;

// Scale modes with system colours are matched on the full scale first.
constexpr std::array<ModeInfo, kModeCount> kModes = {{
    {"２５６色", 256, "ノーマル", true, F::Bpp8, 0},
    {"２３６色＋システム２０色", 236, "ノーマル", true, F::Bpp8, 1},
    {"２４０色＋システム１６色", 240, "ノーマル", true, F::Bpp8, 2},
    {"１６色（システム）", 0, "システム", false, F::Bpp4, 3},
    {"１６色", 16, "ノーマル", true, F::Bpp4, 4},
    {"グレースケール（２５６階調）", 256, "グレー", false, F::Bpp8, 5},
    {"グレースケール（２３６階調＋システム２０色）", 236, "グレー", false, F::Bpp8, 5},
    {"グレースケール（２４０階調＋システム１６色）", 240, "グレー", false, F::Bpp8, 5},
    {"グレースケール（１６階調）", 16, "グレー", false, F::Bpp4, 8},
    {"レッドスケール（２５６階調）", 256, "レッド", false, F::Bpp8, 9},
    {"レッドスケール（２３６階調＋システム２０色）", 236, "レッド", false, F::Bpp8, 9},
    {"レッドスケール（２４０階調＋システム１６色）", 240, "レッド", false, F::Bpp8, 9},
    {"レッドスケール（１６階調）", 16, "レッド", false, F::Bpp4, 12},
    {"グリーンスケール（２５６階調）", 256, "グリーン", false, F::Bpp8, 13},
    {"グリーンスケール（２３６階調＋システム２０色）", 236, "グリーン", false, F::Bpp8, 13},
    {"グリーンスケール（２４０階調＋システム１６色）", 240, "グリーン", false, F::Bpp8, 13},
    {"グリーンスケール（１６階調）", 16, "グリーン", false, F::Bpp4, 16},
    {"ブルースケール（２５６階調）", 256, "ブルー", false, F::Bpp8, 17},
    {"ブルースケール（２３６階調＋システム２０色）", 236, "ブルー", false, F::Bpp8, 17},
    {"ブルースケール（２４０階調＋システム１６色）", 240, "ブルー", false, F::Bpp8, 17},
    {"ブルースケール（１６階調）", 16, "ブルー", false, F::Bpp4, 20},
    {"セピアスケール（２５６階調）", 256, "セピア", false, F::Bpp8, 21},
    {"セピアスケール（２３６階調＋システム２０色）", 236, "セピア", false, F::Bpp8, 21},
    {"セピアスケール（２４０階調＋システム１６色）", 240, "セピア", false, F::Bpp8, 21},
    {"セピアスケール（１６階調）", 16, "セピア", false, F::Bpp4, 24},
    {"任意色数１（８ｂｉｔ：１～２５６色）", 0, "任意色１", true, F::Bpp8, 25},
    {"任意色数２（８ｂｉｔ：０～２４０色＋システム１６色）", 0, "任意色２", true, F::Bpp8, 26},
}};

}  // namespace

const ModeInfo& modeInfo(int mode) {
    if (mode < 0 || mode >= kModeCount) throw std::out_of_range("reduction mode out of range");
    return kModes[static_cast<std::size_t>(mode)];
}

bool isFreeCountMode(int mode) {
    return mode == 25 || mode == 26;
}
int freeCountMin(int mode) {
    return mode == 26 ? 0 : 1;
}
int freeCountMax(int mode) {
    return mode == 26 ? 240 : 256;
}

std::string modeLabel(const std::string& schemeName, int colorCount) {
    return schemeName + std::to_string(static_cast<std::uint16_t>(colorCount));
}

}  // namespace kararisu
