// The matcher's searches: along the main axis for palettes strung along a
// line, through a cell's candidates for the others, and for a cube of eight
// colours at once for the dithers' tables.
#include "worklists/color_match.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kararisu {

// Outward from the query's place along the axis. The squared distance to an
// entry is at least its squared offset along the axis plus the square of
// how much farther the query is from the axis than any entry; once that
// exceeds the best distance, nothing farther along that side can be nearer.
// The bound is computed in floating point and only trusted with a margin of
// a quarter (distances are whole numbers), so ties are never cut off; the
// lowest index wins them, as everywhere.
unsigned ColorMatcher::nearestByProjection(int r, int g, int b) const {
    const double q[3] = {r - centre_[0], g - centre_[1], b - centre_[2]};
    const double t = q[0] * axis_[0] + q[1] * axis_[1] + q[2] * axis_[2];
    const double p[3] = {q[0] - t * axis_[0], q[1] - t * axis_[1], q[2] - t * axis_[2]};
    const double off =
        std::max(0.0, std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]) - farthest_);
    const double floor = off * off;
    const std::ptrdiff_t n = std::ptrdiff_t(sorted_.size());
    std::ptrdiff_t hi = std::lower_bound(along_.begin(), along_.end(), t) - along_.begin();
    std::ptrdiff_t lo = hi - 1;
    std::int32_t best = INT32_MAX;
    unsigned bestIndex = 0;
    auto visit = [&](std::ptrdiff_t i) {
        const Entry& e = sorted_[std::size_t(i)];
        const std::int32_t dr = e.r - r, dg = e.g - g, db = e.b - b;
        const std::int32_t d = dr * dr + dg * dg + db * db;
        if (d < best || (d == best && e.index < bestIndex)) {
            best = d;
            bestIndex = e.index;
        }
    };
    auto beyond = [&](std::ptrdiff_t i) {
        const double a = along_[std::size_t(i)] - t;
        return a * a + floor > double(best) + 0.25;
    };
    while (lo >= 0 || hi < n) {
        const bool takeHigh =
            lo < 0 || (hi < n && along_[std::size_t(hi)] - t <= t - along_[std::size_t(lo)]);
        if (takeHigh) {
            if (beyond(hi)) {
                hi = n;
                continue;
            }
            visit(hi++);
        } else {
            if (beyond(lo)) {
                lo = -1;
                continue;
            }
            visit(lo--);
        }
    }
    return bestIndex;
}

unsigned ColorMatcher::nearest(std::uint32_t rgb) const {
    if (empty_) return 0;
    const int r = int((rgb >> 16) & 0xff), g = int((rgb >> 8) & 0xff), b = int(rgb & 0xff);
    if (byProjection_) return nearestByProjection(r, g, b);
    constexpr int shift = 8 - kCellBits;
    const int cell = ((r >> shift) << (2 * kCellBits)) | ((g >> shift) << kCellBits) | (b >> shift);
    const Entry* e = candidates_.data() + cellStart_[cell];
    const Entry* end = candidates_.data() + cellEnd_[cell];
    std::int32_t best = INT32_MAX;
    unsigned bestIndex = 0;
    for (; e != end; ++e) {
        const int dr = e->r - r, dg = e->g - g, db = e->b - b;
        const std::int32_t d = dr * dr + dg * dg + db * db;
        if (d < best) {
            best = d;
            bestIndex = e->index;
        }
    }
    return bestIndex;
}

// A cube of 2 x 2 x 2 colours from even ones lies inside one cell (cells
// are 8 colours wide), whose candidates hold the nearest entry of each of
// its colours; scanned in index order with a strict comparison, as in
// nearest(), each colour's first best is its lowest-index nearest.
void ColorMatcher::nearestOfCube(int r, int g, int b, unsigned (&nearest)[8]) const {
    if (empty_ || byProjection_) {
        for (int k = 0; k < 8; ++k)
            nearest[k] =
                empty_ ? 0 : nearestByProjection(r + (k >> 2), g + ((k >> 1) & 1), b + (k & 1));
        return;
    }
    constexpr int shift = 8 - kCellBits;
    const int cell = ((r >> shift) << (2 * kCellBits)) | ((g >> shift) << kCellBits) | (b >> shift);
    const Entry* e = candidates_.data() + cellStart_[cell];
    const Entry* end = candidates_.data() + cellEnd_[cell];
#if defined(__SSE2__)
    // Each channel is one of two distances from the cube's colours: the
    // eight distances, four a register, are compared side by side.
    __m128i bestLow = _mm_set1_epi32(INT32_MAX), bestHigh = bestLow;
    __m128i indexLow = _mm_setzero_si128(), indexHigh = indexLow;
    for (; e != end; ++e) {
        const int dr = e->r - r, dg = e->g - g, db = e->b - b;
        const int g0 = dg * dg, g1 = (dg - 1) * (dg - 1), b0 = db * db, b1 = (db - 1) * (db - 1);
        // Lanes from the lowest: (g, b), (g, b + 1), (g + 1, b), (g + 1, b + 1).
        const __m128i greenBlue = _mm_set_epi32(g1 + b1, g1 + b0, g0 + b1, g0 + b0);
        const __m128i low = _mm_add_epi32(greenBlue, _mm_set1_epi32(dr * dr));
        const __m128i high = _mm_add_epi32(greenBlue, _mm_set1_epi32((dr - 1) * (dr - 1)));
        const __m128i index = _mm_set1_epi32(int(e->index));
        const __m128i nearerLow = _mm_cmplt_epi32(low, bestLow);
        const __m128i nearerHigh = _mm_cmplt_epi32(high, bestHigh);
        bestLow = _mm_or_si128(_mm_and_si128(nearerLow, low), _mm_andnot_si128(nearerLow, bestLow));
        bestHigh =
            _mm_or_si128(_mm_and_si128(nearerHigh, high), _mm_andnot_si128(nearerHigh, bestHigh));
        indexLow =
            _mm_or_si128(_mm_and_si128(nearerLow, index), _mm_andnot_si128(nearerLow, indexLow));
        indexHigh =
            _mm_or_si128(_mm_and_si128(nearerHigh, index), _mm_andnot_si128(nearerHigh, indexHigh));
    }
    alignas(16) std::uint32_t found[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(found), indexLow);
    _mm_store_si128(reinterpret_cast<__m128i*>(found + 4), indexHigh);
    std::copy(std::begin(found), std::end(found), std::begin(nearest));
#else
    std::int32_t best[8];
    unsigned bestIndex[8] = {};
    std::fill(std::begin(best), std::end(best), INT32_MAX);
    for (; e != end; ++e) {
        for (int k = 0; k < 8; ++k) {
            const int dr = e->r - r - (k >> 2), dg = e->g - g - ((k >> 1) & 1),
                      db = e->b - b - (k & 1);
            const std::int32_t d = dr * dr + dg * dg + db * db;
            if (d < best[k]) best[k] = d, bestIndex[k] = e->index;
        }
    }
    std::copy(std::begin(bestIndex), std::end(bestIndex), std::begin(nearest));
#endif
}

}  // namespace kararisu
