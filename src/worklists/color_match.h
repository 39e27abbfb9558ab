#pragma once
// Nearest palette colour: Euclidean distance in red, green, blue; the lowest
// index wins a tie. The colour-matched copy maps a 32-bit picture onto a
// paletted bitmap with it.

#include <cstdint>
#include <vector>

#include "support/large_buffer.h"
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
    // The nearest entries of the eight colours of the cube from (r, g, b),
    // all three even, to (r + 1, g + 1, b + 1), in one search: the one of
    // (r + dr, g + dg, b + db) at nearest[4 dr + 2 dg + db].
    void nearestOfCube(int r, int g, int b, unsigned (&nearest)[8]) const;

  private:
    static constexpr int kCellBits = 5;  // 32 x 32 x 32 cells of 8^3 colours
    static constexpr int kCells = 1 << (3 * kCellBits);
    // Coarse cells of 2 x 2 x 2 cells, whose candidates the cells' are
    // chosen from.
    static constexpr int kCoarseBits = kCellBits - 1;
    static constexpr int kCoarseMask = (1 << kCoarseBits) - 1;
    static constexpr int kCoarseSide = 256 >> kCoarseBits;
    static constexpr std::size_t kCoarseCells = std::size_t{1} << (3 * kCoarseBits);
    struct Entry {
        std::int32_t r, g, b;
        std::uint32_t index;
    };
    using Entries = LargeVector<Entry>;
    static void collect(const Entry* begin, const Entry* end, int r0, int g0, int b0, int side,
                        Entries& out);
    // The candidates of coarse cells [first, last), one part's share, in
    // one block (coarseStart gives each cell's offset into its part's block).
    struct CoarseLists {
        std::size_t first = 0, last = 0;
        Entries lists;
    };
    // The cells' candidates from the coarse cells' lists, part by part.
    void buildCells(const std::vector<CoarseLists>& coarse,
                    const std::vector<std::uint32_t>& coarseStart);
    unsigned nearestByProjection(int r, int g, int b) const;

    bool empty_ = true;
    // Palettes strung along a line (the colour scales) leave a cell near
    // many entries; they are searched outward along their main axis instead.
    bool byProjection_ = false;
    double axis_[3] = {0, 0, 0};  // unit length
    double centre_[3] = {0, 0, 0};
    double farthest_ = 0;        // largest distance of an entry from the axis
    std::vector<Entry> sorted_;  // by position along the axis
    std::vector<double> along_;
    std::vector<std::uint32_t> cellStart_;  // offsets into candidates_, per cell
    std::vector<std::uint32_t> cellEnd_ = std::vector<std::uint32_t>(kCells);
    Entries candidates_;  // per cell, in index order
};

// Every pixel of dst (paletted, same size as src) becomes the index of the
// entry of dst's palette nearest to the colour of the same pixel of src
// (32 bits per pixel). Large pictures are shared between the cores.
void colorMatchedCopy(const Bitmap& src, Bitmap& dst);

}  // namespace kararisu
