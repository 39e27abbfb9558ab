#include "reduce/survey.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <thread>

#include "support/parallel.h"
#include "worklists/color_match.h"

namespace kararisu {

namespace {

constexpr std::size_t kBuckets = 4096;  // by the top 12 of the 24 colour bits
constexpr std::size_t kColors = std::size_t{1} << 24;

// Pictures this small are not worth a thread.
std::size_t partsFor(const Bitmap& image) {
    const std::uint64_t pixels = std::uint64_t(image.width()) * std::uint64_t(image.height());
    return pixels < (1u << 18) ? 1
                               : std::min<std::size_t>(coreCount(), std::size_t(image.height()));
}

// Feeds the colour values of rows [first, last) to visit(y, values, width):
// 32-bit rows are read in place when their top bytes are clear, others
// converted a row at a time.
template <typename Visit>
void forEachRow(const Bitmap& image, std::size_t first, std::size_t last, Visit visit) {
    const int w = image.width();
    std::vector<std::uint32_t> row(static_cast<std::size_t>(w));
    for (int y = int(first); y < int(last); ++y) {
        if (image.format() == PixelFormat::Bpp32) {
            const std::uint32_t* p = image.row32(y);
            std::uint32_t high = 0;
            for (int x = 0; x < w; ++x) high |= p[x];
            if ((high >> 24) == 0) {
                visit(y, p, w);
                continue;
            }
        }
        image.readColorValues(y, row.data());
        visit(y, row.data(), w);
    }
}

// Feeds the colour value of every pixel of rows [first, last) to visit(v).
// 24-bit rows are read in place, so the survey's two passes over a picture
// as it was loaded never build a converted row.
template <typename Visit>
void forEachValue(const Bitmap& image, std::size_t first, std::size_t last, Visit visit) {
    if (image.format() != PixelFormat::Bpp24) {
        forEachRow(image, first, last, [&](int, const std::uint32_t* p, int w) {
            for (int x = 0; x < w; ++x) visit(p[x]);
        });
        return;
    }
    const int w = image.width();
    for (int y = int(first); y < int(last); ++y) {
        const std::uint8_t* r = image.row(y);
        for (int x = 0; x < w; ++x, r += 3)
            visit((std::uint32_t{r[2]} << 16) | (std::uint32_t{r[1]} << 8) | r[0]);
    }
}

}  // namespace

Outcome<void> ColorSurvey::count(const Bitmap& image, WorkArea& work) {
    tallies_.clear();
    if (image.isEmpty()) return {};
    const std::size_t pixels = std::size_t(image.width()) * std::size_t(image.height());
    const std::size_t parts = partsFor(image);
    const std::size_t rows = std::size_t(image.height());

    // How many pixels of each part fall in each bucket.
    std::vector<std::uint32_t> perPart;
    LargeVector<std::uint16_t> low;  // the low 12 bits of every pixel, by bucket
    if (Outcome<void> got = work.obtain(perPart, parts * kBuckets); !got) return got;
    if (Outcome<void> got = work.obtain(low, pixels); !got) return got;
    std::fill(perPart.begin(), perPart.end(), 0u);
    inParts(parts, rows, [&](std::size_t part, std::size_t first, std::size_t last) {
        std::uint32_t* counts = perPart.data() + part * kBuckets;
        forEachValue(image, first, last, [counts](std::uint32_t v) { ++counts[v >> 12]; });
    });
    // Where each part writes in each bucket; bucket b starts at start[b].
    std::vector<std::size_t> start(kBuckets + 1);
    std::vector<std::size_t> cursor(parts * kBuckets);
    std::size_t at = 0;
    for (std::size_t b = 0; b < kBuckets; ++b) {
        start[b] = at;
        for (std::size_t part = 0; part < parts; ++part) {
            cursor[part * kBuckets + b] = at;
            at += perPart[part * kBuckets + b];
        }
    }
    start[kBuckets] = at;
    inParts(parts, rows, [&](std::size_t part, std::size_t first, std::size_t last) {
        std::size_t* out = cursor.data() + part * kBuckets;
        std::uint16_t* dst = low.data();
        forEachValue(image, first, last, [dst, out](std::uint32_t v) {
            dst[out[v >> 12]++] = std::uint16_t(v & 0xfff);
        });
    });
    // Each bucket counted on its own; parts of the bucket range go to the
    // cores. The first part writes straight into the survey's tallies, which
    // have room for every colour the picture can hold (only what is written
    // is ever backed by memory); the others' tallies are joined after them.
    if (Outcome<void> got = work.reserve(tallies_, std::min(pixels, kColors)); !got) return got;
    std::vector<LargeVector<ColorTally>> found(parts);
    inParts(parts, kBuckets, [&](std::size_t part, std::size_t first, std::size_t last) {
        std::vector<std::uint32_t> counts(4096);
        LargeVector<ColorTally>& out = part == 0 ? tallies_ : found[part];
        if (part > 0) out.reserve(std::min(start[last] - start[first], (last - first) * 4096));
        for (std::size_t b = first; b < last; ++b) {
            if (start[b] == start[b + 1]) continue;
            for (std::size_t i = start[b]; i < start[b + 1]; ++i) ++counts[low[i]];
            for (std::uint32_t v = 0; v < 4096; ++v) {
                if (counts[v] == 0) continue;
                out.push_back({std::int32_t((b << 12) | v), std::int32_t(counts[v])});
                counts[v] = 0;
            }
        }
    });
    for (std::size_t part = 1; part < parts; ++part) {
        tallies_.insert(tallies_.end(), found[part].begin(), found[part].end());
        found[part] = {};
    }
    return {};
}

void ColorSurvey::matchInto(const Bitmap& image, Bitmap& dst) {
    const Palette& palette = dst.palette();
    // One byte per possible colour, made once and mapped lazily: only the
    // pages of the colours present are ever backed. Only the entries of the
    // colours surveyed are read, so what an earlier picture left is harmless.
    if (index_.size() == 0) index_ = LargeBlock(kColors);
    std::uint8_t* table = index_.get();
    const std::size_t parts = partsFor(image);
    // A few colours are searched directly rather than through a matcher,
    // whose set-up would cost more than the searches.
    auto each = [&](auto nearest) {
        inParts(parts, tallies_.size(), [&](std::size_t, std::size_t first, std::size_t last) {
            for (std::size_t i = first; i < last; ++i) {
                const auto v = std::uint32_t(tallies_[i].color);
                table[v] = std::uint8_t(nearest(v));
            }
        });
    };
    if (tallies_.size() * palette.size() <= (std::size_t{1} << 20)) {
        each([&](std::uint32_t v) { return nearestBruteForce(palette, v); });
    } else {
        const ColorMatcher matcher(palette);
        each([&](std::uint32_t v) { return matcher.nearest(v); });
    }
    const PixelFormat f = dst.format();
    // Rows are whole bytes of dst, so no two threads write one byte.
    inParts(parts, std::size_t(image.height()),
            [&](std::size_t, std::size_t first, std::size_t last) {
                forEachRow(image, first, last, [&](int y, const std::uint32_t* p, int w) {
                    std::uint8_t* o = dst.row(y);
                    if (f == PixelFormat::Bpp8) {
                        for (int x = 0; x < w; ++x) o[x] = table[p[x]];
                    } else if (f == PixelFormat::Bpp4) {
                        for (int x = 0; x + 1 < w; x += 2) {
                            o[x / 2] = std::uint8_t((table[p[x]] << 4) | table[p[x + 1]]);
                        }
                        if (w & 1) o[w / 2] = std::uint8_t(table[p[w - 1]] << 4);
                    } else {
                        for (int x = 0; x < w; ++x) dst.setIndex(x, y, table[p[x]]);
                    }
                });
            });
}

Outcome<std::uint64_t> countDistinctColors(const Bitmap& image, WorkArea& work) {
    if (image.isEmpty()) return std::uint64_t{0};
    // One bit per possible colour and part; the parts' sets are joined.
    constexpr std::size_t kWords = kColors / 64;
    const std::size_t parts = partsFor(image);
    LargeVector<std::uint64_t> bits;
    if (Outcome<void> got = work.obtain(bits, kWords * parts); !got) return got.problem();
    std::uint64_t* all = bits.data();
    inParts(parts, std::size_t(image.height()),
            [&](std::size_t part, std::size_t first, std::size_t last) {
                std::uint64_t* mine = all + part * kWords;
                forEachRow(image, first, last, [&](int, const std::uint32_t* p, int w) {
                    for (int x = 0; x < w; ++x) mine[p[x] >> 6] |= std::uint64_t{1} << (p[x] & 63);
                });
            });
    std::vector<std::uint64_t> partial(parts);
    inParts(parts, kWords, [&](std::size_t part, std::size_t first, std::size_t last) {
        std::uint64_t n = 0;
        for (std::size_t i = first; i < last; ++i) {
            std::uint64_t word = 0;
            for (std::size_t q = 0; q < parts; ++q) word |= all[q * kWords + i];
            n += std::uint64_t(std::popcount(word));
        }
        partial[part] = n;
    });
    std::uint64_t n = 0;
    for (std::uint64_t x : partial) n += x;
    return n;
}

Outcome<void> mapOntoPalette(const Bitmap& image, Bitmap& dst, WorkArea& work) {
    ColorSurvey survey;
    if (Outcome<void> counted = survey.count(image, work); !counted) return counted;
    survey.matchInto(image, dst);
    return {};
}

}  // namespace kararisu
