// The refinement of a palette that will be dithered. The k-means puts each
// entry at the mean of the colours nearest to it, so the entries at the
// edges of the picture's colours sit inside them: an error diffusion cannot
// reach the picture's most saturated, darkest and brightest colours, and
// their error piles up and smears. Here the picture is diffused onto the
// palette (a sample of its rows), and each entry moves by half the mean
// error its pixels were given: where the errors around an entry cancel it
// stays, where they all push one way (outwards, at the edges of the
// colours) it follows them. Half, because the errors change as the entries
// move, and a whole step overshoots. Of the palettes on the way, the one
// whose diffusion leaves the least error in the means of small blocks is
// kept.
#include <algorithm>
#include <cmath>

#include "reduce/dither_tables.h"
#include "reduce/fixed_palettes.h"
#include "reduce/modes.h"
#include "reduce/refine.h"
#include "support/parallel.h"
#include "worklists/color_match.h"

namespace kararisu {

namespace {

using dithering::Demand;

constexpr int kRounds = 2;
// The sample: bands of kSampleRows rows spread evenly over the picture,
// some kSamplePixels in all (a quarter megapixel gives each of 256 entries
// a thousand pixels).
constexpr int kSampleRows = 16;
constexpr std::int64_t kSamplePixels = std::int64_t{1} << 18;

std::uint8_t movedBy(std::uint8_t value, std::int64_t given, std::int64_t pixels) {
    const double step = double(given) / double(2 * pixels);
    return std::uint8_t(std::clamp<long>(value + std::lround(step), 0, 255));
}

}  // namespace

void refineForDither(const Bitmap& image, int mode, std::vector<Rgb>& chosen, Dither method) {
    if (chosen.empty() || image.isEmpty()) return;
    if (method != Dither::FloydSteinberg && method != Dither::Auto) return;
    const ModeInfo& info = modeInfo(mode);
    const std::size_t first = info.firstChosenEntry();
    std::vector<Rgb> entries = buildPalette(info.matchingMode, chosen).entries();
    const std::size_t count = chosen.size();
    if (first + count > entries.size()) return;
    const int h = image.height();
    const int bands = std::max(1, h / kSampleRows);
    const std::int64_t pixels = std::int64_t(image.width()) * h;
    const int every = int(std::clamp<std::int64_t>(pixels / kSamplePixels, 1, bands));
    const int sampled = (bands + every - 1) / every;
    // What a diffusion of the sample onto the entries gives; each part sums
    // its own bands, and whole numbers joined in order give the same sums
    // however the bands were shared.
    auto sample = [&](const std::vector<Rgb>& onto) {
        const ColorMatcher matcher{Palette(onto)};
        const dithering::NearestTable colours(matcher);
        const dithering::CellTable cells(colours);
        const std::size_t parts = std::min<std::size_t>(coreCount(), std::size_t(sampled));
        std::vector<dithering::SampleSums> sums(parts);
        for (dithering::SampleSums& part : sums) part.demand.resize(onto.size());
        inParts(parts, std::size_t(sampled), [&](std::size_t part, std::size_t b0, std::size_t b1) {
            for (std::size_t b = b0; b < b1; ++b) {
                const int y0 = int(b) * every * kSampleRows, y1 = std::min(h, y0 + kSampleRows);
                if (method == Dither::Auto) {
                    dithering::adaptiveDiffusionSample(image, onto, cells, y0, y1, sums[part]);
                } else {
                    dithering::floydSteinbergSample(image, onto, cells, y0, y1, sums[part]);
                }
            }
        });
        dithering::SampleSums total;
        total.demand.resize(onto.size());
        for (const dithering::SampleSums& part : sums) {
            total.blockError += part.blockError;
            for (std::size_t k = 0; k < onto.size(); ++k) {
                for (int ch = 0; ch < 3; ++ch)
                    total.demand[k].given[ch] += part.demand[k].given[ch];
                total.demand[k].pixels += part.demand[k].pixels;
            }
        }
        return total;
    };
    // The entries move round by round; the palette kept is the one whose
    // diffusion the eye sees nearest to the picture, the entries as given
    // among them: on a smooth gradient that a k-means already covers, the
    // moves only overshoot.
    std::vector<Rgb> best = entries;
    std::int64_t bestError = INT64_MAX;
    for (int round = 0;; ++round) {
        const dithering::SampleSums sums = sample(entries);
        if (sums.blockError < bestError) bestError = sums.blockError, best = entries;
        if (round == kRounds) break;
        for (std::size_t k = first; k < first + count; ++k) {
            const Demand& d = sums.demand[k];
            if (d.pixels == 0) continue;
            entries[k] = Rgb{movedBy(entries[k].r, d.given[0], d.pixels),
                             movedBy(entries[k].g, d.given[1], d.pixels),
                             movedBy(entries[k].b, d.given[2], d.pixels)};
        }
    }
    std::copy(best.begin() + std::ptrdiff_t(first), best.begin() + std::ptrdiff_t(first + count),
              chosen.begin());
}

}  // namespace kararisu
