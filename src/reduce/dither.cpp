#include "reduce/dither.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <stdexcept>

#include "reduce/dither_tables.h"
#include "support/parallel.h"
#include "worklists/color_match.h"

namespace kararisu {

namespace {

using namespace dithering;

constexpr int kNone[3] = {0, 0, 0};

// Rows [first, last) of the band, after warming up the error over the rows
// above it. Errors are kept in sixteenths, three per pixel, with a pixel of
// room at either end. A transparent pixel is no part of the picture: it
// takes its own colour's nearest entry (the engines give it its entry
// later), passes no error on and drops what it was given.
template <typename Pixels>
void floydSteinbergBand(const Bitmap& image, const std::vector<Rgb>& pal, const CellTable& nearest,
                        int first, int last, Pixels pixels) {
    const int w = image.width();
    const bool masked = image.hasTransparency();
    std::vector<std::uint32_t> in(std::size_t(w), 0);
    std::vector<std::uint8_t> clear(std::size_t(w), 0);
    std::vector<int> cur(3 * std::size_t(w + 2), 0), next(3 * std::size_t(w + 2), 0);
    for (int y = std::max(0, first - kWarmRows); y < last; ++y) {
        const bool write = y >= first;
        image.readColorValues(y, in.data());
        if (masked) image.readTransparency(y, clear.data());
        if (write) pixels.row(y);
        // Even rows left to right, odd rows back; by the row's own number, so
        // the bands agree with a run over the whole picture.
        const int dir = (y & 1) ? -1 : 1;
        int x = dir > 0 ? 0 : w - 1;
        for (int n = 0; n < w; ++n, x += dir) {
            int* e = cur.data() + 3 * std::size_t(x + 1);
            const std::uint32_t c = in[std::size_t(x)];
            if (clear[std::size_t(x)]) {
                if (write)
                    pixels.take(x, nearest(channelOf(c, 16), channelOf(c, 8), channelOf(c, 0)),
                                false, kNone);
                continue;
            }
            const int r = clamp8(int((c >> 16) & 0xff) + ((e[0] + 8) >> 4));
            const int g = clamp8(int((c >> 8) & 0xff) + ((e[1] + 8) >> 4));
            const int b = clamp8(int(c & 0xff) + ((e[2] + 8) >> 4));
            const unsigned k = nearest(r, g, b);
            if (write)
                pixels.take(x, k, true,
                            {r - channelOf(c, 16), g - channelOf(c, 8), b - channelOf(c, 0)});
            const Rgb p = pal[k];
            const int err[3] = {r - p.r, g - p.g, b - p.b};
            int* ahead = e + 3 * dir;
            int* below = next.data() + 3 * std::size_t(x + 1);
            for (int ch = 0; ch < 3; ++ch) {
                ahead[ch] += 7 * err[ch];
                below[ch - 3 * dir] += 3 * err[ch];
                below[ch] += 5 * err[ch];
                below[ch + 3 * dir] += err[ch];
            }
        }
        cur.swap(next);
        std::fill(next.begin(), next.end(), 0);
    }
}

// The usual 8 × 8 threshold matrix, values 0-63.
constexpr int kBayer[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21},
};

// How far apart the palette's colours typically are, per channel: the
// median distance of an entry to its nearest other entry, over √3 (a step
// along the grey diagonal moves all three channels).
double spacingOf(const std::vector<Rgb>& pal) {
    std::vector<Rgb> distinct;
    for (const Rgb& c : pal)
        if (std::find(distinct.begin(), distinct.end(), c) == distinct.end()) distinct.push_back(c);
    if (distinct.size() < 2) return 0;
    std::vector<int> nearest;
    for (const Rgb& a : distinct) {
        int best = INT32_MAX;
        for (const Rgb& b : distinct) {
            if (a == b) continue;
            const int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
            best = std::min(best, dr * dr + dg * dg + db * db);
        }
        nearest.push_back(best);
    }
    std::nth_element(nearest.begin(), nearest.begin() + std::ptrdiff_t(nearest.size() / 2),
                     nearest.end());
    return std::min(255.0, std::sqrt(double(nearest[nearest.size() / 2]) / 3.0));
}

void orderedRows(const Bitmap& image, Bitmap& dst, const std::vector<Rgb>& pal,
                 const NearestTable& nearest, const int (&offset)[8][8], int first, int last) {
    const int w = image.width();
    std::vector<std::uint32_t> in(std::size_t(w), 0);
    for (int y = first; y < last; ++y) {
        image.readColorValues(y, in.data());
        std::uint8_t* out = dst.row(y);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = in[std::size_t(x)];
            unsigned k = nearest(c);
            if (pal[k].value() != c) {
                const int o = offset[y & 7][x & 7];
                const int r = clamp8(int((c >> 16) & 0xff) + o);
                const int g = clamp8(int((c >> 8) & 0xff) + o);
                const int b = clamp8(int(c & 0xff) + o);
                k = nearest(std::uint32_t((r << 16) | (g << 8) | b));
            }
            put(dst, out, x, y, k);
        }
    }
}

}  // namespace

