#include "reduce/refine.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

#include "reduce/refine_assign.h"
#include "reduce/refine_points.h"
#include "worklists/color_match.h"

namespace kararisu {

using namespace refining;

// The rounds: one exact round on the whole tally (which also measures the
// palette given), then rounds on the colours gathered into bins of 4 × 4 × 4
// (a photo's million colours become some ten or hundred thousand bins, each
// with the exact sums of its colours), then an exact round again; the exact
// rounds measure each colour against the few entries that can be nearest to
// anything in its bin. The bin rounds stop in the nearest dip of the error,
// so where they start matters: from the bins cut into boxes by their spread,
// and for small palettes also from the palette given, the better kept; small
// palettes then try swapping entries between clusters. The last exact error
// is compared with the first: a palette the bins led astray is dropped, so
// the result is never worse than the one given.
namespace {

constexpr int kBinRounds = 24;
// A round that lowers the error by less than this share of it ends the bin
// rounds: later rounds would move the entries by fractions of a step.
constexpr std::uint64_t kSettleShare = 2000;
// A start is given up once its error, less this many times its last fall,
// stays above the other start's settled error (tried from this round on).
constexpr std::uint64_t kBehind = 4;
constexpr int kBehindAfter = 2;
// Palettes of at most this many entries try swaps, at most kSwapTrials.
constexpr std::size_t kSwapMost = 32;
constexpr int kSwapTrials = 8;

struct TallyPoints {
    std::span<const ColorTally> tallies;
    std::size_t size() const { return tallies.size(); }
    Point operator[](std::size_t i) const {
        const auto v = std::uint32_t(tallies[i].color);
        return {v, sumOf(v, std::max<std::int64_t>(tallies[i].count, 0))};
    }
};

// The exact round: every colour of the tally to its nearest entry.
template <typename Nearest>
std::uint64_t exactRound(std::span<const ColorTally> tallies, std::span<const Rgb> entries,
                         Nearest nearest, std::vector<Sum>& sums) {
    return assignAll(TallyPoints{tallies}, entries.size(), sums, [&](std::size_t, std::uint32_t v) {
        const unsigned k = nearest(v);
        return Placed{k, distance2(entries[k], v)};
    });
}

struct Worst {
    std::uint64_t error;
    std::size_t index;
    // Larger errors first, then earlier points: one order whatever the parts.
    bool operator<(const Worst& o) const {
        return error != o.error ? error > o.error : index < o.index;
    }
};

// The `wanted` points with the largest errors (weight × squared distance to
// entryOf(i) of the palette measured), worst first; only points with an
// error.
template <typename Points, typename EntryOf>
std::vector<Worst> worstPoints(const Points& points, std::span<const Rgb> measured,
                               std::size_t wanted, EntryOf entryOf) {
    const std::size_t parts = partsFor(points.size());
    std::vector<std::vector<Worst>> found(parts);
    inParts(parts, points.size(), [&](std::size_t part, std::size_t first, std::size_t last) {
        // A heap whose top is the least bad of the kept ones.
        std::vector<Worst>& heap = found[part];
        for (std::size_t i = first; i < last; ++i) {
            const Point p = points[i];
            const std::uint64_t e =
                std::uint64_t(p.sum.weight) * distance2(measured[entryOf(i, p.color)], p.color);
            if (e == 0) continue;
            const Worst w{e, i};
            if (heap.size() < wanted) {
                heap.push_back(w);
                std::push_heap(heap.begin(), heap.end());
            } else if (w < heap.front()) {
                std::pop_heap(heap.begin(), heap.end());
                heap.back() = w;
                std::push_heap(heap.begin(), heap.end());
            }
        }
    });
    std::vector<Worst> all;
    for (const auto& f : found) all.insert(all.end(), f.begin(), f.end());
    std::sort(all.begin(), all.end());
    if (all.size() > wanted) all.resize(wanted);
    return all;
}

// Moves each free entry to the rounded mean of its points: the nearest whole
// colour to the mean, so its share of the error can only fall. Entries
// without points take the worst points' colours. Returns how far each
// entry moved.
template <typename Points, typename EntryOf>
std::vector<float> moveEntries(const Points& points, const std::vector<Sum>& sums,
                               std::vector<Rgb>& entries, std::size_t first, std::size_t count,
                               EntryOf entryOf) {
    const std::vector<Rgb> measured = entries;
    std::vector<std::size_t> empty;
    for (std::size_t k = first; k < first + count; ++k) {
        const Sum& s = sums[k];
        if (s.weight == 0) {
            empty.push_back(k);
            continue;
        }
        entries[k] = Rgb{meanOf(s.r, s.weight), meanOf(s.g, s.weight), meanOf(s.b, s.weight)};
    }
    if (!empty.empty()) {
        const std::vector<Worst> worst = worstPoints(points, measured, empty.size(), entryOf);
        for (std::size_t j = 0; j < worst.size(); ++j)
            entries[empty[j]] = Rgb::fromValue(points[worst[j].index].color);
    }
    std::vector<float> moved(entries.size(), 0.0f);
    for (std::size_t k = 0; k < entries.size(); ++k)
        moved[k] = std::sqrt(float(distance2(measured[k], entries[k].value())));
    return moved;
}

// A swap: entry `dropped` leaves its colours to their next-nearest entries
// and, with entry `split`, takes one half each of split's colours.
struct Swap {
    std::size_t dropped, split;
    Rgb halves[2];
};

// The free entry whose colours lose least by going to their next-nearest
// entries, and the free entry whose colours gain most from a cut in two.
std::optional<Swap> planSwap(const BinPoints& bins, std::span<const Rgb> entries, std::size_t first,
                             std::size_t count, const BinAssignment& assignment) {
    const std::size_t n = entries.size();
    std::vector<double> loss(n, 0.0), error(n, 0.0);
    std::vector<std::vector<Point>> members(n);
    for (std::size_t i = 0; i < bins.size(); ++i) {
        const Point& p = bins[i];
        const unsigned k = assignment.entryOf(i);
        const std::uint32_t d = distance2(entries[k], p.color);
        std::uint32_t next = UINT32_MAX;
        for (std::size_t j = 0; j < n; ++j)
            if (j != k) next = std::min(next, distance2(entries[j], p.color));
        loss[k] += double(p.sum.weight) * double(next - d);
        error[k] += double(p.sum.weight) * double(d);
        members[k].push_back(p);
    }
    std::size_t dropped = first;
    for (std::size_t k = first; k < first + count; ++k)
        if (loss[k] < loss[dropped]) dropped = k;
    std::optional<Swap> best;
    double bestGain = 0;
    LargeVector<std::uint32_t> halfOf;
    for (std::size_t k = first; k < first + count; ++k) {
        Rgb halves[2];
        if (k == dropped || cutByGain(members[k], halves, halfOf) < 2) continue;
        double after = 0;
        for (const Point& p : members[k])
            after += double(p.sum.weight) *
                     double(std::min(distance2(halves[0], p.color), distance2(halves[1], p.color)));
        if (error[k] - after > bestGain) {
            bestGain = error[k] - after;
            best = Swap{dropped, k, {halves[0], halves[1]}};
        }
    }
    return best;
}

}  // namespace

std::uint64_t paletteError(std::span<const ColorTally> tallies, std::span<const Rgb> entries) {
    if (entries.empty() || tallies.empty()) return 0;
    const ColorMatcher matcher{Palette(std::vector<Rgb>(entries.begin(), entries.end()))};
    std::vector<Sum> sums;
    return exactRound(
        tallies, entries, [&](std::uint32_t v) { return matcher.nearest(v); }, sums);
}

RefineReport refinePalette(std::span<const ColorTally> tallies, std::vector<Rgb>& entries,
                           std::size_t first, std::size_t count) {
    RefineReport report;
    if (first >= entries.size() || entries.size() > Palette::kMaxEntries) return report;
    count = std::min(count, entries.size() - first);
    if (count == 0 || tallies.empty()) return report;
    const TallyPoints all{tallies};
    const std::vector<Rgb> given = entries;
    std::vector<Sum> sums;

    // The palette given, measured and moved once: each colour against the
    // entries that can be nearest to its bin.
    const BinPoints bins = binsOf(tallies);
    // One search serves every step: its lists take a megabyte at 256 entries.
    NearestFrom near(entries);
    const LargeVector<unsigned> givenOf = nearestOfBins(bins, near);
    const BinCandidates givenCandidates(bins, near, [&](std::size_t i) { return givenOf[i]; });
    auto nearestGiven = [&](std::uint32_t v) { return givenCandidates.nearest(v); };
    report.before = report.last = exactRound(tallies, entries, nearestGiven, sums);
    report.rounds = 1;
    if (report.before == 0) return report;
    moveEntries(all, sums, entries, first, count,
                [&](std::size_t, std::uint32_t v) { return nearestGiven(v); });

    // Rounds until the error settles, ending with the palette measured. The
    // falls shrink quickly as the entries settle, so a start whose error,
    // less kBehind times its last fall, is still above `rival`'s will not
    // catch up: it is given up (UINT64_MAX) instead of run to the end.
    auto settle = [&](BinAssignment& assignment, auto guess, std::uint64_t rival) {
        std::vector<float> moved;
        std::uint64_t previous = UINT64_MAX;
        for (int round = 0;; ++round) {
            const std::uint64_t error =
                round == 0 ? assignment.first(sums, guess) : assignment.next(sums, moved);
            ++report.rounds;
            if (error == 0 || round + 1 == kBinRounds) return error;
            if (previous != UINT64_MAX) {
                const std::uint64_t fall = previous - std::min(previous, error);
                if (fall <= previous / kSettleShare) return error;
                if (round >= kBehindAfter && error - std::min(error, kBehind * fall) > rival)
                    return UINT64_MAX;
            }
            previous = error;
            moved =
                moveEntries(bins, sums, entries, first, count,
                            [&](std::size_t i, std::uint32_t) { return assignment.entryOf(i); });
        }
    };
    // The rounds stop in the nearest dip, which from the median cut's
    // palette is often a shallow one: a palette cut from the bins by their
    // spread usually settles lower. The cut goes first, so that when the
    // palette given is settled too it can be given up as soon as it is
    // clearly behind.
    const std::vector<Rgb> moved = entries;
    BinAssignment byCut(bins, entries, near);
    std::optional<BinAssignment> byGiven;
    std::uint64_t cutError = UINT64_MAX;
    std::vector<Rgb> cutEntries;
    if (bins.size() >= 2 * count) {
        LargeVector<std::uint32_t> boxOf;
        cutByGain(bins.bins, std::span(entries).subspan(first, count), boxOf);
        cutError = settle(
            byCut, [&](std::size_t i, std::uint32_t) { return unsigned(first + boxOf[i]); },
            UINT64_MAX);
        cutEntries = entries;
        std::copy(moved.begin(), moved.end(), entries.begin());
    }
    // The bins start from the entries their colours had. Past a few dozen
    // entries the cut's start has won by far on every picture tried, so
    // only small palettes, or bins too few to cut, settle this one too.
    std::uint64_t givenError = UINT64_MAX;
    if (cutError == UINT64_MAX || entries.size() <= kSwapMost) {
        byGiven.emplace(bins, entries, near);
        givenError = settle(
            *byGiven, [&](std::size_t i, std::uint32_t) { return givenOf[i]; }, cutError);
    }
    const BinAssignment* kept = byGiven ? &*byGiven : &byCut;
    if (cutError < givenError) {
        std::copy(cutEntries.begin(), cutEntries.end(), entries.begin());
        kept = &byCut;
    }

    // Small palettes often settle where one entry does little while another
    // stands for colours two would serve much better: a swap moves the one
    // into the other's colours and settles again. It is kept only when the
    // error falls; the first that does not ends the swaps.
    std::uint64_t keptError = std::min(cutError, givenError);
    std::vector<std::unique_ptr<BinAssignment>> swapped;
    for (int trial = 0; trial < kSwapTrials && entries.size() <= kSwapMost && keptError > 0;
         ++trial) {
        const std::optional<Swap> swap = planSwap(bins, entries, first, count, *kept);
        if (!swap) break;
        const std::vector<Rgb> before = entries;
        entries[swap->split] = swap->halves[0];
        entries[swap->dropped] = swap->halves[1];
        swapped.push_back(std::make_unique<BinAssignment>(bins, entries, near));
        const BinAssignment& from = *kept;
        const std::uint64_t error = settle(
            *swapped.back(), [&](std::size_t i, std::uint32_t) { return from.entryOf(i); },
            keptError);
        if (error >= keptError) {
            entries = before;
            break;
        }
        keptError = error;
        kept = swapped.back().get();
    }

    // Measured exactly again, each colour against its bin's candidates.
    near.update(entries);
    const BinCandidates candidates(bins, near, [&](std::size_t i) { return kept->entryOf(i); });
    auto nearest = [&](std::uint32_t v) { return candidates.nearest(v); };
    const std::uint64_t error = exactRound(tallies, entries, nearest, sums);
    ++report.rounds;
    if (error > report.before) {
        entries = given;
        return report;
    }
    report.last = error;
    if (error > 0)
        moveEntries(all, sums, entries, first, count,
                    [&](std::size_t, std::uint32_t v) { return nearest(v); });
    return report;
}

}  // namespace kararisu