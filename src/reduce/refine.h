#pragma once
// Palette refinement: after the median cut has chosen a palette, a few rounds
// of weighted k-means on the colour tally move the chosen entries to the
// means of the colours they stand for. Each round can only lower the total
// squared error, so a refined palette is never worse than the one it started
// from. Entries outside the free range (system colours, the black fillers of
// the free-count modes) stay and keep the colours nearest to them.

#include <cstdint>
#include <span>
#include <vector>

#include "reduce/dither.h"
#include "reduce/mcut.h"
#include "support/large_buffer.h"
#include "worklists/bitmap.h"
#include "worklists/palette.h"

namespace kararisu {

// The sum over the tallies of count × squared distance to the nearest entry.
std::uint64_t paletteError(std::span<const ColorTally> tallies, std::span<const Rgb> entries);

struct RefineReport {
    std::uint64_t before = 0;  // the error of the palette given
    std::uint64_t last = 0;    // the last error measured; the result's is no larger
    int rounds = 0;
};

// Moves entries [first, first + count) of the palette towards the weighted
// means of their colours. An entry left without colours takes the colour
// with the largest error. The same tallies and entries always give the same
// result, whatever the number of cores.
RefineReport refinePalette(std::span<const ColorTally> tallies, std::vector<Rgb>& entries,
                           std::size_t first, std::size_t count);

// The tallies as the refinement of chosen colours weighs them: the counts
// of dark colours multiplied, up to nine times for black, falling to once
// at luminance 32, all in quarters. The same error is seen more in a dark
// area than in a bright one. In large pages: a photo's million colours
// would otherwise cost more in page faults than in weighing.
LargeVector<ColorTally> darkWeighted(std::span<const ColorTally> tallies);

// Refines the colours chosen for an adaptive mode where the mode's palette
// puts them, with the mode's system colours and fillers in place; dark
// colours weigh more (darkWeighted).
void refineChosen(std::span<const ColorTally> tallies, int mode, std::vector<Rgb>& chosen);

// Moves the chosen colours of an adaptive mode to where an error diffusion
// of the picture needs them (refine_dither.cpp).
void refineForDither(const Bitmap& image, int mode, std::vector<Rgb>& chosen, Dither method);

}  // namespace kararisu
