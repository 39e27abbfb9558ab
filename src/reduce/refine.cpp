#include "reduce/refine.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "reduce/fixed_palettes.h"
#include "support/parallel.h"
#include "worklists/color_match.h"

namespace kararisu {

// The rounds: one exact round on the whole tally (which also measures the
// palette given), then rounds on the colours gathered into bins of 4 × 4 × 4
// (a photo's million colours become some ten or hundred thousand bins, each
// with the exact sums of its colours), then an exact round again. The bin
// rounds stop in the nearest dip of the error; a second start, the bins cut
// into boxes by their spread, is settled as well and the better one kept.
// The last exact error is compared with the first: a palette the bins led
// astray is dropped, so the result is never worse than the one given.
namespace {

constexpr int kBinRounds = 24;
// A round that lowers the error by less than this share of it ends the bin
// rounds: later rounds would move the entries by fractions of a step.
constexpr std::uint64_t kSettleShare = 2000;
constexpr int kBinShift = 2;
// A start is given up once its error, less this many times its last fall,
// stays above the other start's settled error (tried from this round on).
constexpr std::uint64_t kBehind = 4;
constexpr int kBehindAfter = 2;

std::size_t partsFor(std::size_t colours) {
    return colours < (std::size_t{1} << 15) ? 1 : coreCount();
}

std::uint32_t distance2(Rgb a, std::uint32_t v) {
    const Rgb c = Rgb::fromValue(v);
    const int dr = int(a.r) - c.r, dg = int(a.g) - c.g, db = int(a.b) - c.b;
    return std::uint32_t(dr * dr + dg * dg + db * db);
}

struct Sum {
    std::int64_t r = 0, g = 0, b = 0, weight = 0;
    void operator+=(const Sum& o) { r += o.r, g += o.g, b += o.b, weight += o.weight; }
};

Sum sumOf(std::uint32_t v, std::int64_t w) {
    return {w * std::int64_t((v >> 16) & 0xff), w * std::int64_t((v >> 8) & 0xff),
            w * std::int64_t(v & 0xff), w};
}

std::uint8_t meanOf(std::int64_t sum, std::int64_t weight) {
    return std::uint8_t((2 * sum + weight) / (2 * weight));
}

// A weighted colour: where it is, and what it adds to its entry's sums.
struct Point {
    std::uint32_t color;
    Sum sum;
};

struct TallyPoints {
    std::span<const ColorTally> tallies;
    std::size_t size() const { return tallies.size(); }
    Point operator[](std::size_t i) const {
        const auto v = std::uint32_t(tallies[i].color);
        return {v, sumOf(v, std::max<std::int64_t>(tallies[i].count, 0))};
    }
};

constexpr int kBinBits = 8 - kBinShift;

std::size_t slotOf(std::uint32_t v) {
    return (((v >> 16) & 0xff) >> kBinShift) << (2 * kBinBits) |
           (((v >> 8) & 0xff) >> kBinShift) << kBinBits | ((v & 0xff) >> kBinShift);
}

// The tally's colours gathered by their top bits: each bin stands at the
// rounded mean of its colours and carries their exact sums.
struct BinPoints {
    std::vector<Point> bins;
    std::vector<std::uint32_t> binAt;  // by slot
    std::size_t size() const { return bins.size(); }
    const Point& operator[](std::size_t i) const { return bins[i]; }
    std::size_t binOf(std::uint32_t v) const { return binAt[slotOf(v)]; }
};

BinPoints binsOf(std::span<const ColorTally> tallies) {
    std::vector<Sum> dense(std::size_t{1} << (3 * kBinBits));
    for (const ColorTally& t : tallies)
        if (t.count > 0)
            dense[slotOf(std::uint32_t(t.color))] += sumOf(std::uint32_t(t.color), t.count);
    BinPoints out;
    out.binAt.assign(dense.size(), 0);
    for (std::size_t slot = 0; slot < dense.size(); ++slot) {
        const Sum& s = dense[slot];
        if (s.weight == 0) continue;
        const Rgb mean{meanOf(s.r, s.weight), meanOf(s.g, s.weight), meanOf(s.b, s.weight)};
        out.binAt[slot] = std::uint32_t(out.bins.size());
        out.bins.push_back({mean.value(), s});
    }
    return out;
}

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

// An exact nearest-entry search that starts from a guess: each entry's
// others are listed nearest first, and an entry j with |j − k| > |v − k| +
// best cannot beat the best found, nor can any after it in k's list. A
// colour within half the gap from its guess to the guess's nearest other
// entry needs no search at all. With a good guess (the entry of the round
// before) this is cheaper than building a matcher for every round.
class NearestFrom {
  public:
    NearestFrom() = default;
    explicit NearestFrom(std::span<const Rgb> entries) { update(entries); }

