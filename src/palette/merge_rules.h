#pragma once
// The rules of palette merging: where a base palette has room, which colours
// a plus palette gives, the merged palette, the question asked when the plus
// does not fit, the swatch image that carries a merged palette, and the names
// of the new result.

#include <optional>
#include <string>
#include <vector>

#include "worklists/bitmap.h"
#include "support/messages.h"
#include "worklists/palette.h"
#include "worklists/results.h"

namespace kararisu {

// A palette offered for merging: its colours, the DepthCode that fixes how
// many entries are read (0: 2, 1: 16, 2: 256, other: 1; entries the palette
// lacks read as black) and the name shown for it.
struct MergePalette {
    Palette palette;
    int depthCode = 2;
    std::string name;
};

inline constexpr const char* kMergeSchemeName = "カスタム";

// Entries 0 to 7 of a 16- or 256-colour palette equal the first eight system
// colours; a 2-colour palette counts as beginning with them.
bool beginsWithSystemColours(const MergePalette& p);

// The lowest index in first..last whose entry is black and either is `last`
// or is followed by a black entry. A lone black entry is a colour.
std::optional<int> freeStart(const Palette& p, int first, int last);

// The part of a base palette that plus colours may take.
struct FreeArea {
    int start = 0;
    int count = 0;
};
// Nothing when the base has no free space: 2 colours, 16 colours beginning
// with the system colours, or no free start in its range (8-247 for 256
// colours beginning with the system colours, else the whole palette).
std::optional<FreeArea> freeArea(const MergePalette& base);

// The run of entries a plus palette gives: from `first`, `count` entries.
struct PlusColours {
    int first = 0;
    int count = 0;
};
PlusColours plusColours(const MergePalette& plus);

// The base with entries area.start .. area.start + used - 1 replaced by the
// plus colours in order; as many entries as the base's DepthCode says.
Palette mergedPalette(const MergePalette& base, const FreeArea& area, const MergePalette& plus,
                      const PlusColours& colours, int used);

// "カスタム" followed by base size - free count + used.
std::string mergeModeLabel(const MergePalette& base, const FreeArea& area, int used);

// The question when the plus colours exceed the free area (Yes: partial merge).
Message partialMergeQuestion(const std::string& baseName, int freeCount,
                             const std::string& plusName, int plusCount);
// The base has no free space: one-to-one, and the many-to-one and
// one-to-many form that names the base.
Message noFreeSpaceMessage();
Message noFreeSpaceMessage(const std::string& baseName);

// 256 x 256 pixels, 8 bits for a 256-colour palette (row y in colour y),
// otherwise 4 bits (16 bands of 16 rows, row y in colour y / 16).
Bitmap swatchImage(const Palette& merged);

// "NewPalette(k).bmp" with the smallest k no row has as its file name.
std::string mergeFileName(const std::vector<ResultRow>& rows);
// The file name's stem and "(m)", m the smallest that no row carries with
// a different ModeLabel.
std::string mergePaletteName(const std::vector<ResultRow>& rows, const std::string& fileName,
                             const std::string& modeLabel);

}  // namespace kararisu
