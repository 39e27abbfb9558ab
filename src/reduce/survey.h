#pragma once
// The colour survey: the distinct colours of a picture with their pixel
// counts, in ascending ColorValue order — what sorting every pixel and
// counting equal neighbours gives. Every pixel is instead counted in a
// table of one count for each possible colour, laid out by cubes of
// neighbouring colours so that only the few pages a picture's colours fall
// in are ever backed; the table is read in colour order and given back as
// it is read. The matching then finds each distinct colour's palette index
// once and maps every pixel through a table of them.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "reduce/mcut.h"
#include "reduce/work_area.h"
#include "worklists/bitmap.h"

namespace kararisu {

class ColorSurvey {
  public:
    // Counts the colours of any bitmap (paletted ones through their palette).
    Outcome<void> count(const Bitmap& image, WorkArea& work);

    // The distinct colours in ascending order with their counts.
    const LargeVector<ColorTally>& tallies() const { return tallies_; }
    std::size_t distinct() const { return tallies_.size(); }
    // The same, for a median cut to reorder where they lie: the matching
    // needs only which colours there are, not their order.
    std::span<ColorTally> reorderableTallies() { return tallies_; }

    // dst (paletted, the size of the surveyed image) gets, for every pixel,
    // the index of the entry of its palette nearest to the pixel's colour in
    // image: exactly what colorMatchedCopy gives. It uses up the tallies:
    // the survey counts again before it matches again.
    void matchInto(const Bitmap& image, Bitmap& dst);
    // Gives the tallies back, when no matching follows.
    void release() { tallies_ = LargeVector<ColorTally>(); }

  private:
    // Both kept from one picture to the next: a run surveys each of its
    // pictures with one survey.
    LargeVector<ColorTally> tallies_;
    // The low 16 bits of a pixel count for each of the 2^24 colours, by
    // cubes; the carries beyond them in a list.
    LargeBlock counts_;
    LargeBlock index_;  // a palette index for each of the 2^24 colours, by cubes
};

// The number of distinct colours a picture's pixels show; a refused work
// area gives its problem, so a wrong number is never presented.
Outcome<std::uint64_t> countDistinctColors(const Bitmap& image, WorkArea& work);

// Maps every pixel of image onto the palette dst already carries (dst is
// paletted and of image's size), as colorMatchedCopy does.
Outcome<void> mapOntoPalette(const Bitmap& image, Bitmap& dst, WorkArea& work);

}  // namespace kararisu
