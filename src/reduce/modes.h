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

// The colour scale a scale mode's palette runs through; None for the
// modes whose palette is surveyed or the system's.
enum class Scale { None, Grey, Red, Green, Blue, Sepia };

// The system colours a palette keeps: none, the 20 (the first ten and last
// ten of 256 entries) or the 16 (the first eight and last eight entries of
// the system palette, at the two ends of the mode's palette).
enum class SystemColours { None, Twenty, Sixteen };

struct ModeInfo {
    const char* caption;     // the ColorBox item
    int colorCount;          // ColorCount set on choice (0 for 3, 25, 26)
    const char* schemeName;  // SchemeName set on choice
    bool adaptive;           // surveyed, or a fixed palette known in advance
    PixelFormat resultFormat;
    int matchingMode;  // the palette the pixels are matched to first
    Scale scale;
    SystemColours system;
    // The typed ColorCount's range and the dialog's caption of it; both 0
    // and no caption where the mode fixes the count.
    int freeCountMin;
    int freeCountMax;
    const char* freeCountRange;

    // 16 or 256: the palette's entries, by the result's depth.
    std::size_t entryCount() const { return resultFormat == PixelFormat::Bpp4 ? 16 : 256; }
    bool freeCount() const { return freeCountRange != nullptr; }
    // Where the chosen colours (surveyed, or a palette's) go: the entries
    // between the system colours at the two ends.
    std::size_t firstChosenEntry() const;
    std::size_t chosenEntryCount() const;
};

const ModeInfo& modeInfo(int mode);
bool isFreeCountMode(int mode);  // ColorCount is typed (25 and 26)
int freeCountMin(int mode);
int freeCountMax(int mode);

// SchemeName followed by ColorCount, written as an unsigned 16-bit number.
std::string modeLabel(const std::string& schemeName, int colorCount);

}  // namespace kararisu
