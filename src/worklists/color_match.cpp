#include "worklists/color_match.h"

#include "support/parallel.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <thread>

namespace kararisu {

unsigned nearestBruteForce(const Palette& palette, std::uint32_t rgb) {
    const Rgb c = Rgb::fromValue(rgb);
    unsigned best = 0;
    std::uint32_t bestDistance = UINT32_MAX;
    for (unsigned i = 0; i < palette.size(); ++i) {
        const Rgb p = palette.at(i);
        const int dr = int(p.r) - c.r, dg = int(p.g) - c.g, db = int(p.b) - c.b;
        const std::uint32_t d = std::uint32_t(dr * dr + dg * dg + db * db);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

// The colour cube is cut into cells. For each cell the matcher keeps the
// entries that can be nearest to some colour of it: every entry whose
// distance to the cell's box is not beyond the smallest "farthest corner"
// distance of any entry. The true nearest entry, and every entry tied with
// it, always passes that test, so scanning a cell's candidates in index order
// gives exactly the brute force's answer, tie-break included.
namespace {

int boxDistance(int v, int lo, int hi) {
    return v < lo ? lo - v : v > hi ? v - hi : 0;
}
int farDistance(int v, int lo, int hi) {
    return std::max(v - lo, hi - v);
}

}  // namespace

// The candidates among [begin, end) for the box [lo, lo + side) on each axis.
void ColorMatcher::collect(const Entry* begin, const Entry* end, int r0, int g0, int b0, int side,
                           Entries& out) {
    const int r1 = r0 + side - 1, g1 = g0 + side - 1, b1 = b0 + side - 1;
    std::int32_t bound = INT32_MAX;
    for (const Entry* e = begin; e != end; ++e) {
        const int fr = farDistance(e->r, r0, r1), fg = farDistance(e->g, g0, g1),
                  fb = farDistance(e->b, b0, b1);
        bound = std::min(bound, fr * fr + fg * fg + fb * fb);
    }
    for (const Entry* e = begin; e != end; ++e) {
        const int dr = boxDistance(e->r, r0, r1), dg = boxDistance(e->g, g0, g1),
                  db = boxDistance(e->b, b0, b1);
        if (dr * dr + dg * dg + db * db <= bound) out.push_back(*e);
    }
}

ColorMatcher::ColorMatcher(const Palette& palette) {
    // A repeated colour can never beat its first occurrence (the lower
    // index wins ties), so only first occurrences become candidates; without
    // this a palette padded with black would put every filler in every cell.
    std::vector<Entry> all;
    std::vector<std::uint32_t> seen;
    for (unsigned i = 0; i < palette.size(); ++i) {
        const Rgb p = palette.at(i);
        if (std::find(seen.begin(), seen.end(), p.value()) != seen.end()) continue;
        seen.push_back(p.value());
        all.push_back(Entry{p.r, p.g, p.b, i});
    }
    empty_ = all.empty();
    cellStart_.assign(kCells + 1, 0);
    if (empty_) return;
    // Coarse cells first; each fine cell's candidates are a subset of its
    // coarse cell's (its bound is no larger and its boxes lie inside), so
    // only those are tested. The cells are shared between the cores, each
    // part's lists in a block of its own, reserved for the most they can
    // hold (only what is written is ever backed by memory).
    const std::size_t parts = coreCount();
    std::vector<CoarseLists> coarse(parts);
    std::vector<std::uint32_t> coarseStart(kCoarseCells);
    inParts(parts, kCoarseCells, [&](std::size_t part, std::size_t first, std::size_t last) {
        coarse[part].first = first, coarse[part].last = last;
        Entries& lists = coarse[part].lists;
        lists.reserve((last - first) * all.size());
        for (std::size_t cell = first; cell < last; ++cell) {
            coarseStart[cell] = std::uint32_t(lists.size());
            const int cr = int(cell >> (2 * kCoarseBits)),
                      cg = int(cell >> kCoarseBits) & kCoarseMask, cb = int(cell) & kCoarseMask;
            collect(all.data(), all.data() + all.size(), cr * kCoarseSide, cg * kCoarseSide,
                    cb * kCoarseSide, kCoarseSide, lists);
        }
    });
    std::size_t listed = 0;
    for (const CoarseLists& part : coarse) listed += part.lists.size();
    if (listed / kCoarseCells <= 48) {
        // A fine cell's candidates are among its coarse cell's.
        buildCells(coarse, coarseStart);
        return;
    }
    // Main axis of the entries by power iteration on their scatter; any axis
    // gives an exact search, a good one a short one.
    double mean[3] = {0, 0, 0};
    for (const Entry& e : all) mean[0] += e.r, mean[1] += e.g, mean[2] += e.b;
    for (double& m : mean) m /= double(all.size());
    double cov[3][3] = {};
    for (const Entry& e : all) {
        const double d[3] = {e.r - mean[0], e.g - mean[1], e.b - mean[2]};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) cov[i][j] += d[i] * d[j];
    }
    double v[3] = {1, 1, 1};
    for (int it = 0; it < 50; ++it) {
        double w[3];
        for (int i = 0; i < 3; ++i) w[i] = cov[i][0] * v[0] + cov[i][1] * v[1] + cov[i][2] * v[2];
        const double n = std::max({std::abs(w[0]), std::abs(w[1]), std::abs(w[2])});
        if (n == 0) break;
        for (int i = 0; i < 3; ++i) v[i] = w[i] / n;
    }
    double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (len == 0) v[0] = v[1] = v[2] = 1, len = std::sqrt(3.0);
    for (int i = 0; i < 3; ++i) axis_[i] = v[i] / len, centre_[i] = mean[i];
    byProjection_ = true;
    auto along = [&](const Entry& e) {
        return (e.r - centre_[0]) * axis_[0] + (e.g - centre_[1]) * axis_[1] +
               (e.b - centre_[2]) * axis_[2];
    };
    sorted_ = all;
    std::stable_sort(sorted_.begin(), sorted_.end(),
                     [&](const Entry& a, const Entry& b) { return along(a) < along(b); });
    for (const Entry& e : sorted_) {
        const double t = along(e);
        const double d[3] = {e.r - centre_[0] - t * axis_[0], e.g - centre_[1] - t * axis_[1],
                             e.b - centre_[2] - t * axis_[2]};
        farthest_ = std::max(farthest_, std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]));
        along_.push_back(t);
    }
}

