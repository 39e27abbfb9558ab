#include "reduce/survey.h"

#include <bit>
#include <thread>

#include "worklists/color_match.h"

namespace kararisu {

namespace {

constexpr std::size_t kWords = (std::size_t{1} << 24) / 64;

// Runs body(first, last) over [0, n) split between the cores when n is
// large enough to pay for a thread.
template <typename Body>
void splitWork(std::size_t n, std::size_t minPerThread, Body body) {
    const unsigned cores = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    std::size_t parts = std::min<std::size_t>(cores, n / std::max<std::size_t>(1, minPerThread));
    if (parts <= 1) {
        body(std::size_t{0}, n);
        return;
    }
    std::vector<std::jthread> threads;
    const std::size_t step = n / parts;
    for (std::size_t p = 1; p < parts; ++p) {
        const std::size_t first = p * step, last = p + 1 == parts ? n : first + step;
        threads.emplace_back([=] { body(first, last); });
    }
    body(0, step);
}

// Feeds the colour values of every row to visit(row, width), reading 32-bit
// rows in place and converting other formats one row at a time.
template <typename Visit>
void forEachRow(const Bitmap& image, int firstRow, int lastRow, Visit visit) {
    const int w = image.width();
    if (image.format() == PixelFormat::Bpp32) {
        // The top byte of a 32-bit pixel is not part of its colour.
        std::vector<std::uint32_t> row(static_cast<std::size_t>(w));
        for (int y = firstRow; y < lastRow; ++y) {
            const std::uint32_t* p = image.row32(y);
            bool clean = true;
            for (int x = 0; x < w; ++x) clean &= (p[x] >> 24) == 0;
            if (clean) {
                visit(p, w);
            } else {
                image.readColorValues(y, row.data());
                visit(row.data(), w);
            }
        }
        return;
    }
    std::vector<std::uint32_t> row(static_cast<std::size_t>(w));
    for (int y = firstRow; y < lastRow; ++y) {
        image.readColorValues(y, row.data());
        visit(row.data(), w);
    }
}

}  // namespace

bool ColorSurvey::count(const Bitmap& image, WorkArea& work) {
    distinct_ = 0;
    table_ = work.zeroed<std::uint32_t>(kColors);
    if (!table_) return false;
    present_ = work.zeroed<std::uint64_t>(kWords);
    if (!present_) {
        table_.reset();
        return false;
    }
    std::uint32_t* table = table_.get();
    std::uint64_t* present = present_.get();
    // Counting needs one writer per entry; the pixels are few enough per
    // second that one core keeps up with the memory.
    forEachRow(image, 0, image.height(), [&](const std::uint32_t* p, int w) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t v = p[x];
            ++table[v];
            present[v >> 6] |= std::uint64_t{1} << (v & 63);
        }
    });
    std::size_t n = 0;
    for (std::size_t i = 0; i < kWords; ++i)
        n += static_cast<std::size_t>(std::popcount(present[i]));
    distinct_ = n;
    return true;
}

std::vector<ColorTally> ColorSurvey::tallies() const {
    std::vector<ColorTally> out;
    out.reserve(distinct_);
    const std::uint64_t* present = present_.get();
    const std::uint32_t* table = table_.get();
    for (std::size_t i = 0; i < kWords; ++i) {
        for (std::uint64_t bits = present[i]; bits != 0; bits &= bits - 1) {
            const std::uint32_t v = static_cast<std::uint32_t>(i * 64 + std::countr_zero(bits));
            out.push_back({static_cast<std::int32_t>(v), static_cast<std::int32_t>(table[v])});
        }
    }
    return out;
}

void ColorSurvey::matchInto(const Bitmap& image, Bitmap& dst) {
    std::uint32_t* table = table_.get();
    const std::uint64_t* present = present_.get();
    const Palette& palette = dst.palette();
    // Each distinct colour once; the words are split between the cores. A
    // few colours are searched directly rather than through a matcher,
    // whose set-up would cost more than the searches.
    auto each = [&](auto nearest) {
        splitWork(kWords, kWords / 8, [&](std::size_t first, std::size_t last) {
            for (std::size_t i = first; i < last; ++i) {
                for (std::uint64_t bits = present[i]; bits != 0; bits &= bits - 1) {
                    const auto v = static_cast<std::uint32_t>(i * 64 + std::countr_zero(bits));
                    table[v] = nearest(v);
                }
            }
        });
    };
    if (distinct_ * palette.size() <= (std::size_t{1} << 20)) {
        each([&](std::uint32_t v) { return nearestBruteForce(palette, v); });
    } else {
        const ColorMatcher matcher(palette);
        each([&](std::uint32_t v) { return matcher.nearest(v); });
    }
    const PixelFormat f = dst.format();
    splitWork(
        static_cast<std::size_t>(image.height()), 64, [&](std::size_t first, std::size_t last) {
            int y = static_cast<int>(first);
            forEachRow(
                image, static_cast<int>(first), static_cast<int>(last),
                [&](const std::uint32_t* p, int width) {
                    std::uint8_t* o = dst.row(y++);
                    if (f == PixelFormat::Bpp8) {
                        for (int x = 0; x < width; ++x)
                            o[x] = static_cast<std::uint8_t>(table[p[x]]);
                    } else if (f == PixelFormat::Bpp4) {
                        for (int x = 0; x + 1 < width; x += 2) {
                            o[x / 2] =
                                static_cast<std::uint8_t>((table[p[x]] << 4) | table[p[x + 1]]);
                        }
                        if (width & 1)
                            o[width / 2] = static_cast<std::uint8_t>(table[p[width - 1]] << 4);
                    } else {
                        for (int x = 0; x < width; ++x) dst.setIndex(x, y - 1, table[p[x]]);
                    }
                });
        });
    table_.reset();
    present_.reset();
}

std::optional<std::uint64_t> countDistinctColors(const Bitmap& image, WorkArea& work) {
    if (image.isEmpty()) return 0;
    auto present = work.zeroed<std::uint64_t>(kWords);
    if (!present) return std::nullopt;
    std::uint64_t* bits = present.get();
    forEachRow(image, 0, image.height(), [&](const std::uint32_t* p, int w) {
        for (int x = 0; x < w; ++x) bits[p[x] >> 6] |= std::uint64_t{1} << (p[x] & 63);
    });
    std::uint64_t n = 0;
    for (std::size_t i = 0; i < kWords; ++i)
        n += static_cast<std::uint64_t>(std::popcount(bits[i]));
    return n;
}

}  // namespace kararisu

namespace kararisu {

void mapOntoPalette(const Bitmap& image, Bitmap& dst) {
    WorkArea quiet;
    ColorSurvey survey;
    if (survey.count(image, quiet)) {
        survey.matchInto(image, dst);
        return;
    }
    if (image.format() == PixelFormat::Bpp32) {
        colorMatchedCopy(image, dst);
        return;
    }
    Bitmap work = image;
    work.setFormat(PixelFormat::Bpp32);
    colorMatchedCopy(work, dst);
}

}  // namespace kararisu
