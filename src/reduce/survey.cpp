#include "reduce/survey.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <thread>
#include <unordered_map>

#include "reduce/color_cubes.h"
#include "support/parallel.h"
#include "worklists/color_match.h"

namespace kararisu {

namespace {

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

// Backs at once the pages of the marked cubes of a table in small pages,
// one page a cube.
void populateCubes(std::uint8_t* table, const std::vector<std::uint8_t>& marked) {
    for (std::size_t cube = 0; cube < marked.size();) {
        if (!marked[cube]) {
            ++cube;
            continue;
        }
        std::size_t end = cube;
        while (end < marked.size() && marked[end]) ++end;
        populatePages(table + cube * kSmallPage, (end - cube) * kSmallPage);
        cube = end;
    }
}

}  // namespace

Outcome<void> ColorSurvey::count(const Bitmap& image, WorkArea& work) {
    tallies_.clear();
    if (image.isEmpty()) return {};
    const std::size_t pixels = std::size_t(image.width()) * std::size_t(image.height());
    // A count for each colour, by cubes of 8 reds, 16 greens and 16 blues:
    // one small page each, marked when a pixel falls in it. A count that
    // passes 16 bits carries into a list, which holds few colours: at most
    // one in 65536 pixels.
    static constexpr ColorCubes cubes(3);
    constexpr std::size_t kCubes = kColors >> 11;
    if (Outcome<void> got = work.permit(kColors * sizeof(std::uint16_t)); !got) return got;
    if (Outcome<void> got = work.reserve(tallies_, std::min(pixels, kColors)); !got) return got;
    if (counts_.size() == 0)
        counts_ = LargeBlock(kColors * sizeof(std::uint16_t), LargeBlock::Sparse::Yes);
    auto* counts = reinterpret_cast<std::uint16_t*>(counts_.get());
    std::vector<std::uint8_t> used(kCubes);
    // The cores share the colours, not the rows, so that each count has one
    // writer: every part reads the whole picture and counts the pixels
    // whose red falls in its groups of eight reds. The pixels of every 16th
    // row share out the groups and tell which cubes to back at once.
    const std::size_t parts = partsFor(image);
    std::array<std::uint32_t, 33> from{};  // part k counts groups [from[k], from[k + 1])
    from[parts] = 32;
    std::array<std::uint64_t, 32> sampled{};
    std::uint64_t total = 0;
    for (int y = 0; y < image.height(); y += 16)
        forEachValue(image, std::size_t(y), std::size_t(y) + 1, [&](std::uint32_t v) {
            ++sampled[(v >> 19) & 31];
            used[cubes.at(v) >> 11] = 1;
            ++total;
        });
    populateCubes(counts_.get(), used);
    std::uint64_t sum = 0;
    std::size_t next = 1;
    for (std::uint32_t group = 0; group < 32 && next < parts; ++group) {
        sum += sampled[group];
        while (next < parts && sum * parts >= total * next) from[next++] = group + 1;
    }
    while (next < parts) from[next++] = 32;
    std::vector<std::unordered_map<std::uint32_t, std::uint32_t>> carriesOf(parts);
    inParts(parts, parts, [&](std::size_t part, std::size_t, std::size_t) {
        const std::uint32_t low = from[part], span = from[part + 1] - low;
        std::unordered_map<std::uint32_t, std::uint32_t>& carries = carriesOf[part];
        auto add = [&](std::uint32_t at) {
            if (++counts[at] == 0) ++carries[at];
            used[at >> 11] = 1;
        };
        if (span == 0) return;
        if (image.format() == PixelFormat::Bpp24) {
            const int w = image.width();
            for (int y = 0; y < image.height(); ++y) {
                const std::uint8_t* p = image.row(y);
                for (int x = 0; x < w; ++x, p += 3)
                    if (std::uint32_t(p[2] >> 3) - low < span) add(cubes.at(p[2], p[1], p[0]));
            }
        } else {
            forEachValue(image, 0, std::size_t(image.height()), [&](std::uint32_t v) {
                if (((v >> 19) & 31) - low < span) add(cubes.at(v));
            });
        }
    });
    std::unordered_map<std::uint32_t, std::uint32_t> carries;
    for (auto& mine : carriesOf) carries.merge(mine);
    // The colours in ascending order. Each group of eight reds is given
    // back once it is read, so the table and the tallies never both hold
    // much.
    for (std::uint32_t r = 0; r < 256; ++r) {
        for (std::uint32_t g = 0; g < 256; ++g) {
            const std::uint32_t first = ((r >> 3) << 8) | ((g >> 4) << 4);
            for (std::uint32_t cube = first; cube < first + 16; ++cube) {
                if (!used[cube]) continue;
                const std::size_t row =
                    (std::size_t(cube) << 11) + ((r & 7) << 8) + ((g & 15) << 4);
                const std::uint32_t value = (r << 16) | (g << 8) | ((cube & 15) << 4);
                for (std::uint32_t b = 0; b < 16; ++b) {
                    std::uint32_t n = counts[row + b];
                    if (!carries.empty()) {
                        const auto carried = carries.find(std::uint32_t(row + b));
                        if (carried != carries.end()) n += carried->second << 16;
                    }
                    if (n != 0) tallies_.push_back({std::int32_t(value | b), std::int32_t(n)});
                }
            }
        }
        if ((r & 7) == 7) {
            const std::size_t group = std::size_t(r >> 3) << 8;  // its first cube
            bool any = false;
            for (std::size_t cube = group; cube < group + 256; ++cube) any |= used[cube] != 0;
            if (any)
                discardPages(counts + (group << 11),
                             (std::size_t{256} << 11) * sizeof(std::uint16_t));
        }
    }
    return {};
}

void ColorSurvey::matchInto(const Bitmap& image, Bitmap& dst) {
    const Palette& palette = dst.palette();
    // A palette index for each colour of the picture, in a table with one
    // entry a colour made once; only the pages of the colours present are
    // ever backed, and they are given back at the end.
    static constexpr ColorCubes cubes(4);
    if (index_.size() == 0) index_ = LargeBlock(kColors, LargeBlock::Sparse::Yes);
    std::uint8_t* table = index_.get();
    const std::size_t parts = partsFor(image);
    // A few colours are searched directly rather than through a matcher,
    // whose set-up would cost more than the searches.
    // Only the colours are needed now, and the tallies may be in any order
    // (a cut reorders them), so the table would soon have all its pages:
    // the colours are first packed two to a tally and the other half of the
    // tallies' memory given back.
    const std::size_t n = tallies_.size();
    ColorTally* const t = tallies_.data();
    for (std::size_t k = 0; 2 * k < n; ++k)
        t[k] = {t[2 * k].color, 2 * k + 1 < n ? t[2 * k + 1].color : t[2 * k].color};
    const std::size_t keep =
        ((n + 1) / 2 * sizeof(ColorTally) + kSmallPage - 1) / kSmallPage * kSmallPage;
    if (n * sizeof(ColorTally) >= (std::size_t{4} << 20) && keep < n * sizeof(ColorTally))
        discardPages(reinterpret_cast<std::uint8_t*>(t) + keep, n * sizeof(ColorTally) - keep);
    auto colorAt = [t](std::size_t i) {
        return std::uint32_t(i & 1 ? t[i / 2].count : t[i / 2].color);
    };
    // The colours are marked in the table, then its cubes are walked in
    // order to give each marked colour its index: neighbouring colours one
    // after another, which the matcher answers fastest. The cores share the
    // cubes so that each gets about as many colours.
    constexpr std::size_t kIndexCubes = kColors >> 12;
    std::vector<std::uint32_t> inCube(kIndexCubes);
    for (std::size_t i = 0; i < n; ++i) ++inCube[cubes.at(colorAt(i)) >> 12];
    std::vector<std::uint8_t> any(kIndexCubes);
    for (std::size_t cube = 0; cube < kIndexCubes; ++cube) any[cube] = inCube[cube] != 0;
    populateCubes(table, any);
    for (std::size_t i = 0; i < n; ++i) table[cubes.at(colorAt(i))] = 1;
    tallies_ = LargeVector<ColorTally>();
    std::vector<std::uint32_t> filled;
    for (std::uint32_t cube = 0; cube < kIndexCubes; ++cube)
        if (inCube[cube] != 0) filled.push_back(cube);
    std::vector<std::size_t> from(parts + 1, filled.size());
    from[0] = 0;
    std::size_t seen = 0, next = 1;
    for (std::size_t k = 0; k < filled.size() && next < parts; ++k) {
        seen += inCube[filled[k]];
        while (next < parts && seen * parts >= n * next) from[next++] = k + 1;
    }
    auto each = [&](auto nearest) {
        inParts(parts, parts, [&](std::size_t part, std::size_t, std::size_t) {
            for (std::size_t k = from[part]; k < from[part + 1]; ++k) {
                const std::uint32_t cube = filled[k];
                std::uint8_t* entry = table + (std::size_t(cube) << 12);
                const std::uint32_t corner =
                    ((cube >> 8) << 20) | (((cube >> 4) & 15) << 12) | ((cube & 15) << 4);
                for (std::uint32_t e = 0; e < 4096; ++e) {
                    if (entry[e] == 0) continue;
                    const std::uint32_t v =
                        corner | ((e >> 8) << 16) | (((e >> 4) & 15) << 8) | (e & 15);
                    entry[e] = std::uint8_t(nearest(v));
                }
            }
        });
    };
    if (n * palette.size() <= (std::size_t{1} << 20)) {
        each([&](std::uint32_t v) { return nearestBruteForce(palette, v); });
    } else {
        const ColorMatcher matcher(palette);
        each([&](std::uint32_t v) { return matcher.nearest(v); });
    }
    const PixelFormat f = dst.format();
    const bool direct = image.format() == PixelFormat::Bpp24;
    // Rows are whole bytes of dst, so no two threads write one byte.
    inParts(
        parts, std::size_t(image.height()), [&](std::size_t, std::size_t first, std::size_t last) {
            const int w = image.width();
            std::vector<std::uint8_t> indices(f == PixelFormat::Bpp8 ? 0 : std::size_t(w));
            // Row y's indices, then packed into dst's row.
            auto put = [&](int y) {
                if (f == PixelFormat::Bpp8) return;
                const std::uint8_t* in = indices.data();
                std::uint8_t* out = dst.row(y);
                if (f == PixelFormat::Bpp4) {
                    for (int x = 0; x + 1 < w; x += 2)
                        out[x / 2] = std::uint8_t((in[x] << 4) | in[x + 1]);
                    if (w & 1) out[w / 2] = std::uint8_t(in[w - 1] << 4);
                } else {
                    for (int x = 0; x < w; ++x) dst.setIndex(x, y, in[x]);
                }
            };
            auto out = [&](int y) { return f == PixelFormat::Bpp8 ? dst.row(y) : indices.data(); };
            if (direct) {
                for (int y = int(first); y < int(last); ++y) {
                    const std::uint8_t* p = image.row(y);
                    std::uint8_t* o = out(y);
                    for (int x = 0; x < w; ++x, p += 3) o[x] = table[cubes.at(p[2], p[1], p[0])];
                    put(y);
                }
            } else {
                forEachRow(image, first, last, [&](int y, const std::uint32_t* p, int) {
                    std::uint8_t* o = out(y);
                    for (int x = 0; x < w; ++x) o[x] = table[cubes.at(p[x])];
                    put(y);
                });
            }
        });
    discardPages(table, index_.size());
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
