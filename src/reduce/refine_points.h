#pragma once
// The pieces the palette refinement works with: weighted colours, the tally
// gathered into bins, the rounds' assignment of points to entries, and the
// cut of a set of points into boxes that starts a palette.

#include <cstdint>
#include <span>
#include <vector>

#include "reduce/mcut.h"
#include "support/large_buffer.h"
#include "support/parallel.h"
#include "worklists/palette.h"

namespace kararisu::refining {

// Below some 32 000 points a round is quicker on one core than started on two.
inline std::size_t partsFor(std::size_t colours) {
    return colours < (std::size_t{1} << 15) ? 1 : coreCount();
}

inline std::uint32_t distance2(Rgb a, std::uint32_t v) {
    const Rgb c = Rgb::fromValue(v);
    const int dr = int(a.r) - c.r, dg = int(a.g) - c.g, db = int(a.b) - c.b;
    return std::uint32_t(dr * dr + dg * dg + db * db);
}

struct Sum {
    std::int64_t r = 0, g = 0, b = 0, weight = 0;
    void operator+=(const Sum& o) { r += o.r, g += o.g, b += o.b, weight += o.weight; }
};

inline Sum sumOf(std::uint32_t v, std::int64_t w) {
    return {w * std::int64_t((v >> 16) & 0xff), w * std::int64_t((v >> 8) & 0xff),
            w * std::int64_t(v & 0xff), w};
}

inline std::uint8_t meanOf(std::int64_t sum, std::int64_t weight) {
    return std::uint8_t((2 * sum + weight) / (2 * weight));
}

// A weighted colour: where it is, and what it adds to its entry's sums.
struct Point {
    std::uint32_t color;
    Sum sum;
};

inline Rgb meanColor(const Sum& s) {
    return Rgb{meanOf(s.r, s.weight), meanOf(s.g, s.weight), meanOf(s.b, s.weight)};
}

// Colours gather in bins of 4 × 4 × 4.
constexpr int kBinShift = 2;
constexpr int kBinBits = 8 - kBinShift;

inline std::size_t slotOf(std::uint32_t v) {
    return (((v >> 16) & 0xff) >> kBinShift) << (2 * kBinBits) |
           (((v >> 8) & 0xff) >> kBinShift) << kBinBits | ((v & 0xff) >> kBinShift);
}

// The tally's colours gathered by their top bits: each bin stands at the
// rounded mean of its colours and carries their exact sums.
struct BinPoints {
    LargeVector<Point> bins;
    LargeVector<std::uint32_t> binAt;  // by slot
    std::size_t size() const { return bins.size(); }
    const Point& operator[](std::size_t i) const { return bins[i]; }
    std::size_t binOf(std::uint32_t v) const { return binAt[slotOf(v)]; }
};

BinPoints binsOf(std::span<const ColorTally> tallies);

// Runs place(i, point) -> (entry, squared distance) over the points and sums
// what each entry got, with the weighted error. Integer sums joined after the
// parts give the same totals however the work was cut.
template <typename Points, typename Place>
std::uint64_t assignAll(const Points& points, std::size_t entries, std::vector<Sum>& sums,
                        Place place) {
    const std::size_t parts = partsFor(points.size());
    std::vector<std::vector<Sum>> partSums(parts, std::vector<Sum>(entries));
    std::vector<std::uint64_t> partError(parts, 0);
    inParts(parts, points.size(), [&](std::size_t part, std::size_t first, std::size_t last) {
        std::vector<Sum>& s = partSums[part];
        std::uint64_t error = 0;
        for (std::size_t i = first; i < last; ++i) {
            const Point p = points[i];
            if (p.sum.weight == 0) continue;
            const auto [k, d] = place(i, p.color);
            error += std::uint64_t(p.sum.weight) * d;
            s[k] += p.sum;
        }
        partError[part] = error;
    });
    sums.assign(entries, Sum{});
    std::uint64_t error = 0;
    for (std::size_t p = 0; p < parts; ++p) {
        error += partError[p];
        for (std::size_t k = 0; k < entries; ++k) sums[k] += partSums[p][k];
    }
    return error;
}

struct Placed {
    unsigned entry;
    std::uint32_t d;
};

// Cuts the points into at most means.size() boxes and returns how many it
// made: each box knows its best cut (of the three channels, the place where
// the two sides' squared error over all three channels is least), and the
// box whose cut lowers the error most is cut next. means[j] becomes the
// rounded mean of box j, boxOf[i] the box of point i.
std::size_t cutByGain(std::span<const Point> points, std::span<Rgb> means,
                      LargeVector<std::uint32_t>& boxOf);

}  // namespace kararisu::refining
