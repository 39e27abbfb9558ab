#pragma once
// The colour survey: the distinct colours of a picture with their pixel
// counts, in ascending ColorValue order — what sorting every pixel and
// counting equal neighbours gives, found instead with one table entry per
// possible colour, so the work is one pass over the pixels whatever their
// number of colours. The same table then maps each distinct colour to its
// palette index once, and every pixel through it.

#include <cstdint>
#include <optional>
#include <vector>

#include "reduce/mcut.h"
#include "reduce/work_area.h"
#include "worklists/bitmap.h"

namespace kararisu {

class ColorSurvey {
  public:
    // Counts the colours of any bitmap (paletted ones through their palette).
    // False when the tables were refused (work.allocFailed is then set).
    bool count(const Bitmap& image, WorkArea& work);

    // The distinct colours in ascending order with their counts.
    std::vector<ColorTally> tallies() const;
    std::size_t distinct() const { return distinct_; }

    // dst (paletted, the size of the surveyed image) gets, for every pixel,
    // the index of the entry of its palette nearest to the pixel's colour in
    // image. Uses up the counts. Gives exactly what colorMatchedCopy gives.
    void matchInto(const Bitmap& image, Bitmap& dst);

  private:
    static constexpr std::size_t kColors = std::size_t{1} << 24;
    WorkArea::Block<std::uint32_t> table_;    // counts, then palette indices
    WorkArea::Block<std::uint64_t> present_;  // one bit per colour seen
    std::size_t distinct_ = 0;
};

// The number of distinct colours a picture's pixels show; none when a work
// area was refused, so a wrong number is never presented.
std::optional<std::uint64_t> countDistinctColors(const Bitmap& image, WorkArea& work);

}  // namespace kararisu

namespace kararisu {

// Maps every pixel of image onto the palette dst already carries (dst is
// paletted and of image's size), as colorMatchedCopy does. It goes through a
// colour table when one can be had and through a 32-bit copy otherwise, so
// it never fails for want of the table.
void mapOntoPalette(const Bitmap& image, Bitmap& dst);

}  // namespace kararisu
