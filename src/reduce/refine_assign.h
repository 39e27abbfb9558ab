#pragma once
// Finding each point's nearest entry round after round, cheaply: the
// entries move little between rounds, so the entry a point had is a good
// guess and bounds from the round before often settle it without a search.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "reduce/refine_points.h"

namespace kararisu::refining {

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
    void update(std::span<const Rgb> entries);

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
    unsigned search(std::uint32_t v, unsigned k, std::uint32_t& d, float& up, float& low) const;

    Rgb entry(unsigned k) const { return entries_[k]; }

    // Appends to `out`, in index order, every entry that can be nearest to
    // a colour within `reach` of c: with |v − c| ≤ reach, an entry j with
    // |c − j| > |c − k| + 2·reach is farther from v than k is. The nearer k
    // is to c, the shorter the list.
    void candidates(std::uint32_t c, unsigned k, float reach, std::vector<std::uint8_t>& out) const;

  private:
    // Lists entry k's others nearest first.
    void sortNeighbours(std::span<const Rgb> entries, std::size_t k, bool fresh);

    struct Neighbour {
        float gap;
        std::uint32_t index;
    };
    std::vector<Rgb> entries_;
    std::vector<float> half_;
    std::vector<std::uint64_t> keys_;
    std::vector<Neighbour> neighbours_;
};

// Each bin's nearest entry.
LargeVector<unsigned> nearestOfBins(const BinPoints& bins, const NearestFrom& from);

// The bins' entries across rounds, kept with two bounds per bin (the
// distance to its entry from above, to any other from below) so that a bin
// whose entry plainly stays nearest is not searched again.
class BinAssignment {
  public:
    // `from` is the refinement's search, shared by every assignment (its
    // lists are large): each round brings it up to the entries' places.
    BinAssignment(const BinPoints& bins, std::span<const Rgb> entries, NearestFrom& from)
        : bins_(bins),
          entries_(entries),
          entry_(bins.size()),
          upper_(bins.size()),
          lower_(bins.size()),
          from_(from) {}

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
    LargeVector<std::uint8_t> entry_;
    LargeVector<float> upper_, lower_;
    NearestFrom& from_;
};

// For each bin, the entries that can be nearest to some colour in it, in
// index order: an exact round then measures a colour against a handful of
// entries instead of walking its guess's neighbours. Ties go to the lowest
// index, as in the matcher.
class BinCandidates {
  public:
    // entryOf(i): an entry near bin i's point (the nearer, the fewer
    // candidates).
    template <typename EntryOf>
    BinCandidates(const BinPoints& bins, const NearestFrom& from, EntryOf entryOf)
        : bins_(bins), from_(from), start_(bins.size() + 1) {
        const std::size_t n = bins.size(), parts = partsFor(n);
        std::vector<std::vector<std::uint8_t>> lists(parts);
        inParts(parts, n, [&](std::size_t part, std::size_t first, std::size_t last) {
            for (std::size_t i = first; i < last; ++i) {
                start_[i] = std::uint32_t(lists[part].size());
                from.candidates(bins[i].color, entryOf(i), reachOf(bins[i].color), lists[part]);
            }
        });
        // The parts' lists end to end, as inParts cut the bins.
        std::uint32_t offset = 0;
        for (std::size_t part = 0; part < parts; ++part) {
            for (std::size_t i = n * part / parts; i < n * (part + 1) / parts; ++i)
                start_[i] += offset;
            offset += std::uint32_t(lists[part].size());
            list_.insert(list_.end(), lists[part].begin(), lists[part].end());
        }
        start_[n] = offset;
    }

    unsigned nearest(std::uint32_t v) const {
        const std::size_t i = bins_.binOf(v);
        unsigned best = 0;
        std::uint32_t bestDistance = UINT32_MAX;
        for (std::uint32_t at = start_[i]; at < start_[i + 1]; ++at) {
            const std::uint32_t d = distance2(from_.entry(list_[at]), v);
            if (d < bestDistance) bestDistance = d, best = list_[at];
        }
        return best;
    }

  private:
    // How far a colour of the bin can be from the bin's point c: to the
    // farthest corner of the bin's cube, which holds c.
    static float reachOf(std::uint32_t c) {
        constexpr int kSide = (1 << kBinShift) - 1;
        int sum = 0;
        for (int shift : {16, 8, 0}) {
            const int x = int((c >> shift) & 0xff), low = x >> kBinShift << kBinShift;
            const int far = std::max(x - low, low + kSide - x);
            sum += far * far;
        }
        return std::sqrt(float(sum));
    }

    const BinPoints& bins_;
    const NearestFrom& from_;
    LargeVector<std::uint32_t> start_;
    std::vector<std::uint8_t> list_;
};

}  // namespace kararisu::refining