    // Takes the entries' new places. The lists keep their order from the
    // round before, in which they are nearly sorted already, so an
    // insertion sort puts them right at little cost.
    void update(std::span<const Rgb> entries) {
        const std::size_t n = entries.size();
        if (entries_.size() != n) {
            keys_.clear();
            neighbours_.clear();
        }
        entries_.assign(entries.begin(), entries.end());
        half_.assign(n, 0.0f);
        if (n < 2) return;
        const bool fresh = keys_.empty();
        keys_.resize(n * (n - 1));
        neighbours_.resize(n * (n - 1));
        // Each entry's list is its own: the cores share the entries.
        const std::size_t parts = n < 64 ? 1 : coreCount();
        inParts(parts, n, [&](std::size_t, std::size_t from, std::size_t to) {
            for (std::size_t k = from; k < to; ++k) sortNeighbours(entries, k, fresh);
        });
    }

    float half(unsigned k) const { return half_[k]; }

    // The nearest entry to v, from the guess k. On return d and up are the
    // squared and plain distances to it, low a lower bound for any other.
    unsigned nearest(std::uint32_t v, unsigned k, std::uint32_t& d, float& up, float& low) const {
        d = distance2(entries_[k], v);
        up = std::sqrt(float(d));
        if (up <= half_[k]) {
            low = 2 * half_[k] - up;
            return k;
        }
        return search(v, k, d, up, low);
    }

    // As nearest, with d and up already those of entry k.
    unsigned search(std::uint32_t v, unsigned k, std::uint32_t& d, float& up, float& low) const {
        const std::size_t n = entries_.size();
        low = std::numeric_limits<float>::max();
        if (n < 2) return k;
        const Neighbour* list = neighbours_.data() + k * (n - 1);
        const float fromK = up;
        unsigned best = k;
        float bestDistance = up;
        std::uint32_t second = UINT32_MAX;
        for (std::size_t m = 0; m + 1 < n; ++m) {
            if (list[m].gap > fromK + bestDistance) {
                low = list[m].gap - fromK;
                break;
            }
            const unsigned j = list[m].index;
            const std::uint32_t dj = distance2(entries_[j], v);
            if (dj < d || (dj == d && j < best)) {
                second = d;
                d = dj;
                best = j;
                bestDistance = std::sqrt(float(dj));
            } else {
                second = std::min(second, dj);
            }
        }
        if (second != UINT32_MAX) low = std::min(low, std::sqrt(float(second)));
        up = bestDistance;
        return best;
    }

  private:
    // Lists entry k's others nearest first.
    void sortNeighbours(std::span<const Rgb> entries, std::size_t k, bool fresh) {
        const std::size_t n = entries.size();
        // Squared gap above the index: ties go by index.
        std::uint64_t* keys = keys_.data() + k * (n - 1);
        for (std::size_t m = 0, j = 0; m + 1 < n; ++m, ++j) {
            if (fresh) {
                if (j == k) ++j;
            } else {
                j = keys[m] & 0xffffffffu;
            }
            keys[m] = std::uint64_t(distance2(entries[j], entries[k].value())) << 32 | j;
        }
        for (std::size_t m = 1; m + 1 < n; ++m) {
            const std::uint64_t key = keys[m];
            std::size_t at = m;
            for (; at > 0 && keys[at - 1] > key; --at) keys[at] = keys[at - 1];
            keys[at] = key;
        }
        Neighbour* list = neighbours_.data() + k * (n - 1);
        for (std::size_t m = 0; m + 1 < n; ++m)
            list[m] = {std::sqrt(float(keys[m] >> 32)), std::uint32_t(keys[m] & 0xffffffffu)};
        half_[k] = 0.5f * list[0].gap;
    }

