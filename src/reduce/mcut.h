#pragma once
// The luminance-ordered median cut.

#include <cstdint>
#include <span>
#include <vector>

#include "reduce/work_area.h"
#include "worklists/palette.h"

namespace kararisu {

// A distinct colour (0x00RRGGBB) with its pixel count.
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

// Chooses palette.size() colours from more tallies than that (the caller
// only calls it then), each with a positive count. pixelTotal is the
// image's pixel count. The same tallies are left, in an order of the cut's
// own. Writes nothing when a work area was refused.
Outcome<void> medianCut(std::int64_t pixelTotal, std::span<ColorTally> tallies,
                        std::span<Rgb> palette, WorkArea& work);

}  // namespace kararisu
