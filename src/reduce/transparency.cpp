#include "reduce/transparency.h"

#include <algorithm>
#include <vector>

namespace kararisu {

namespace {

// The colours of the transparent pixels with their counts, ascending.
struct TransparentTallies {
    LargeVector<ColorTally> tallies;
    std::int64_t pixels = 0;
};

Outcome<TransparentTallies> transparentTallies(const Bitmap& image, WorkArea& work) {
    TransparentTallies r;
    LargeVector<ColorTally>& out = r.tallies;
    std::int64_t& count = r.pixels;
    if (!image.hasTransparency() || image.isEmpty()) return r;
    const std::size_t w = std::size_t(image.width());
    std::vector<std::uint8_t> clear(w);
    std::vector<std::uint32_t> colours(w);
    for (int y = 0; y < image.height(); ++y) {
        image.readTransparency(y, clear.data());
        for (const std::uint8_t c : clear) count += c;
    }
    if (count == 0) return r;
    LargeVector<std::int32_t> values;
    if (Outcome<void> got = work.obtain(values, std::size_t(count)); !got) return got.problem();
    std::size_t at = 0;
    for (int y = 0; y < image.height(); ++y) {
        image.readTransparency(y, clear.data());
        image.readColorValues(y, colours.data());
        for (std::size_t x = 0; x < w; ++x)
            if (clear[x]) values[at++] = std::int32_t(colours[x]);
    }
    if (Outcome<void> sorted = colorValueSort(values, work); !sorted) return sorted.problem();
    for (std::size_t i = 0; i < values.size();) {
        std::size_t j = i;
        while (j < values.size() && values[j] == values[i]) ++j;
        out.push_back({values[i], std::int32_t(j - i)});
        i = j;
    }
    return r;
}

// The commonest colour; of equally common ones, the lowest value.
Rgb commonest(std::span<const ColorTally> tallies) {
    const ColorTally* best = &tallies.front();
    for (const ColorTally& t : tallies)
        if (t.count > best->count) best = &t;
    return Rgb::fromValue(std::uint32_t(best->color));
}

}  // namespace

unsigned transparentEntryOf(int mode, int colorCount) {
    const unsigned last = unsigned(std::max(colorCount, 1)) - 1;
    switch (mode) {
        case 0:
        case 4:
        case 25:
            return last;
        case 1:
            return 10 + last;
        case 2:
        case 26:
            return 8 + last;
        case 3:
            return 15;
        default:
            break;
    }
    // The scales: 256 levels, 236 or 240 beside the system colours, 16.
    static constexpr unsigned kLast[4] = {255, 245, 247, 15};
    return kLast[(mode - 5) % 4];
}

Outcome<OpaqueSurvey> surveyOpaque(const Bitmap& image, std::span<const ColorTally> all, int mode,
                                   int colorCount, WorkArea& work) {
    OpaqueSurvey out;
    const Outcome<TransparentTallies> found = transparentTallies(image, work);
    if (!found) return found.problem();
    if (found->pixels == 0) return out;
    const LargeVector<ColorTally>& clear = found->tallies;
    out.clear = TransparentEntry{transparentEntryOf(mode, colorCount), commonest(clear)};
    out.pixels = std::int64_t{image.width()} * image.height() - found->pixels;
    if (Outcome<void> got = work.reserve(out.tallies, all.size()); !got) return got.problem();
    // Both lists ascend, and every transparent colour is among all.
    std::size_t j = 0;
    for (const ColorTally& t : all) {
        while (j < clear.size() && clear[j].color < t.color) ++j;
        const std::int32_t left =
            j < clear.size() && clear[j].color == t.color ? t.count - clear[j].count : t.count;
        if (left > 0) out.tallies.push_back({t.color, left});
    }
    return out;
}

Outcome<std::optional<TransparentEntry>> transparentEntryFor(const Bitmap& image, int mode,
                                                             int colorCount, WorkArea& work) {
    const Outcome<TransparentTallies> found = transparentTallies(image, work);
    if (!found) return found.problem();
    std::optional<TransparentEntry> entry;
    if (found->pixels > 0)
        entry = TransparentEntry{transparentEntryOf(mode, colorCount), commonest(found->tallies)};
    return entry;
}

Palette withoutEntry(const Palette& palette, unsigned index) {
    std::vector<Rgb> entries = palette.entries();
    if (index < entries.size()) entries.erase(entries.begin() + std::ptrdiff_t(index));
    return Palette(std::move(entries));
}

void placeTransparentEntry(const Bitmap& image, Bitmap& result, Palette palette,
                           const TransparentEntry& clear) {
    std::vector<std::uint8_t> transparent(std::size_t(image.width()));
    for (int y = 0; y < result.height(); ++y) {
        image.readTransparency(y, transparent.data());
        for (int x = 0; x < result.width(); ++x) {
            const unsigned k = result.index(x, y);
            result.setIndex(x, y,
                            transparent[std::size_t(x)] ? clear.index : k + (k >= clear.index));
        }
    }
    if (palette.size() <= clear.index) palette.resize(clear.index + 1);
    palette.set(clear.index, clear.colour);
    result.setPaletteEntries(std::move(palette));
    result.setTransparentEntry(clear.index);
}

}  // namespace kararisu
