#include "reduce/tally_order.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <condition_variable>
#include <mutex>
#include <new>

#include "support/parallel.h"

namespace kararisu {

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

// One step of the work-stack quicksort on [lo, hi]: median-of-three pivot
// from copies, then the partition. Gives the two ranges in the order they
// are pushed.
std::pair<SortRange, SortRange> partitionStep(ColorTally* a, std::ptrdiff_t lo, std::ptrdiff_t hi) {
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
    return {SortRange{j + 1, hi}, SortRange{lo, i - 1}};
}

std::size_t width(SortRange r) {
    return r.lo >= r.hi ? 0 : std::size_t(r.hi - r.lo + 1);
}

// The rest of the sort of one range with the work stack, except that
// ranges narrower than `leaf` are set aside in `unsorted` as they are
// reached. The stack has room reserved for one pair per element, more than
// the scheme can need (every pair on it but the top one covers elements no
// other pair covers, or is the empty right part of a step that set one
// element aside); `unsorted` has room for one range per two elements.
bool sortRange(ColorTally* a, SortRange whole, std::vector<SortRange>& stack, std::size_t leaf,
               std::vector<SortRange>& unsorted) {
    try {
        stack.push_back(whole);
        while (!stack.empty()) {
            const SortRange r = stack.back();
            stack.pop_back();
            if (r.lo >= r.hi) continue;
            if (width(r) < leaf) {
                unsorted.push_back(r);
                continue;
            }
            const auto [right, left] = partitionStep(a, r.lo, r.hi);
            stack.push_back(right);
            stack.push_back(left);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace

LuminanceOrder::~LuminanceOrder() {
    if (!packed_) return;
    for (ColorTally& t : a_) t = unpack(t, overflow_);
}

Outcome<void> LuminanceOrder::partition(WorkArea& work, std::size_t leaf) {
    const std::size_t n = a_.size();
    if (Outcome<void> got = work.reserve(overflow_, n / kPackedCounts + 16); !got) return got;
    ColorTally* const a = a_.data();
    for (std::size_t i = 0; i < n; ++i) a[i] = pack(a[i], overflow_);
    packed_ = true;
    // Each range is sorted by the same steps whichever thread takes it and
    // whenever, so the cores share the ranges: a large one is partitioned
    // once and its two parts go back to the pool, a small one is sorted to
    // the end by the thread that took it. The order is the one-thread order.
    const std::size_t parts = n >= (std::size_t{1} << 16) ? coreCount() : 1;
    const std::size_t large = std::max<std::size_t>(n / (8 * parts), 1 << 14);
    std::vector<std::vector<SortRange>> stacks(parts), unsorted(parts);
    for (std::size_t k = 0; k < parts; ++k) {
        if (Outcome<void> got = work.reserve(stacks[k], n + 2); !got) return got;
        if (leaf > 2)
            if (Outcome<void> got = work.reserve(unsorted[k], n / 2 + 1); !got) return got;
    }
    if (Outcome<void> got = work.reserve(stack_, leaf + 2); !got) return got;
    std::mutex lock;
    std::condition_variable changed;
    std::vector<SortRange> pool;
    // Every large partition adds at most two ranges, and there are fewer
    // large ranges than n / large at any depth: room for all of them.
    if (Outcome<void> got = work.reserve(pool, 64 * parts + 64); !got) return got;
    pool.push_back({0, std::ptrdiff_t(n) - 1});
    std::size_t partitioning = 0;  // threads splitting a large range just now
    std::atomic<bool> ok = true;
    auto worker = [&](std::size_t k, std::size_t, std::size_t) {
        for (;;) {
            SortRange r;
            {
                std::unique_lock<std::mutex> hold(lock);
                changed.wait(hold, [&] { return !pool.empty() || partitioning == 0; });
                if (pool.empty()) return;
                r = pool.back();
                pool.pop_back();
                if (width(r) >= large) ++partitioning;
            }
            if (width(r) < large) {
                if (!sortRange(a, r, stacks[k], leaf, unsorted[k])) ok = false;
                continue;
            }
            const auto [right, left] = partitionStep(a, r.lo, r.hi);
            // A part the pool has no room for is sorted here, after the lock
            // is let go, so the other threads are not kept waiting for it.
            std::array<SortRange, 2> unpooled{};
            std::size_t unpooledCount = 0;
            {
                std::lock_guard<std::mutex> hold(lock);
                for (SortRange q : {right, left}) {
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
                if (!sortRange(a, unpooled[i], stacks[k], leaf, unsorted[k])) ok = false;
            }
        }
    };
    inParts(parts, parts, worker);
    if (!ok) return work.refuse();

    // The pieces: the ranges left unsorted, and the runs of sorted
    // positions between them, each with the pixels in front of it.
    std::vector<SortRange> left;
    std::size_t total = 0;
    for (const auto& u : unsorted) total += u.size();
    if (Outcome<void> got = work.reserve(left, total); !got) return got;
    if (Outcome<void> got = work.reserve(pieces_, 2 * total + 2); !got) return got;
    for (const auto& u : unsorted) left.insert(left.end(), u.begin(), u.end());
    std::sort(left.begin(), left.end(),
              [](const SortRange& p, const SortRange& q) { return p.lo < q.lo; });
    std::size_t at = 0;
    for (const SortRange& r : left) {
        if (at < std::size_t(r.lo)) pieces_.push_back({at, 0, true});
        pieces_.push_back({std::size_t(r.lo), 0, false});
        at = std::size_t(r.hi) + 1;
    }
    if (at < n) pieces_.push_back({at, 0, true});
    pieces_.push_back({n, 0, true});
    std::int64_t pixels = 0;
    for (std::size_t p = 0; p + 1 < pieces_.size(); ++p) {
        pieces_[p].before = pixels;
        for (std::size_t i = pieces_[p].start; i < pieces_[p + 1].start; ++i) pixels += countAt(i);
    }
    pieces_.back().before = pixels;
    return {};
}

std::int64_t LuminanceOrder::countAt(std::size_t i) const {
    const auto lo = std::uint32_t(a_[i].color), hi = std::uint32_t(a_[i].count);
    if ((hi & 31) == kOverflow) return overflow_[lo].count;
    return std::int64_t((hi & 31) << 8 | lo >> 24);
}

std::size_t LuminanceOrder::pieceOf(std::size_t i) const {
    const auto after = std::upper_bound(pieces_.begin(), pieces_.end(), i,
                                        [](std::size_t v, const Piece& p) { return v < p.start; });
    return std::size_t(after - pieces_.begin()) - 1;
}

void LuminanceOrder::sortPiece(std::size_t p) {
    if (pieces_[p].sorted) return;
    // The piece is narrower than the stack's room: nothing is allocated.
    std::vector<SortRange> none;
    sortRange(a_.data(),
              {std::ptrdiff_t(pieces_[p].start), std::ptrdiff_t(pieces_[p + 1].start) - 1}, stack_,
              0, none);
    pieces_[p].sorted = true;
}

ColorTally LuminanceOrder::at(std::size_t i) {
    sortPiece(pieceOf(i));
    return unpack(a_[i], overflow_);
}

std::int64_t LuminanceOrder::countBefore(std::size_t i) {
    const std::size_t p = pieceOf(i);
    std::int64_t pixels = pieces_[p].before;
    if (pieces_[p].start == i) return pixels;
    sortPiece(p);
    for (std::size_t k = pieces_[p].start; k < i; ++k) pixels += countAt(k);
    return pixels;
}

std::size_t LuminanceOrder::reaching(std::int64_t pixels) {
    // The first piece boundary with that many pixels in front; the place
    // lies after the start of the piece before it.
    const auto boundary =
        std::lower_bound(pieces_.begin(), pieces_.end(), pixels,
                         [](const Piece& p, std::int64_t v) { return p.before < v; });
    if (boundary == pieces_.end()) return a_.size() + 1;
    if (boundary == pieces_.begin()) return 0;
    const std::size_t p = std::size_t(boundary - pieces_.begin()) - 1;
    sortPiece(p);
    std::size_t found = pieces_[p].start;
    for (std::int64_t sum = pieces_[p].before; sum < pixels;) sum += countAt(found++);
    return found;
}

Outcome<void> tallySort(std::span<ColorTally> tallies, WorkArea& work) {
    LuminanceOrder order(tallies);
    return order.partition(work, 0);
}

}  // namespace kararisu