void ditherOntoPalette(const Bitmap& image, Bitmap& dst, Dither method) {
    if (!isPaletted(dst.format()) || image.width() != dst.width() || image.height() != dst.height())
        throw std::invalid_argument("dithering needs a paletted bitmap of the picture's size");
    if (image.isEmpty()) return;
    // Only entries the format can index are chosen; an empty palette
    // leaves every pixel at 0.
    Palette usable = dst.palette();
    const std::size_t room = std::size_t{1} << storageBits(dst.format());
    if (usable.size() > room) usable.resize(room);
    if (usable.empty()) usable.resize(1);
    const std::vector<Rgb>& pal = usable.entries();
    const ColorMatcher matcher(usable);
    const NearestTable nearest(matcher);
    const int h = image.height();
    const std::size_t bands = std::size_t(bandsFor(h));
    const std::size_t parts = std::min<std::size_t>(coreCount(), bands);
    auto rowOf = [&](std::size_t band) {
        return int(std::int64_t(h) * std::int64_t(band) / std::int64_t(bands));
    };
    if (method == Dither::Ordered) {
        const double spacing = spacingOf(pal);
        int offset[8][8];
        for (int i = 0; i < 8; ++i)
            for (int j = 0; j < 8; ++j)
                offset[i][j] = int(std::lround((2 * kBayer[i][j] - 63) * spacing / 128.0));
        inParts(parts, bands, [&](std::size_t, std::size_t b0, std::size_t b1) {
            orderedRows(image, dst, pal, nearest, offset, rowOf(b0), rowOf(b1));
        });
        return;
    }
    const CellTable cells(nearest);
    inParts(parts, bands, [&](std::size_t, std::size_t b0, std::size_t b1) {
        for (std::size_t b = b0; b < b1; ++b) {
            // Every band warms up on its own, however the parts are cut.
            if (method == Dither::Auto) {
                adaptiveDiffusionBand(image, dst, pal, cells, rowOf(b), rowOf(b + 1));
            } else {
                ResultRows rows(dst);
                floydSteinbergBand(image, pal, cells, rowOf(b), rowOf(b + 1), rows);
            }
        }
    });
}

namespace dithering {

unsigned CellTable::lookUp(int r, int g, int b) const {
    std::atomic_ref<std::uint16_t> cell(cells()[cellOf(r, g, b)]);
    const unsigned known = cell.load(std::memory_order_acquire);
    if (known == kByColour) return colours_(std::uint32_t((r << 16) | (g << 8) | b));
    if (known != 0) return (*this)(r, g, b);  // another thread filled it meanwhile
    unsigned cube[8];
    const int r0 = r & ~1, g0 = g & ~1, b0 = b & ~1;
    colours_.searchCube(r0, g0, b0, cube);
    if (std::all_of(cube + 1, cube + 8, [&](unsigned k) { return k == cube[0]; })) {
        cell.store(std::uint16_t(cube[0] + 1), std::memory_order_release);
        return cube[0];
    }
    if (const unsigned block = blocksUsed_.fetch_add(1, std::memory_order_relaxed);
        block < kBlocks) {
        std::uint8_t* answers = answers_.get() + 8 * std::size_t(block);
        for (int k = 0; k < 8; ++k) answers[k] = std::uint8_t(cube[k]);
        cell.store(std::uint16_t(kFirstBlock + block), std::memory_order_release);
    } else {
        for (int k = 0; k < 8; ++k)
            colours_.remember(std::uint32_t(((r0 + (k >> 2)) << 16) | ((g0 + ((k >> 1) & 1)) << 8) |
                                            (b0 + (k & 1))),
                              cube[k]);
        cell.store(std::uint16_t(kByColour), std::memory_order_release);
    }
    return cube[cornerOf(r, g, b)];
}

void floydSteinbergSample(const Bitmap& image, const std::vector<Rgb>& pal,
                          const CellTable& nearest, int first, int last, SampleSums& sums) {
    sampleInto(image, pal, sums, [&](SampleCounter& counter) {
        floydSteinbergBand(image, pal, nearest, first, last, counter);
    });
}

}  // namespace dithering

}  // namespace kararisu
