// The refinement of an adaptive mode's colours. Artwork has few colours
// that many pixels share, beside the blends of its edges: the k-means,
// which moves an entry to the mean of its colours, would spend an entry on
// a mix of an edge's two sides that nobody drew and pull a flat area's
// entry off its colour. So the exact colours that carry many pixels are
// also tried as fixed entries, the others refined around them; the palette
// of the two with the smaller error is kept (photos, with no such colours,
// are refined as ever).
//
// Dark colours weigh more: a night sky keeps its faint texture only with
// entries close together there.
#include <algorithm>
#include <limits>

#include "reduce/fixed_palettes.h"
#include "reduce/mcut.h"
#include "reduce/modes.h"
#include "reduce/refine.h"

namespace kararisu {

namespace {

// A colour carries many pixels when it alone has at least this share of
// what one entry stands for on average.
constexpr std::int64_t kHeavyShare = 2;

// The colours of the tally that carry many pixels, most first, at most
// half as many as there are entries to choose.
std::vector<Rgb> heavyColours(std::span<const ColorTally> tallies, std::size_t count) {
    std::int64_t total = 0;
    for (const ColorTally& t : tallies) total += std::max<std::int64_t>(t.count, 0);
    const std::int64_t least =
        std::max<std::int64_t>(total / (kHeavyShare * std::int64_t(count)), 2);
    std::vector<ColorTally> heavy;
    for (const ColorTally& t : tallies)
        if (t.count >= least) heavy.push_back(t);
    std::sort(heavy.begin(), heavy.end(), [](const ColorTally& a, const ColorTally& b) {
        return a.count != b.count ? a.count > b.count : a.color < b.color;
    });
    if (heavy.size() > count / 2) heavy.resize(count / 2);
    std::vector<Rgb> out;
    for (const ColorTally& t : heavy) out.push_back(Rgb::fromValue(std::uint32_t(t.color)));
    return out;
}

std::uint32_t distance2(Rgb a, Rgb b) {
    const int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
    return std::uint32_t(dr * dr + dg * dg + db * db);
}

// Entries [first, first + count) refined with the heavy colours fixed: each
// takes the place of the nearest entry not yet fixed (or of an entry that
// already is that colour), and only the others move.
void refineAround(std::span<const ColorTally> tallies, const std::vector<Rgb>& heavy,
                  std::vector<Rgb>& entries, std::size_t first, std::size_t count) {
    std::vector<bool> fixed(count, false);
    for (const Rgb& h : heavy) {
        std::size_t best = count;
        std::uint32_t bestDistance = UINT32_MAX;
        for (std::size_t j = 0; j < count; ++j) {
            if (fixed[j]) continue;
            const std::uint32_t d = distance2(entries[first + j], h);
            if (d < bestDistance) bestDistance = d, best = j;
        }
        if (best == count) break;
        entries[first + best] = h;
        fixed[best] = true;
    }
    // The moving entries first, the fixed ones after them, outside the
    // range refinePalette moves.
    std::vector<std::size_t> order;
    for (std::size_t j = 0; j < count; ++j)
        if (!fixed[j]) order.push_back(j);
    const std::size_t moving = order.size();
    for (std::size_t j = 0; j < count; ++j)
        if (fixed[j]) order.push_back(j);
    std::vector<Rgb> arranged = entries;
    for (std::size_t i = 0; i < count; ++i) arranged[first + i] = entries[first + order[i]];
    refinePalette(tallies, arranged, first, moving);
    for (std::size_t i = 0; i < count; ++i) entries[first + order[i]] = arranged[first + i];
}

}  // namespace

LargeVector<ColorTally> darkWeighted(std::span<const ColorTally> tallies) {
    constexpr float kDarkUpTo = 32.0f;
    constexpr float kBlackWeight = 9.0f;
    LargeVector<ColorTally> out(tallies.begin(), tallies.end());
    for (ColorTally& t : out) {
        if (t.count <= 0) continue;
        // Every weight of the luminance is at least 0.144, so a colour
        // whose channels sum to 223 or more is not dark: most of a photo's
        // colours are told so without working out their luminance.
        const auto c = std::uint32_t(t.color);
        const bool bright = ((c >> 16) & 0xff) + ((c >> 8) & 0xff) + (c & 0xff) >= 223;
        const float l = bright ? kDarkUpTo : luminance(c);
        const float weight = 1.0f + (kBlackWeight - 1.0f) * std::max(0.0f, 1.0f - l / kDarkUpTo);
        const auto quarters = std::int64_t(4.0f * weight + 0.5f);
        t.count = std::int32_t(std::min<std::int64_t>(std::int64_t(t.count) * quarters,
                                                      std::numeric_limits<std::int32_t>::max()));
    }
    return out;
}

void refineChosen(std::span<const ColorTally> pictureTallies, int mode, std::vector<Rgb>& chosen) {
    if (chosen.empty()) return;
    const LargeVector<ColorTally> weighted = darkWeighted(pictureTallies);
    const std::span<const ColorTally> tallies = weighted;
    const std::size_t first = modeInfo(mode).firstChosenEntry();
    const std::vector<Rgb> given = buildPalette(mode, chosen).entries();
    const std::size_t count = chosen.size();
    if (first + count > given.size()) return;
    std::vector<Rgb> entries = given;
    refinePalette(tallies, entries, first, count);
    const std::vector<Rgb> heavy = heavyColours(tallies, count);
    if (!heavy.empty()) {
        std::vector<Rgb> around = given;
        refineAround(tallies, heavy, around, first, count);
        if (paletteError(tallies, around) < paletteError(tallies, entries)) entries = around;
    }
    std::copy(entries.begin() + std::ptrdiff_t(first),
              entries.begin() + std::ptrdiff_t(first + count), chosen.begin());
}

}  // namespace kararisu
