#include "reduce/mcut.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <new>
#include <thread>

#include "support/parallel.h"

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

// The sort works on the tallies' own memory: each tally is packed, in
// place, with its luminance as sort key. Luminance is never negative and
// none but black's lies below 0.125, so the bit patterns of the floats from
// 0.125 up, less that of 0.125, keep their order in 27 bits (black is 0).
// The packed tally holds the key in the top 27 bits of its count field and
// beside it either the colour with a count below kPackedCounts, or (the
// mark kOverflow) the place in a side list of the tally itself: colours
// with more pixels than that are few, at most one in kPackedCounts pixels.
constexpr std::uint32_t kOverflow = 31;
constexpr std::uint32_t kPackedCounts = kOverflow << 8;

std::uint32_t keyOf(const ColorTally& packed) {
    return std::uint32_t(packed.count) >> 5;
}

std::uint32_t luminanceKey(std::uint32_t colorValue) {
    const float l = luminance(colorValue);
    return l == 0.0f ? 0
                     : std::bit_cast<std::uint32_t>(l) - std::bit_cast<std::uint32_t>(0.125f) + 1;
}

ColorTally pack(const ColorTally& t, LargeVector<ColorTally>& overflow) {
    const std::uint32_t key = luminanceKey(std::uint32_t(t.color)) << 5;
    const auto color = std::uint32_t(t.color), count = std::uint32_t(t.count);
    if (count < kPackedCounts && color >> 24 == 0)
        return {std::int32_t(color | (count & 0xff) << 24), std::int32_t(key | count >> 8)};
    overflow.push_back(t);
    return {std::int32_t(overflow.size() - 1), std::int32_t(key | kOverflow)};
}

ColorTally unpack(const ColorTally& packed, const LargeVector<ColorTally>& overflow) {
    const auto lo = std::uint32_t(packed.color), hi = std::uint32_t(packed.count);
    if ((hi & 31) == kOverflow) return overflow[lo];
    return {std::int32_t(lo & 0xffffff), std::int32_t((hi & 31) << 8 | lo >> 24)};
}

struct Range {
    std::ptrdiff_t lo, hi;  // inclusive; empty when lo >= hi
};

// One step of the work-stack quicksort on [lo, hi]: median-of-three pivot
// from copies, then the partition. Gives the two ranges in the order they
// are pushed.
std::pair<Range, Range> partitionStep(ColorTally* a, std::ptrdiff_t lo, std::ptrdiff_t hi) {
    std::uint32_t x = keyOf(a[(lo + hi) / 2]), y = keyOf(a[lo]), z = keyOf(a[hi]);
    if (x < y) std::swap(x, y);
    if (x > z) {
        std::swap(x, z);
        if (x < y) std::swap(x, y);
    }
    const std::uint32_t pivot = x;
    std::ptrdiff_t i = lo - 1, j = hi + 1;
    // The partition pairs, in order, the elements from the left that are not
    // below the pivot with those from the right that are not above it, and
    // swaps each pair until they cross. Long ranges find those elements a
    // block at a time without branching on each comparison, then swap the
    // same pairs; the classic loop below takes over from the state after the
    // last swap, so the result is the classic loop's exactly.
    constexpr std::ptrdiff_t kBlock = 64;
    if (hi - lo > 4 * kBlock) {
        std::ptrdiff_t leftStops[kBlock], rightStops[kBlock];
        std::ptrdiff_t nl = 0, fl = 0, nr = 0, fr = 0;
        std::ptrdiff_t nextLeft = lo, nextRight = hi;  // first unexamined from each side
        for (;;) {
            if (fl == nl) {
                if (nextLeft + kBlock > nextRight - (fr == nr ? kBlock : 0)) break;
                fl = nl = 0;
                for (std::ptrdiff_t t = 0; t < kBlock; ++t) {
                    leftStops[nl] = nextLeft + t;
                    nl += keyOf(a[nextLeft + t]) >= pivot;
                }
                nextLeft += kBlock;
            }
            if (fr == nr) {
                if (nextRight - kBlock < nextLeft) break;
                fr = nr = 0;
                for (std::ptrdiff_t t = 0; t < kBlock; ++t) {
                    rightStops[nr] = nextRight - t;
                    nr += keyOf(a[nextRight - t]) <= pivot;
                }
                nextRight -= kBlock;
            }
            bool crossed = false;
            while (fl < nl && fr < nr) {
                const std::ptrdiff_t l = leftStops[fl], r = rightStops[fr];
                if (l >= r) {
                    crossed = true;
                    break;
                }
                std::swap(a[l], a[r]);
                i = l, j = r;
                ++fl, ++fr;
            }
            if (crossed) break;
        }
    }
    for (;;) {
        do ++i;
        while (pivot > keyOf(a[i]));
        do --j;
        while (pivot < keyOf(a[j]));
        if (j <= i) break;
        std::swap(a[i], a[j]);
    }
    return {Range{j + 1, hi}, Range{lo, i - 1}};
}

