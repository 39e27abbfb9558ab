#pragma once
// The luminance-ordered median cut and its two sorts.

#include <cstdint>
#include <span>
#include <vector>

#include "reduce/work_area.h"
#include "worklists/palette.h"

namespace kararisu {

// A distinct colour (0x00RRGGBB) with its pixel count. A count of 0 marks a
// colour dropped by the thinning steps.
struct ColorTally {
    std::int32_t color = 0;
    std::int32_t count = 0;
    friend bool operator==(const ColorTally&, const ColorTally&) = default;
};

// 0.299 R + 0.587 G + 0.144 B, formed in double and rounded once to float.
// The blue weight makes white 262.65, which the bright thinning relies on.
float luminance(std::uint32_t colorValue);

// Sorts values ascending. Any order-preserving method gives the one
// ascending array; this one is a radix sort. When its work area is refused
// the array is left unsorted.
Outcome<void> colorValueSort(std::span<std::int32_t> values, WorkArea& work);

// Sorts tallies by ascending luminance with the work-stack quicksort: the
// order it leaves colours of equal luminance in is part of every palette
// made from it, so its steps are fixed. It sorts in the tallies' own memory.
Outcome<void> tallySort(std::span<ColorTally> tallies, WorkArea& work);

// Chooses palette.size() colours from more tallies than that (the caller
// only calls it then). pixelTotal is the image's pixel count. The same
// colours are left in the tallies: first those kept, in luminance order,
// then those the thinning dropped, with counts of 0. Writes nothing when a
// work area was refused.
Outcome<void> medianCut(std::int64_t pixelTotal, std::span<ColorTally> tallies,
                        std::span<Rgb> palette, WorkArea& work);

}  // namespace kararisu
