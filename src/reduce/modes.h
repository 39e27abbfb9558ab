#pragma once
// The 27 reduction modes: what the settings dialog offers and what each mode
// does to an image.

#include <array>
#include <optional>
#include <string>

#include "worklists/bitmap.h"

namespace kararisu {

constexpr int kModeCount = 27;

// ReductionMenu: each image by itself, unified on a reference image's
// palette, unified on a chosen palette.
enum class ReductionMenu { Individual = 1, Reference = 2, GivenPalette = 3 };

struct ModeInfo {
    const char* caption;     // the ColorBox item
    int colorCount;          // ColorCount set on choice (0 for 3, 25, 26)
    const char* schemeName;  // SchemeName set on choice
    bool adaptive;           // surveyed, or a fixed palette known in advance
    PixelFormat resultFormat;
    int matchingMode;  // the palette the pixels are matched to first
};

const ModeInfo& modeInfo(int mode);
bool isFreeCountMode(int mode);  // 25 and 26: ColorCount is typed
// The range of the typed count of modes 25 (1-256) and 26 (0-240).
int freeCountMin(int mode);
int freeCountMax(int mode);

// SchemeName followed by ColorCount, written as an unsigned 16-bit number.
std::string modeLabel(const std::string& schemeName, int colorCount);

}  // namespace kararisu
