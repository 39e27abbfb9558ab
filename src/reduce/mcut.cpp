#include "reduce/mcut.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "reduce/tally_order.h"

namespace kararisu {

float luminance(std::uint32_t colorValue) {
    const double r = (colorValue >> 16) & 0xff;
    const double g = (colorValue >> 8) & 0xff;
    const double b = colorValue & 0xff;
    return static_cast<float>(0.299 * r + 0.587 * g + 0.144 * b);
}

Outcome<void> colorValueSort(std::span<std::int32_t> values, WorkArea& work) {
    const std::size_t n = values.size();
    if (n < 256) {
        std::sort(values.begin(), values.end());
        return {};
    }
    std::vector<std::int32_t> scratch;
    if (Outcome<void> got = work.obtain(scratch, n); !got) return got;
    // Least significant byte first; the sign bit is flipped in the top pass
    // so that negative values sort before positive ones.
    std::int32_t* from = values.data();
    std::int32_t* to = scratch.data();
    for (int pass = 0; pass < 4; ++pass) {
        const int shift = pass * 8;
        const std::uint32_t flip = pass == 3 ? 0x80u : 0u;
        std::size_t counts[256] = {};
        for (std::size_t i = 0; i < n; ++i) {
            ++counts[((static_cast<std::uint32_t>(from[i]) >> shift) & 0xff) ^ flip];
        }
        if (counts[((static_cast<std::uint32_t>(from[0]) >> shift) & 0xff) ^ flip] == n) {
            continue;  // every value has the same byte here
        }
        std::size_t offset = 0;
        for (std::size_t& c : counts) {
            std::size_t here = c;
            c = offset;
            offset += here;
        }
        for (std::size_t i = 0; i < n; ++i) {
            to[counts[((static_cast<std::uint32_t>(from[i]) >> shift) & 0xff) ^ flip]++] = from[i];
        }
        std::swap(from, to);
    }
    if (from != values.data()) std::copy(from, from + n, values.data());
    return {};
}

namespace {

int channel(std::int32_t color, int shift) {
    return (color >> shift) & 0xff;
}

int channelDistance(std::int32_t p, std::int32_t q) {
    return (std::abs(channel(p, 16) - channel(q, 16)) + std::abs(channel(p, 8) - channel(q, 8)) +
            std::abs(channel(p, 0) - channel(q, 0))) /
           3;
}

// Drops one of two near-identical colours at one end of the luminance
// order: the one with fewer pixels, p on equal counts. The dark end is
// walked upward from the first colour, the bright end downward from the
// last; `inEnd` says whether a position still lies in that end.
template <typename InEnd>
void thin(std::span<ColorTally> t, std::ptrdiff_t first, std::ptrdiff_t step, int limit,
          InEnd inEnd) {
    for (std::ptrdiff_t p = first; inEnd(p); p += step) {
        for (std::ptrdiff_t q = p + step; inEnd(q); q += step) {
            if (t[q].count <= 0) continue;
            if (channelDistance(t[p].color, t[q].color) > limit) continue;
            if (t[p].count > t[q].count) {
                t[q].count = 0;
            } else {
                t[p].count = 0;
                break;
            }
        }
    }
}

// The colours the thinning kept, in luminance order: the thinned dark end,
// the middle of the order as it stands, the thinned bright end. Positions
// and pixel counts are asked for by place in that list.
class KeptColors {
  public:
    KeptColors(LuminanceOrder& order, std::size_t middleStart, std::size_t middleEnd,
               std::vector<ColorTally> dark, std::vector<ColorTally> bright)
        : order_(order),
          middleStart_(middleStart),
          middleEnd_(middleEnd),
          dark_(std::move(dark)),
          bright_(std::move(bright)) {
        std::erase_if(dark_, [](const ColorTally& t) { return t.count <= 0; });
        std::erase_if(bright_, [](const ColorTally& t) { return t.count <= 0; });
        darkBefore_ = sums(dark_);
        brightBefore_ = sums(bright_);
        middleBefore_ = order_.countBefore(middleStart_);
        middlePixels_ = order_.countBefore(middleEnd_) - middleBefore_;
    }

    std::size_t size() const { return dark_.size() + middle() + bright_.size(); }

    std::int32_t colorAt(std::size_t k) {
        if (k < dark_.size()) return dark_[k].color;
        k -= dark_.size();
        if (k < middle()) return order_.at(middleStart_ + k).color;
        return bright_[k - middle()].color;
    }

    // The pixels of the kept colours in front of place k.
    std::int64_t before(std::size_t k) {
        if (k <= dark_.size()) return darkBefore_[k];
        const std::int64_t dark = darkBefore_.back();
        k -= dark_.size();
        if (k <= middle()) return dark + order_.countBefore(middleStart_ + k) - middleBefore_;
        return dark + middlePixels_ + brightBefore_[k - middle()];
    }