    struct Neighbour {
        float gap;
        std::uint32_t index;
    };
    std::vector<Rgb> entries_;
    std::vector<float> half_;
    std::vector<std::uint64_t> keys_;
    std::vector<Neighbour> neighbours_;
};

// The bins' entries across rounds, kept with two bounds per bin (the
// distance to its entry from above, to any other from below) so that a bin
// whose entry plainly stays nearest is not searched again.
class BinAssignment {
  public:
    BinAssignment(const BinPoints& bins, std::span<const Rgb> entries)
        : bins_(bins),
          entries_(entries),
          entry_(bins.size()),
          upper_(bins.size()),
          lower_(bins.size()) {}

    // The first round, from a guess of each bin's entry.
    template <typename Guess>
    std::uint64_t first(std::vector<Sum>& sums, Guess guess) {
        from_.update(entries_);
        const NearestFrom& from = from_;
        return assignAll(bins_, entries_.size(), sums, [&](std::size_t i, std::uint32_t v) {
            std::uint32_t d = 0;
            const unsigned k = from.nearest(v, guess(i, v), d, upper_[i], lower_[i]);
            entry_[i] = std::uint8_t(k);
            return Placed{k, d};
        });
    }

    // A later round, after entry k moved by moved[k].
    std::uint64_t next(std::vector<Sum>& sums, const std::vector<float>& moved) {
        const float most = *std::max_element(moved.begin(), moved.end());
        from_.update(entries_);
        const NearestFrom& from = from_;
        return assignAll(bins_, entries_.size(), sums, [&](std::size_t i, std::uint32_t v) {
            unsigned k = entry_[i];
            float up = upper_[i] + moved[k];
            float low = lower_[i] - most;
            std::uint32_t d = distance2(entries_[k], v);
            const float bound = std::max(from.half(k), low);
            if (up > bound) {
                up = std::sqrt(float(d));
                if (up > bound) k = from.search(v, k, d, up, low);
            }
            entry_[i] = std::uint8_t(k);
            upper_[i] = up;
            lower_[i] = low;
            return Placed{k, d};
        });
    }

    unsigned entryOf(std::size_t i) const { return entry_[i]; }

