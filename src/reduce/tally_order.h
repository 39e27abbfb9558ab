#pragma once
// The tallies in ascending luminance, by the work-stack quicksort: the
// order it leaves colours of equal luminance in is part of every palette
// made from it, so its steps are fixed.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "reduce/mcut.h"
#include "reduce/work_area.h"
#include "support/large_buffer.h"

namespace kararisu {

struct SortRange {
    std::ptrdiff_t lo, hi;  // inclusive; empty when lo >= hi
};

// Sorts tallies by ascending luminance. It sorts in the tallies' own memory.
Outcome<void> tallySort(std::span<ColorTally> tallies, WorkArea& work);

// The same order, worked out only where it is asked for. The cores run the
// quicksort's first steps over the whole array; the ranges left narrower
// than `leaf` are sorted, by the same steps, when a colour or a count
// inside them is first asked for. A range's steps depend on nothing but
// its own elements, so every answer is the one the whole sort would give.
// The median cut asks about a few hundred places of millions.
//
// While it lives the tallies are packed with their sort keys; it leaves
// them unpacked, the same tallies in whatever order they have reached.
class LuminanceOrder {
  public:
    explicit LuminanceOrder(std::span<ColorTally> tallies) : a_(tallies) {}
    ~LuminanceOrder();
    LuminanceOrder(const LuminanceOrder&) = delete;
    LuminanceOrder& operator=(const LuminanceOrder&) = delete;

    // Every count must be positive. A refused work area leaves the tallies
    // as they came.
    Outcome<void> partition(WorkArea& work, std::size_t leaf);

    std::size_t size() const { return a_.size(); }
    // The tally at sorted position i.
    ColorTally at(std::size_t i);
    // The pixels of sorted positions [0, i).
    std::int64_t countBefore(std::size_t i);
    // The least i with countBefore(i) >= pixels, or size() + 1.
    std::size_t reaching(std::int64_t pixels);

  private:
    struct Piece {
        std::size_t start;
        std::int64_t before;  // pixels of the positions in front of it
        bool sorted;
    };
    std::size_t pieceOf(std::size_t i) const;
    void sortPiece(std::size_t p);
    std::int64_t countAt(std::size_t i) const;

    std::span<ColorTally> a_;
    bool packed_ = false;
    LargeVector<ColorTally> overflow_;
    std::vector<Piece> pieces_;  // in order, and one past the end
    std::vector<SortRange> stack_;
};

}  // namespace kararisu
