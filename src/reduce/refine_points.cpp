#include "reduce/refine_points.h"

#include <algorithm>

namespace kararisu::refining {

BinPoints binsOf(std::span<const ColorTally> tallies) {
    // The bins are summed a slab of reds at a time, in a table of one slab's
    // green × blue slots that stays in the cache; the slabs are shared
    // between the cores, and each slab is one run of the tallies when they
    // come in order of colour, as the survey gives them.
    auto byColor = [](const ColorTally& a, const ColorTally& b) { return a.color < b.color; };
    std::vector<ColorTally> ordered;
    if (!std::is_sorted(tallies.begin(), tallies.end(), byColor)) {
        ordered.assign(tallies.begin(), tallies.end());
        std::sort(ordered.begin(), ordered.end(), byColor);
        tallies = ordered;
    }
    constexpr std::size_t kSlabs = std::size_t{1} << kBinBits;
    constexpr std::size_t kSlabSlots = std::size_t{1} << (2 * kBinBits);
    std::vector<std::size_t> slabStart(kSlabs + 1);
    for (std::size_t slab = 0; slab <= kSlabs; ++slab) {
        const ColorTally bound{std::int32_t(slab << (16 + kBinShift)), 0};
        slabStart[slab] = std::size_t(
            std::lower_bound(tallies.begin(), tallies.end(), bound, byColor) - tallies.begin());
    }
    const std::size_t parts = partsFor(tallies.size());
    std::vector<LargeVector<Point>> found(parts);
    inParts(parts, kSlabs, [&](std::size_t part, std::size_t firstSlab, std::size_t lastSlab) {
        std::vector<Sum> slots(kSlabSlots);
        // Room for every bin the slabs can hold; only the pages used are backed.
        found[part].reserve(std::min(slabStart[lastSlab] - slabStart[firstSlab],
                                     (lastSlab - firstSlab) * kSlabSlots));
        for (std::size_t slab = firstSlab; slab < lastSlab; ++slab) {
            for (std::size_t i = slabStart[slab]; i < slabStart[slab + 1]; ++i) {
                const auto v = std::uint32_t(tallies[i].color);
                if (tallies[i].count > 0)
                    slots[slotOf(v) & (kSlabSlots - 1)] += sumOf(v, tallies[i].count);
            }
            for (Sum& s : slots) {
                if (s.weight == 0) continue;
                found[part].push_back({meanColor(s).value(), s});
                s = Sum{};
            }
        }
    });
    BinPoints out;
    std::size_t total = 0;
    for (const LargeVector<Point>& f : found) total += f.size();
    out.bins.reserve(total);
    for (const LargeVector<Point>& f : found) out.bins.insert(out.bins.end(), f.begin(), f.end());
    // A bin's rounded mean lies within the bin, so its slot is the bin's.
    out.binAt.assign(std::size_t{1} << (3 * kBinBits), 0);
    for (std::size_t i = 0; i < out.bins.size(); ++i)
        out.binAt[slotOf(out.bins[i].color)] = std::uint32_t(i);
    return out;
}

std::size_t cutByGain(std::span<const Point> points, std::span<Rgb> means,
                      LargeVector<std::uint32_t>& boxOf) {
    struct Box {
        std::size_t lo, hi;
        double gain = 0;  // how much the best cut lowers the squared error
        int channel = 0;
        int last = 0;  // the cut's lower side ends at this value of the channel
    };
    LargeVector<std::uint32_t> order(points.size()), scratch;
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = std::uint32_t(i);
    auto channel = [&](std::uint32_t i, int c) {
        return int((points[i].color >> (16 - 8 * c)) & 0xff);
    };
    // A counting sort: linear, and stable, so the order (hence the cut)
    // depends only on the points, never on the sort.
    auto sortBy = [&](std::size_t lo, std::size_t hi, int c) {
        std::size_t at[257] = {};
        for (std::size_t n = lo; n < hi; ++n) ++at[channel(order[n], c) + 1];
        for (int v = 0; v < 256; ++v) at[v + 1] += at[v];
        scratch.resize(hi - lo);
        for (std::size_t n = lo; n < hi; ++n) scratch[at[channel(order[n], c)]++] = order[n];
        std::copy(scratch.begin(), scratch.end(), order.begin() + std::ptrdiff_t(lo));
    };
    // The error of a box about its mean is Σ w·x² − |S|²/W per channel; a
    // cut lowers it by |S₁|²/W₁ + |S₂|²/W₂ − |S|²/W.
    auto norm = [](const double(&s)[3], double w) {
        return (s[0] * s[0] + s[1] * s[1] + s[2] * s[2]) / w;
    };
    // Each channel's best cut from a histogram of the box's sums by the
    // channel's value: no sort until a box is really cut.
    auto plan = [&](std::size_t lo, std::size_t hi) {
        Box box{lo, hi};
        if (hi - lo < 2) return box;
        Sum histogram[3][256];
        for (std::size_t n = lo; n < hi; ++n)
            for (int c = 0; c < 3; ++c) histogram[c][channel(order[n], c)] += points[order[n]].sum;
        Sum all;
        for (const Sum& h : histogram[0]) all += h;
        const double w = double(all.weight), s[3] = {double(all.r), double(all.g), double(all.b)};
        const double whole = norm(s, w);
        for (int c = 0; c < 3; ++c) {
            Sum below;
            for (int v = 0; v < 255; ++v) {
                if (histogram[c][v].weight == 0) continue;
                below += histogram[c][v];
                if (below.weight >= all.weight) break;
                const double w1 = double(below.weight);
                const double a[3] = {double(below.r), double(below.g), double(below.b)};
                const double rest[3] = {s[0] - a[0], s[1] - a[1], s[2] - a[2]};
                const double gain = norm(a, w1) + norm(rest, w - w1) - whole;
                if (gain > box.gain) box.gain = gain, box.channel = c, box.last = v;
            }
        }
        return box;
    };
    std::vector<Box> boxes;
    if (!points.empty() && !means.empty()) boxes.push_back(plan(0, order.size()));
    while (boxes.size() < means.size()) {
        std::size_t pick = 0;
        for (std::size_t b = 1; b < boxes.size(); ++b)
            if (boxes[b].gain > boxes[pick].gain) pick = b;
        const Box box = boxes[pick];
        if (box.gain <= 0) break;
        sortBy(box.lo, box.hi, box.channel);
        std::size_t cut = box.lo;
        while (channel(order[cut], box.channel) <= box.last) ++cut;
        boxes[pick] = plan(box.lo, cut);
        boxes.push_back(plan(cut, box.hi));
    }
    boxOf.resize(points.size());
    for (std::size_t j = 0; j < boxes.size(); ++j) {
        Sum s;
        for (std::size_t n = boxes[j].lo; n < boxes[j].hi; ++n) {
            s += points[order[n]].sum;
            boxOf[order[n]] = std::uint32_t(j);
        }
        means[j] = meanColor(s);
    }
    return boxes.size();
}

}  // namespace kararisu::refining
