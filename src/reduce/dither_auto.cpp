// The error diffusion that dithers only where it helps. Full-strength
// diffusion everywhere turns the palette's small, smooth errors into noise
// on flat areas, and drags an edge's error over to its other side. Here each
// pixel's strength comes from the picture itself: where the picture is
// smooth (it departs little from the mean of its eight neighbours), the
// nearest entry's error would show as bands and is passed on; where it is
// busy (edges, texture), the error is noise the eye does not see, and the
// strength falls to nothing. A pixel whose colour the palette holds takes
// its entry and passes nothing on, so flat areas of the palette's own
// colours stay clean. Serpentine rows and clamped colours as in
// Floyd–Steinberg's.
#include <array>
#include <cstdlib>

#include "reduce/dither_tables.h"

namespace kararisu::dithering {

namespace {

// Strength in 256ths: full up to kSmooth of departure from the
// neighbours' mean (in levels, over the three channels), none from kBusy
// on.
constexpr int kSmooth = 2;
constexpr int kBusy = 8;
// Of a smooth pixel's error three quarters are passed on (in 256ths): the
// rest would come back as noise around the gradient's bands.
constexpr int kKeep = 192;
// The most error a channel takes in, so that a colour the palette cannot
// reach does not gather error without end.
constexpr int kMostIn = 48;

struct Rows {
    std::vector<std::uint32_t> above, here, below;
};

// How far each pixel of the middle row departs from the mean of its eight
// neighbours, over the three channels (edges of the picture repeat their
// pixels): the neighbours' sum is the three columns' sums less the pixel.
// The loops run over plain arrays without a choice inside, so the compiler
// works them several pixels at a time.
void departures(const Rows& rows, std::vector<int> (&columns)[3], std::vector<int>& out) {
    const std::size_t w = rows.here.size();
    const std::uint32_t* above = rows.above.data();
    const std::uint32_t* here = rows.here.data();
    const std::uint32_t* below = rows.below.data();
    for (int ch = 0; ch < 3; ++ch) {
        const int shift = 16 - 8 * ch;
        int* column = columns[ch].data();
        for (std::size_t x = 0; x < w; ++x)
            column[x] =
                channelOf(above[x], shift) + channelOf(here[x], shift) + channelOf(below[x], shift);
    }
    const int* reds = columns[0].data();
    const int* greens = columns[1].data();
    const int* blues = columns[2].data();
    int* depart = out.data();
    // Sums of the absolute values are not negative: eighths by a shift.
    auto at = [&](std::size_t x, std::size_t l, std::size_t r) {
        const std::uint32_t c = here[x];
        const int total = std::abs(9 * channelOf(c, 16) - reds[l] - reds[x] - reds[r]) +
                          std::abs(9 * channelOf(c, 8) - greens[l] - greens[x] - greens[r]) +
                          std::abs(9 * channelOf(c, 0) - blues[l] - blues[x] - blues[r]);
        return (total + 4) >> 3;
    };
    depart[0] = at(0, 0, std::min<std::size_t>(1, w - 1));
    for (std::size_t x = 1; x + 1 < w; ++x) depart[x] = at(x, x - 1, x + 1);
    if (w > 1) depart[w - 1] = at(w - 1, w - 2, w - 1);
}

// The strength for a departure: 256 up to kSmooth, falling in a straight
// line to none at kBusy. The division by kBusy - kSmooth is done by a
// multiplication and a shift, which the compiler works several pixels at a
// time; the two agree on every departure.
constexpr int strengthOf(int departure) {
    return std::clamp(((kBusy - departure) * 683) >> 4, 0, 256);
}
static_assert(kBusy - kSmooth == 6, "strengthOf divides by 6");
static_assert([] {
    for (int d = 0; d <= 3 * 255; ++d)
        if (strengthOf(d) != std::clamp(256 * (kBusy - d) / (kBusy - kSmooth), 0, 256))
            return false;
    return true;
}());

constexpr int kNone[3] = {0, 0, 0};

// The pixels' writer is a copy of its own, so that the compiler keeps it
// in registers past the stores of the pixels.
template <typename Pixels>
void diffuse(const Bitmap& image, const std::vector<Rgb>& pal, const CellTable& nearest, int first,
             int last, Pixels pixels) {
    const int w = image.width(), h = image.height();
    const bool masked = image.hasTransparency();
    const PaletteColours held(pal);
    Rows rows{std::vector<std::uint32_t>(std::size_t(w)),
              std::vector<std::uint32_t>(std::size_t(w)),
              std::vector<std::uint32_t>(std::size_t(w))};
    std::vector<std::uint8_t> clear(std::size_t(w), 0);
    std::vector<int> strength(std::size_t(w), 0);
    std::vector<int> columns[3] = {std::vector<int>(std::size_t(w)),
                                   std::vector<int>(std::size_t(w)),
                                   std::vector<int>(std::size_t(w))};
    // Errors in sixteenths, three per pixel, with a pixel of room either side.
    std::vector<int> cur(3 * std::size_t(w + 2), 0), next(3 * std::size_t(w + 2), 0);
    const int start = std::max(0, first - kWarmRows);
    image.readColorValues(std::max(start - 1, 0), rows.above.data());
    image.readColorValues(start, rows.here.data());
    for (int y = start; y < last; ++y) {
        const bool write = y >= first;
        image.readColorValues(std::min(y + 1, h - 1), rows.below.data());
        if (masked) image.readTransparency(y, clear.data());
        departures(rows, columns, strength);
        for (std::size_t x = 0; x < std::size_t(w); ++x)
            strength[x] = clear[x] ? 0 : strengthOf(strength[x]);
        if (write) pixels.row(y);
        const int dir = (y & 1) ? -1 : 1;
        int x = dir > 0 ? 0 : w - 1;
        for (int n = 0; n < w; ++n, x += dir) {
            const std::uint32_t c = rows.here[std::size_t(x)];
            const int src[3] = {channelOf(c, 16), channelOf(c, 8), channelOf(c, 0)};
            const int s = strength[std::size_t(x)];
            // Transparent and busy pixels take their nearest entry and
            // pass nothing on.
            if (s == 0) {
                if (write)
                    pixels.take(x, nearest(src[0], src[1], src[2]), !clear[std::size_t(x)], kNone);
                continue;
            }
            int* e = cur.data() + 3 * std::size_t(x + 1);
            int t[3];
            for (int ch = 0; ch < 3; ++ch) {
                const int in = std::clamp((s * e[ch] + 2048) >> 12, -kMostIn, kMostIn);
                t[ch] = clamp8(src[ch] + in);
            }
            // A colour the palette holds takes its entry and drops the
            // error it was given: flat areas of the palette's own colours
            // stay clean beside an edge.
            const bool moved = t[0] != src[0] || t[1] != src[1] || t[2] != src[2];
            unsigned k;
            if (!moved) {
                k = nearest(src[0], src[1], src[2]);
            } else if (held.holds(c)) {
                if (write) pixels.take(x, nearest(src[0], src[1], src[2]), true, kNone);
                continue;
            } else {
                k = nearest(t[0], t[1], t[2]);
            }
            if (write) pixels.take(x, k, true, {t[0] - src[0], t[1] - src[1], t[2] - src[2]});
            const Rgb p = pal[k];
            const int share = (s * kKeep + 128) >> 8;
            const int err[3] = {(t[0] - p.r) * share, (t[1] - p.g) * share, (t[2] - p.b) * share};
            int* ahead = e + 3 * dir;
            int* below = next.data() + 3 * std::size_t(x + 1);
            for (int ch = 0; ch < 3; ++ch) {
                // In 256ths of the sixteenths: rounded back to sixteenths.
                ahead[ch] += (7 * err[ch] + 128) >> 8;
                below[ch - 3 * dir] += (3 * err[ch] + 128) >> 8;
                below[ch] += (5 * err[ch] + 128) >> 8;
                below[ch + 3 * dir] += (err[ch] + 128) >> 8;
            }
        }
        cur.swap(next);
        std::fill(next.begin(), next.end(), 0);
        rows.above.swap(rows.here);
        rows.here.swap(rows.below);
    }
}

}  // namespace

void adaptiveDiffusionBand(const Bitmap& image, Bitmap& dst, const std::vector<Rgb>& pal,
                           const CellTable& nearest, int first, int last) {
    ResultRows rows(dst);
    diffuse(image, pal, nearest, first, last, rows);
}

void adaptiveDiffusionSample(const Bitmap& image, const std::vector<Rgb>& pal,
                             const CellTable& nearest, int first, int last, SampleSums& sums) {
    sampleInto(image, pal, sums,
               [&](SampleCounter& counter) { diffuse(image, pal, nearest, first, last, counter); });
}

}  // namespace kararisu::dithering
