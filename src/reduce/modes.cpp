#include "reduce/modes.h"

#include <cstdint>
#include <stdexcept>

namespace kararisu {

namespace {

using F = PixelFormat;
using S = Scale;
using C = SystemColours;

// Scale modes with system colours are matched on the full scale first.
constexpr std::array<ModeInfo, kModeCount> kModes = {{
    {"２５６色", 256, "ノーマル", true, F::Bpp8, 0, S::None, C::None, 0, 0, nullptr},
    {"２３６色＋システム２０色", 236, "ノーマル", true, F::Bpp8, 1, S::None, C::Twenty, 0, 0, nullptr},
    {"２４０色＋システム１６色", 240, "ノーマル", true, F::Bpp8, 2, S::None, C::Sixteen, 0, 0, nullptr},
    {"１６色（システム）", 0, "システム", false, F::Bpp4, 3, S::None, C::Sixteen, 0, 0, nullptr},
    {"１６色", 16, "ノーマル", true, F::Bpp4, 4, S::None, C::None, 0, 0, nullptr},
    {"グレースケール（２５６階調）", 256, "グレー", false, F::Bpp8, 5, S::Grey, C::None, 0, 0, nullptr},
    {"グレースケール（２３６階調＋システム２０色）", 236, "グレー", false, F::Bpp8, 5, S::Grey, C::Twenty, 0, 0, nullptr},
    {"グレースケール（２４０階調＋システム１６色）", 240, "グレー", false, F::Bpp8, 5, S::Grey, C::Sixteen, 0, 0, nullptr},
    {"グレースケール（１６階調）", 16, "グレー", false, F::Bpp4, 8, S::Grey, C::None, 0, 0, nullptr},
    {"レッドスケール（２５６階調）", 256, "レッド", false, F::Bpp8, 9, S::Red, C::None, 0, 0, nullptr},
    {"レッドスケール（２３６階調＋システム２０色）", 236, "レッド", false, F::Bpp8, 9, S::Red, C::Twenty, 0, 0, nullptr},
    {"レッドスケール（２４０階調＋システム１６色）", 240, "レッド", false, F::Bpp8, 9, S::Red, C::Sixteen, 0, 0, nullptr},
    {"レッドスケール（１６階調）", 16, "レッド", false, F::Bpp4, 12, S::Red, C::None, 0, 0, nullptr},
    {"グリーンスケール（２５６階調）", 256, "グリーン", false, F::Bpp8, 13, S::Green, C::None, 0, 0, nullptr},
    {"グリーンスケール（２３６階調＋システム２０色）", 236, "グリーン", false, F::Bpp8, 13, S::Green, C::Twenty, 0, 0, nullptr},
    {"グリーンスケール（２４０階調＋システム１６色）", 240, "グリーン", false, F::Bpp8, 13, S::Green, C::Sixteen, 0, 0, nullptr},
    {"グリーンスケール（１６階調）", 16, "グリーン", false, F::Bpp4, 16, S::Green, C::None, 0, 0, nullptr},
    {"ブルースケール（２５６階調）", 256, "ブルー", false, F::Bpp8, 17, S::Blue, C::None, 0, 0, nullptr},
    {"ブルースケール（２３６階調＋システム２０色）", 236, "ブルー", false, F::Bpp8, 17, S::Blue, C::Twenty, 0, 0, nullptr},
    {"ブルースケール（２４０階調＋システム１６色）", 240, "ブルー", false, F::Bpp8, 17, S::Blue, C::Sixteen, 0, 0, nullptr},
    {"ブルースケール（１６階調）", 16, "ブルー", false, F::Bpp4, 20, S::Blue, C::None, 0, 0, nullptr},
    {"セピアスケール（２５６階調）", 256, "セピア", false, F::Bpp8, 21, S::Sepia, C::None, 0, 0, nullptr},
    {"セピアスケール（２３６階調＋システム２０色）", 236, "セピア", false, F::Bpp8, 21, S::Sepia, C::Twenty, 0, 0, nullptr},
    {"セピアスケール（２４０階調＋システム１６色）", 240, "セピア", false, F::Bpp8, 21, S::Sepia, C::Sixteen, 0, 0, nullptr},
    {"セピアスケール（１６階調）", 16, "セピア", false, F::Bpp4, 24, S::Sepia, C::None, 0, 0, nullptr},
    {"任意色数１（８ｂｉｔ：１～２５６色）", 0, "任意色１", true, F::Bpp8, 25, S::None, C::None, 1, 256, "指定範囲（１～２５６）"},
    {"任意色数２（８ｂｉｔ：０～２４０色＋システム１６色）", 0, "任意色２", true, F::Bpp8, 26, S::None, C::Sixteen, 0, 240, "指定範囲（０～２４０）"},
}};

}  // namespace

const ModeInfo& modeInfo(int mode) {
    if (mode < 0 || mode >= kModeCount) throw std::out_of_range("reduction mode out of range");
    return kModes[static_cast<std::size_t>(mode)];
}

std::size_t ModeInfo::firstChosenEntry() const {
    if (system == SystemColours::Twenty) return 10;
    if (system == SystemColours::Sixteen) return 8;
    return 0;
}

std::size_t ModeInfo::chosenEntryCount() const {
    return entryCount() - 2 * firstChosenEntry();
}

bool isFreeCountMode(int mode) {
    return modeInfo(mode).freeCount();
}
int freeCountMin(int mode) {
    return modeInfo(mode).freeCountMin;
}
int freeCountMax(int mode) {
    return modeInfo(mode).freeCountMax;
}

std::string modeLabel(const std::string& schemeName, int colorCount) {
    return schemeName + std::to_string(static_cast<std::uint16_t>(colorCount));
}

}  // namespace kararisu
