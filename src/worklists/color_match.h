#pragma once
// Nearest palette colour: Euclidean distance in red, green, blue; the lowest
// index wins a tie. The colour-matched copy maps a 32-bit picture onto a
// paletted bitmap with it.

#include <cstdint>
#include <vector>

#include "worklists/bitmap.h"
#include "worklists/palette.h"

namespace kararisu {

// The reference definition, one distance per entry: the tests hold the fast
// matcher to it.
unsigned nearestBruteForce(const Palette& palette, std::uint32_t rgb);

class ColorMatcher {
  public:
    explicit ColorMatcher(const Palette& palette);
    // Index of the entry nearest to 0x00RRGGBB (the top byte is ignored).
    unsigned nearest(std::uint32_t rgb) const;

  private:
    struct Entry {
        int r, g, b;
        unsigned index;
    };
    std::vector<Entry> byRed_;  // entries sorted by red, then index
};

// Every pixel of dst (paletted, same size as src) becomes the index of the
// entry of dst's palette nearest to the colour of the same pixel of src
// (32 bits per pixel).
void colorMatchedCopy(const Bitmap& src, Bitmap& dst);

}  // namespace kararisu
