// Colour matching of a photo-like image onto a 256-entry palette drawn from
// its own colours: the fast matcher against the plain loop over every entry,
// and the matcher's set-up.
#include <benchmark/benchmark.h>

#include <random>

#include "photo_image.h"
#include "worklists/color_match.h"

using namespace kararisu;

namespace {

Palette adaptivePalette(const Bitmap& image) {
    std::mt19937 rng(5);
    std::vector<Rgb> entries;
    for (int i = 0; i < 256; ++i)
        entries.push_back(
            Rgb::fromValue(image.row32(int(rng() % image.height()))[rng() % image.width()]));
    return Palette(entries);
}

void bruteForceCopy(const Bitmap& src, Bitmap& dst) {
    for (int y = 0; y < src.height(); ++y) {
        const std::uint32_t* in = src.row32(y);
        std::uint8_t* out = dst.row(y);
        for (int x = 0; x < src.width(); ++x)
            out[x] = std::uint8_t(nearestBruteForce(dst.palette(), in[x]));
    }
}

void BM_ColorMatchedCopy(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    const Bitmap image = bench::photoImage(w, h);
    Bitmap dst(w, h, PixelFormat::Bpp8);
    dst.setPaletteEntries(adaptivePalette(image));
    for (auto _ : state) {
        colorMatchedCopy(image, dst);
        benchmark::DoNotOptimize(dst.row(0));
    }
    state.SetItemsProcessed(state.iterations() * w * h);
}

void BM_BruteForceCopy(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    const Bitmap image = bench::photoImage(w, h);
    Bitmap dst(w, h, PixelFormat::Bpp8);
    dst.setPaletteEntries(adaptivePalette(image));
    Bitmap fast = dst;
    for (auto _ : state) {
        bruteForceCopy(image, dst);
        benchmark::DoNotOptimize(dst.row(0));
    }
    colorMatchedCopy(image, fast);
    if (!(fast == dst)) state.SkipWithError("fast matcher differs from the brute force");
    state.SetItemsProcessed(state.iterations() * w * h);
}

// Setting the matcher up, which every reduction and every dither pays once.
void BM_ColorMatcherSetUp(benchmark::State& state) {
    const Palette palette = adaptivePalette(bench::photoImage(1000, 1000));
    for (auto _ : state) {
        const ColorMatcher matcher(palette);
        benchmark::DoNotOptimize(matcher.nearest(0x808080));
    }
}

}  // namespace

BENCHMARK(BM_ColorMatcherSetUp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColorMatchedCopy)
    ->Args({1000, 1000})
    ->Args({4000, 3000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BruteForceCopy)->Args({4000, 3000})->Iterations(1)->Unit(benchmark::kMillisecond);
