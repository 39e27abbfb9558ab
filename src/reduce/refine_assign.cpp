#include "reduce/refine_assign.h"

#include <limits>

namespace kararisu::refining {

void NearestFrom::update(std::span<const Rgb> entries) {
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

unsigned NearestFrom::search(std::uint32_t v, unsigned k, std::uint32_t& d, float& up,
                             float& low) const {
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

void NearestFrom::candidates(std::uint32_t c, unsigned k, float reach,
                             std::vector<std::uint8_t>& out) const {
    const std::size_t n = entries_.size();
    const std::size_t at = out.size();
    // A hair over the bound, so that rounding never drops an entry.
    const float limit = std::sqrt(float(distance2(entries_[k], c))) + 2 * reach + 0.01f;
    out.push_back(std::uint8_t(k));
    const Neighbour* list = neighbours_.data() + k * (n - 1);
    // |k − j| ≤ |k − c| + |c − j|: the list can stop at twice the limit.
    for (std::size_t m = 0; m + 1 < n && list[m].gap <= 2 * limit; ++m)
        if (float(distance2(entries_[list[m].index], c)) <= limit * limit)
            out.push_back(std::uint8_t(list[m].index));
    std::sort(out.begin() + std::ptrdiff_t(at), out.end());
}

void NearestFrom::sortNeighbours(std::span<const Rgb> entries, std::size_t k, bool fresh) {
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

// Each search starts from the answer for the bin before it (the bins go in
// order of their colours' top bits, so neighbours are near). The chains
// restart every kChain bins, so the answers (ties included) do not depend
// on how the work is cut between the cores.
LargeVector<unsigned> nearestOfBins(const BinPoints& bins, const NearestFrom& from) {
    constexpr std::size_t kChain = 4096;
    LargeVector<unsigned> nearest(bins.size());
    const std::size_t chains = (bins.size() + kChain - 1) / kChain;
    if (chains == 0) return nearest;
    const std::size_t parts = std::clamp<std::size_t>(partsFor(bins.size()), 1, chains);
    inParts(parts, chains, [&](std::size_t, std::size_t firstChain, std::size_t lastChain) {
        for (std::size_t c = firstChain; c < lastChain; ++c) {
            unsigned k = 0;
            for (std::size_t i = c * kChain; i < std::min(bins.size(), (c + 1) * kChain); ++i) {
                std::uint32_t d = 0;
                float up = 0, low = 0;
                nearest[i] = k = from.nearest(bins[i].color, k, d, up, low);
            }
        }
    });
    return nearest;
}

}  // namespace kararisu::refining