// The rest of the sort of one range with the work stack. The stack has
// room reserved for one pair per element, more than the scheme can need
// (every pair on it but the top one covers elements no other pair covers,
// or is the empty right part of a step that set one element aside).
bool sortRange(ColorTally* a, Range whole, std::vector<Range>& stack) {
    try {
        stack.push_back(whole);
        while (!stack.empty()) {
            const Range r = stack.back();
            stack.pop_back();
            if (r.lo >= r.hi) continue;
            const auto [right, left] = partitionStep(a, r.lo, r.hi);
            stack.push_back(right);
            stack.push_back(left);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

std::size_t width(Range r) {
    return r.lo >= r.hi ? 0 : std::size_t(r.hi - r.lo + 1);
}

}  // namespace

Outcome<void> tallySort(std::span<ColorTally> tallies, WorkArea& work) {
    const std::size_t n = tallies.size();
    LargeVector<ColorTally> overflow;
    if (Outcome<void> got = work.reserve(overflow, n / kPackedCounts + 16); !got) return got;
    ColorTally* const a = tallies.data();
    for (std::size_t i = 0; i < n; ++i) a[i] = pack(a[i], overflow);
    // A refused work area leaves the tallies as they came.
    auto unpackAll = [&] {
        for (std::size_t i = 0; i < n; ++i) a[i] = unpack(a[i], overflow);
    };
    // Each range is sorted by the same steps whichever thread takes it and
    // whenever, so the cores share the ranges: a large one is partitioned
    // once and its two parts go back to the pool, a small one is sorted to
    // the end by the thread that took it. The order is the one-thread order.
    const std::size_t parts = n >= (std::size_t{1} << 16) ? coreCount() : 1;
    const std::size_t large = std::max<std::size_t>(n / (8 * parts), 1 << 14);
    std::vector<std::vector<Range>> stacks(parts);
    for (auto& stack : stacks) {
        if (Outcome<void> got = work.reserve(stack, n + 2); !got) {
            unpackAll();
            return got;
        }
    }
    std::mutex lock;
    std::condition_variable changed;
    std::vector<Range> pool;
    // Every large partition adds at most two ranges, and there are fewer
    // large ranges than n / large at any depth: room for all of them.
    if (Outcome<void> got = work.reserve(pool, 64 * parts + 64); !got) {
        unpackAll();
        return got;
    }
    pool.push_back({0, std::ptrdiff_t(n) - 1});
    std::size_t partitioning = 0;  // threads splitting a large range just now
    std::atomic<bool> ok = true;
    auto worker = [&](std::size_t k, std::size_t, std::size_t) {
        for (;;) {
            Range r;
            {
                std::unique_lock<std::mutex> hold(lock);
                changed.wait(hold, [&] { return !pool.empty() || partitioning == 0; });
                if (pool.empty()) return;
                r = pool.back();
                pool.pop_back();
                if (width(r) >= large) ++partitioning;
            }
            if (width(r) < large) {
                if (!sortRange(a, r, stacks[k])) ok = false;
                continue;
            }
            const auto [right, left] = partitionStep(a, r.lo, r.hi);
            // A part the pool has no room for is sorted here, after the lock
            // is let go, so the other threads are not kept waiting for it.
            std::array<Range, 2> unpooled{};
            std::size_t unpooledCount = 0;
            {
                std::lock_guard<std::mutex> hold(lock);
                for (Range q : {right, left}) {
                    if (width(q) <= 1) continue;
                    if (pool.size() < pool.capacity()) {
                        pool.push_back(q);
                    } else {
                        unpooled[unpooledCount++] = q;
                    }
                }
                --partitioning;
            }
            changed.notify_all();
            for (std::size_t i = 0; i < unpooledCount; ++i) {
                if (!sortRange(a, unpooled[i], stacks[k])) ok = false;
            }
        }
    };
    inParts(parts, parts, worker);
    unpackAll();
    if (!ok) return work.refuse();
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

}  // namespace

Outcome<void> medianCut(std::int64_t pixelTotal, std::span<ColorTally> tallies,
                        std::span<Rgb> palette, WorkArea& work) {
    if (Outcome<void> sorted = tallySort(tallies, work); !sorted) return sorted;
    const std::size_t n = tallies.size();
    const std::size_t wanted = palette.size();

    std::vector<std::int32_t> bounds;
    if (Outcome<void> got = work.obtain(bounds, wanted + 2); !got) return got;
    // The tallies are in ascending luminance: the dark end (below 10) is a
    // prefix of them, the bright end (above 260) a suffix.
    std::ptrdiff_t darkEnd = 0, brightStart = static_cast<std::ptrdiff_t>(n);
    while (std::size_t(darkEnd) < n &&
           luminance(static_cast<std::uint32_t>(tallies[std::size_t(darkEnd)].color)) < 10.0f)
        ++darkEnd;
    while (brightStart > 0 && luminance(static_cast<std::uint32_t>(
                                  tallies[std::size_t(brightStart - 1)].color)) > 260.0f)
        --brightStart;
    const auto last = static_cast<std::ptrdiff_t>(n) - 1;
    thin(tallies, 0, 1, 5, [&](std::ptrdiff_t p) { return p < darkEnd; });
    thin(tallies, last, -1, 10, [&](std::ptrdiff_t p) { return p >= brightStart; });

    // The kept tallies move to the front in their order; the dropped ones
    // end up behind them.
    std::size_t m = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (tallies[i].count > 0) std::swap(tallies[m++], tallies[i]);
    }
    if (m == 0) return {};  // nothing to choose from (no pixels at all)
    const std::span<const ColorTally> kept = tallies.first(m);

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
            const std::int64_t half = (total + 1) / 2;
            std::int64_t sum = 0;
            std::int32_t j = lo;
            for (; j < hi; ++j) {
                sum += kept[j].count;
                if (sum >= half) break;
            }
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
        total = 0;
        for (std::int32_t j = lo; j < hi; ++j) total += kept[j].count;
    }

    for (std::size_t k = 1; k <= wanted; ++k) {
        const std::int32_t start = k <= runs ? bounds[k - 1] : 0;
        const std::int32_t width = k <= runs ? bounds[k] - start : 0;
        palette[k - 1] = Rgb::fromValue(static_cast<std::uint32_t>(kept[start + width / 2].color));
    }
    return {};
}

}  // namespace kararisu