  private:
    const BinPoints& bins_;
    std::span<const Rgb> entries_;  // the caller's, moved between rounds
    std::vector<std::uint8_t> entry_;
    std::vector<float> upper_, lower_;
    NearestFrom from_;
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

// Cuts the bins into `count` boxes, always the box with the largest
// squared error, across its widest-spread channel where the two halves' error
// is least; entry first + j becomes the mean of box j. boxOf gets each bin's
// entry.
void cutByVariance(const BinPoints& bins, std::vector<Rgb>& entries, std::size_t first,
                   std::size_t count, std::vector<std::uint32_t>& boxOf) {
    struct Box {
        std::size_t lo, hi;
        double error;
    };
    std::vector<std::uint32_t> order(bins.size()), scratch;
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = std::uint32_t(i);
    auto channel = [&](std::uint32_t i, int c) {
        return int((bins[i].color >> (16 - 8 * c)) & 0xff);
    };
    // Squared error of a box about its mean, per channel and in all.
    auto spread = [&](std::size_t lo, std::size_t hi, double(&per)[3]) {
        double w = 0, s[3] = {0, 0, 0}, q[3] = {0, 0, 0};
        for (std::size_t n = lo; n < hi; ++n) {
            const double wt = double(bins[order[n]].sum.weight);
            w += wt;
            for (int c = 0; c < 3; ++c) {
                const double x = channel(order[n], c);
                s[c] += wt * x;
                q[c] += wt * x * x;
            }
        }
        double all = 0;
        for (int c = 0; c < 3; ++c) all += per[c] = w > 0 ? q[c] - s[c] * s[c] / w : 0;
        return all;
    };
    std::vector<Box> boxes;
    double per[3];
    boxes.push_back({0, order.size(), spread(0, order.size(), per)});
    while (boxes.size() < count) {
        std::size_t pick = 0;
        for (std::size_t b = 1; b < boxes.size(); ++b)
            if (boxes[b].error > boxes[pick].error) pick = b;
        const Box box = boxes[pick];
        if (box.hi - box.lo < 2 || box.error <= 0) break;
        spread(box.lo, box.hi, per);
        const int c = per[0] >= per[1] && per[0] >= per[2] ? 0 : per[1] >= per[2] ? 1 : 2;
        // A counting sort on the channel: linear, and stable, so the order
        // (hence the cut) depends only on the bins, never on the sort.
        {
            std::size_t at[257] = {};
            for (std::size_t n = box.lo; n < box.hi; ++n) ++at[channel(order[n], c) + 1];
            for (int v = 0; v < 256; ++v) at[v + 1] += at[v];
            scratch.resize(box.hi - box.lo);
            for (std::size_t n = box.lo; n < box.hi; ++n)
                scratch[at[channel(order[n], c)]++] = order[n];
            std::copy(scratch.begin(), scratch.end(), order.begin() + std::ptrdiff_t(box.lo));
        }
        // The cut along c with the least error of the two sides on c.
        double wAll = 0, sAll = 0;
        for (std::size_t n = box.lo; n < box.hi; ++n) {
            wAll += double(bins[order[n]].sum.weight);
            sAll += double(bins[order[n]].sum.weight) * channel(order[n], c);
        }
        double w = 0, sum = 0, best = -1;
        std::size_t cut = box.lo + 1;
        for (std::size_t n = box.lo; n + 1 < box.hi; ++n) {
            w += double(bins[order[n]].sum.weight);
            sum += double(bins[order[n]].sum.weight) * channel(order[n], c);
            // Between-sides spread; the larger it is, the less is left inside.
            const double between = sum * sum / w + (sAll - sum) * (sAll - sum) / (wAll - w);
            if (between > best) {
                best = between;
                cut = n + 1;
            }
        }
        boxes[pick] = {box.lo, cut, spread(box.lo, cut, per)};
        boxes.push_back({cut, box.hi, spread(cut, box.hi, per)});
    }
    for (std::size_t j = 0; j < boxes.size(); ++j) {
        Sum s;
        for (std::size_t n = boxes[j].lo; n < boxes[j].hi; ++n) {
            s += bins[order[n]].sum;
            boxOf[order[n]] = std::uint32_t(first + j);
        }
        entries[first + j] =
            Rgb{meanOf(s.r, s.weight), meanOf(s.g, s.weight), meanOf(s.b, s.weight)};
    }
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

    // The palette given, measured and moved once.
    const ColorMatcher matcher{Palette(entries)};
    auto nearestGiven = [&](std::uint32_t v) { return matcher.nearest(v); };
    report.before = report.last = exactRound(tallies, entries, nearestGiven, sums);
    report.rounds = 1;
    if (report.before == 0) return report;
    moveEntries(all, sums, entries, first, count,
                [&](std::size_t, std::uint32_t v) { return nearestGiven(v); });

    const BinPoints bins = binsOf(tallies);
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
    // spread is settled too, and the better of the two kept. The cut goes
    // first: it usually wins, and then the other start is soon given up.
    const std::vector<Rgb> moved = entries;
    BinAssignment byCut(bins, entries), byGiven(bins, entries);
    std::uint64_t cutError = UINT64_MAX;
    std::vector<Rgb> cutEntries;
    if (bins.size() >= 2 * count) {
        std::vector<std::uint32_t> boxOf(bins.size());
        cutByVariance(bins, entries, first, count, boxOf);
        cutError = settle(
            byCut, [&](std::size_t i, std::uint32_t) { return boxOf[i]; }, UINT64_MAX);
        cutEntries = entries;
        std::copy(moved.begin(), moved.end(), entries.begin());
    }
    // The bins start from the entries their colours had.
    const std::uint64_t givenError = settle(
        byGiven, [&](std::size_t, std::uint32_t v) { return nearestGiven(v); }, cutError);
    const BinAssignment* kept = &byGiven;
    if (cutError < givenError) {
        std::copy(cutEntries.begin(), cutEntries.end(), entries.begin());
        kept = &byCut;
    }

    // Measured exactly again, each colour searched from its bin's entry.
    const NearestFrom from(entries);
    auto nearest = [&](std::uint32_t v) {
        std::uint32_t d = 0;
        float up = 0, low = 0;
        return from.nearest(v, kept->entryOf(bins.binOf(v)), d, up, low);
    };
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

void refineChosen(std::span<const ColorTally> tallies, int mode, std::vector<Rgb>& chosen) {
    if (chosen.empty()) return;
    const std::size_t first = mode == 1 ? 10 : (mode == 2 || mode == 26) ? 8 : 0;
    std::vector<Rgb> entries = buildPalette(mode, chosen).entries();
    if (first + chosen.size() > entries.size()) return;
    refinePalette(tallies, entries, first, chosen.size());
    std::copy(entries.begin() + std::ptrdiff_t(first),
              entries.begin() + std::ptrdiff_t(first + chosen.size()), chosen.begin());
}

}  // namespace kararisu
