#pragma once
// Reducing pictures with transparent pixels. One palette entry is kept for
// them: the last one the mode's colours fill (so it counts against the
// colour count: mode 0 chooses 255 colours), or for the fixed palettes the
// last one they do not give a system colour. The other colours are chosen
// from the opaque pixels alone, which are matched onto the palette without
// that entry; every transparent pixel takes it. The entry holds the colour
// most of the transparent pixels had, which is what a BMP, having no
// alpha, shows there. A picture without transparent pixels never comes
// here and reduces exactly as it always did.

#include <optional>
#include <span>

#include "reduce/mcut.h"
#include "reduce/work_area.h"
#include "worklists/bitmap.h"

namespace kararisu {

struct TransparentEntry {
    unsigned index = 0;
    Rgb colour;
    friend bool operator==(const TransparentEntry&, const TransparentEntry&) = default;
};

// The entry a mode keeps for transparent pixels at a colour count (which
// only the adaptive modes read).
unsigned transparentEntryOf(int mode, int colorCount);

// The survey of a picture split by transparency: the entry kept for its
// transparent pixels (none when no pixel is), and the tallies and count of
// its opaque pixels.
struct OpaqueSurvey {
    std::optional<TransparentEntry> clear;
    LargeVector<ColorTally> tallies;
    std::int64_t pixels = 0;
};

// `all` is the survey of every pixel of the image.
Outcome<OpaqueSurvey> surveyOpaque(const Bitmap& image, std::span<const ColorTally> all, int mode,
                                   int colorCount, WorkArea& work);

// The same without the opaque tallies, for the fixed palettes.
Outcome<std::optional<TransparentEntry>> transparentEntryFor(const Bitmap& image, int mode,
                                                             int colorCount, WorkArea& work);

// A palette without one entry: what the opaque pixels are matched onto.
Palette withoutEntry(const Palette& palette, unsigned index);

// `result` holds image's pixels matched onto withoutEntry(palette,
// clear.index): the indices from clear.index up move up by one, the
// transparent pixels of image take clear.index, and result gets palette
// with that entry set to clear.colour and marked transparent.
void placeTransparentEntry(const Bitmap& image, Bitmap& result, Palette palette,
                           const TransparentEntry& clear);

}  // namespace kararisu