void ColorMatcher::buildCells(const std::vector<CoarseLists>& coarse,
                              const std::vector<std::uint32_t>& coarseStart) {
    constexpr int side = 256 >> kCellBits;
    const std::size_t parts = coarse.size();
    // The fine cells of each part's coarse cells, joined in order after.
    std::vector<Entries> fine(parts);
    auto fineCellsOf = [](std::size_t coarseCell, auto each) {
        const int cr = int(coarseCell >> (2 * kCoarseBits)),
                  cg = int(coarseCell >> kCoarseBits) & kCoarseMask,
                  cb = int(coarseCell) & kCoarseMask;
        for (int k = 0; k < 8; ++k) {
            const int fr = 2 * cr + (k >> 2), fg = 2 * cg + ((k >> 1) & 1), fb = 2 * cb + (k & 1);
            each((fr << (2 * kCellBits)) | (fg << kCellBits) | fb, fr, fg, fb);
        }
    };
    inParts(parts, parts, [&](std::size_t, std::size_t p0, std::size_t p1) {
        for (std::size_t part = p0; part < p1; ++part) {
            const CoarseLists& from = coarse[part];
            Entries& out = fine[part];
            out.reserve(8 * from.lists.size());
            for (std::size_t c = from.first; c < from.last; ++c) {
                const Entry* begin = from.lists.data() + coarseStart[c];
                const Entry* end = from.lists.data() +
                                   (c + 1 < from.last ? coarseStart[c + 1] : from.lists.size());
                fineCellsOf(c, [&](int cell, int fr, int fg, int fb) {
                    cellStart_[std::size_t(cell)] = std::uint32_t(out.size());
                    collect(begin, end, fr * side, fg * side, fb * side, side, out);
                    cellEnd_[std::size_t(cell)] = std::uint32_t(out.size());
                });
            }
        }
    });
    std::size_t total = 0;
    for (const Entries& part : fine) total += part.size();
    candidates_.reserve(total);
    for (std::size_t part = 0; part < parts; ++part) {
        const auto base = std::uint32_t(candidates_.size());
        candidates_.insert(candidates_.end(), fine[part].begin(), fine[part].end());
        for (std::size_t c = coarse[part].first; c < coarse[part].last; ++c)
            fineCellsOf(c, [&](int cell, int, int, int) {
                cellStart_[std::size_t(cell)] += base;
                cellEnd_[std::size_t(cell)] += base;
            });
    }
}

namespace {

void matchRows(const Bitmap& src, Bitmap& dst, const ColorMatcher& matcher, int y0, int y1) {
    // Photos repeat colours: a small direct-mapped cache saves most searches.
    constexpr std::size_t kCacheBits = 14;
    std::vector<std::uint32_t> cacheKey(std::size_t{1} << kCacheBits, UINT32_MAX);
    std::vector<std::uint8_t> cacheIndex(std::size_t{1} << kCacheBits, 0);
    const bool bytes = dst.format() == PixelFormat::Bpp8;
    for (int y = y0; y < y1; ++y) {
        const std::uint32_t* in = src.row32(y);
        std::uint8_t* out = dst.row(y);
        for (int x = 0; x < src.width(); ++x) {
            const std::uint32_t c = in[x] & 0xffffff;
            const std::size_t slot = (c * 2654435761u) >> (32 - kCacheBits);
            if (cacheKey[slot] != c) {
                cacheKey[slot] = c;
                cacheIndex[slot] = std::uint8_t(matcher.nearest(c));
            }
            if (bytes)
                out[x] = cacheIndex[slot];
            else
                dst.setIndex(x, y, cacheIndex[slot]);
        }
    }
}

}  // namespace

void colorMatchedCopy(const Bitmap& src, Bitmap& dst) {
    if (src.format() != PixelFormat::Bpp32 || !isPaletted(dst.format()) ||
        src.width() != dst.width() || src.height() != dst.height())
        throw std::invalid_argument("colour-matched copy needs a 32-bit source of the same size");
    const ColorMatcher matcher(dst.palette());
    const std::uint64_t pixels = std::uint64_t(src.width()) * std::uint64_t(src.height());
    const std::size_t parts =
        pixels < (1u << 18) ? 1 : std::min<std::size_t>(coreCount(), std::size_t(src.height()));
    // Each thread owns whole rows, so 1- and 4-bit rows never share a byte
    // between threads.
    inParts(parts, std::size_t(src.height()),
            [&](std::size_t, std::size_t first, std::size_t last) {
                matchRows(src, dst, matcher, int(first), int(last));
            });
}

}  // namespace kararisu