    // The least k in [from, to] with before(k) >= pixels, or to + 1.
    std::size_t reaching(std::int64_t pixels, std::size_t from, std::size_t to) {
        const std::int64_t dark = darkBefore_.back();
        std::size_t found;
        if (pixels <= dark) {
            found = std::size_t(std::lower_bound(darkBefore_.begin(), darkBefore_.end(), pixels) -
                                darkBefore_.begin());
        } else if (pixels <= dark + middlePixels_) {
            found = dark_.size() + order_.reaching(pixels - dark + middleBefore_) - middleStart_;
        } else {
            const auto at = std::lower_bound(brightBefore_.begin(), brightBefore_.end(),
                                             pixels - dark - middlePixels_);
            found = at == brightBefore_.end()
                        ? size() + 1
                        : dark_.size() + middle() + std::size_t(at - brightBefore_.begin());
        }
        found = std::max(found, from);
        return found > to ? to + 1 : found;
    }

  private:
    std::size_t middle() const { return middleEnd_ - middleStart_; }
    static std::vector<std::int64_t> sums(const std::vector<ColorTally>& t) {
        std::vector<std::int64_t> before(t.size() + 1, 0);
        for (std::size_t i = 0; i < t.size(); ++i) before[i + 1] = before[i] + t[i].count;
        return before;
    }

    LuminanceOrder& order_;
    std::size_t middleStart_, middleEnd_;
    std::vector<ColorTally> dark_, bright_;
    std::vector<std::int64_t> darkBefore_, brightBefore_;
    std::int64_t middleBefore_ = 0, middlePixels_ = 0;
};

// How narrow the ranges are that the order leaves to be sorted when asked
// about: the cut asks about a few places in each of a few hundred runs.
constexpr std::size_t kUnsortedRanges = 512;

}  // namespace

Outcome<void> medianCut(std::int64_t pixelTotal, std::span<ColorTally> tallies,
                        std::span<Rgb> palette, WorkArea& work) {
    LuminanceOrder order(tallies);
    if (Outcome<void> sorted = order.partition(work, kUnsortedRanges); !sorted) return sorted;
    const std::size_t n = tallies.size();
    const std::size_t wanted = palette.size();

    std::vector<std::int32_t> bounds;
    if (Outcome<void> got = work.obtain(bounds, wanted + 2); !got) return got;
    // The order is ascending luminance: the dark end (below 10) is a prefix
    // of it, the bright end (above 260) a suffix. Both are thinned apart.
    std::vector<ColorTally> dark, bright;
    for (std::size_t i = 0; i < n; ++i) {
        const ColorTally t = order.at(i);
        if (luminance(std::uint32_t(t.color)) >= 10.0f) break;
        dark.push_back(t);
    }
    for (std::size_t i = n; i > dark.size(); --i) {
        const ColorTally t = order.at(i - 1);
        if (luminance(std::uint32_t(t.color)) <= 260.0f) break;
        bright.push_back(t);
    }
    std::reverse(bright.begin(), bright.end());
    const std::size_t middleStart = dark.size(), middleEnd = n - bright.size();
    thin(dark, 0, 1, 5, [&](std::ptrdiff_t p) { return p < std::ptrdiff_t(dark.size()); });
    thin(bright, std::ptrdiff_t(bright.size()) - 1, -1, 10,
         [](std::ptrdiff_t p) { return p >= 0; });
    KeptColors kept(order, middleStart, middleEnd, std::move(dark), std::move(bright));
    const std::size_t m = kept.size();
    if (m == 0) return {};  // nothing to choose from (no pixels at all)

    // Runs [bounds[k-1], bounds[k]); the first covers every kept colour and
    // carries the whole pixel count, dropped colours included.
    std::size_t runs = 1;
    bounds[0] = 0;
    bounds[1] = static_cast<std::int32_t>(m);
    std::int32_t lo = 0, hi = static_cast<std::int32_t>(m);
    std::int64_t total = pixelTotal;
    while (runs < wanted) {
        std::int32_t cut;
        if (hi - lo == 1) {
            cut = lo;  // an empty run in front of a single colour
        } else {
            // The first colour at which the run's pixels reach half its total
            // (or none: then hi).
            const std::int64_t half = (total + 1) / 2;
            const auto j = std::int32_t(kept.reaching(kept.before(std::size_t(lo)) + half,
                                                      std::size_t(lo) + 1, std::size_t(hi)) -
                                        1);
            cut = j == lo ? lo + 1 : j == hi ? hi - 1 : j;
        }
        bounds[runs + 1] = cut;
        std::span<std::int32_t> live(bounds.data(), runs + 2);
        if (Outcome<void> sorted = colorValueSort(live, work); !sorted) return sorted;
        ++runs;
        if (runs == wanted) break;
        // The widest run next, the last of equally wide ones.
        std::size_t widest = 1;
        for (std::size_t k = 1; k <= runs; ++k) {
            if (bounds[k] - bounds[k - 1] >= bounds[widest] - bounds[widest - 1]) widest = k;
        }
        lo = bounds[widest - 1];
        hi = bounds[widest];
        total = kept.before(std::size_t(hi)) - kept.before(std::size_t(lo));
    }

    for (std::size_t k = 1; k <= wanted; ++k) {
        const std::int32_t start = k <= runs ? bounds[k - 1] : 0;
        const std::int32_t width = k <= runs ? bounds[k] - start : 0;
        palette[k - 1] =
            Rgb::fromValue(std::uint32_t(kept.colorAt(std::size_t(start + width / 2))));
    }
    return {};
}

}  // namespace kararisu
