// Dithering a photo-like picture of 1, 4 and 12 megapixels onto its own
// 256-colour palette (the median cut of mode 0), each way.
#include <benchmark/benchmark.h>

#include "photo_image.h"
#include "reduce/dither.h"
#include "reduce/fixed_palettes.h"
#include "reduce/mcut.h"
#include "reduce/survey.h"
#include "reduce/work_area.h"

using namespace kararisu;

namespace {

struct Case {
    Bitmap picture;
    Palette palette;
};

const Case& photo(benchmark::State& state) {
    static Case cached;
    const int w = int(state.range(0)), h = int(state.range(1));
    if (cached.picture.width() != w || cached.picture.height() != h) {
        cached.picture = bench::photoImage(w, h);
        WorkArea work;
        ColorSurvey survey;
        (void)survey.count(cached.picture, work);
        LargeVector<ColorTally> tallies = survey.tallies();
        std::vector<Rgb> chosen(256);
        (void)medianCut(std::int64_t(w) * h, tallies, chosen, work);
        cached.palette = buildPalette(0, chosen);
    }
    return cached;
}

void dither(benchmark::State& state, Dither method) {
    const Case& c = photo(state);
    Bitmap out(c.picture.width(), c.picture.height(), PixelFormat::Bpp8);
    out.setPaletteEntries(c.palette);
    for (auto _ : state) {
        ditherOntoPalette(c.picture, out, method);
        benchmark::DoNotOptimize(out.row(0));
    }
    state.SetItemsProcessed(state.iterations() * c.picture.width() * c.picture.height());
}

void BM_DitherFloydSteinberg(benchmark::State& state) {
    dither(state, Dither::FloydSteinberg);
}
void BM_DitherOrdered(benchmark::State& state) {
    dither(state, Dither::Ordered);
}
void BM_DitherAuto(benchmark::State& state) {
    dither(state, Dither::Auto);
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Args({1000, 1000})->Args({2000, 2000})->Args({4224, 2850})->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_DitherFloydSteinberg)->Apply(sizes);
BENCHMARK(BM_DitherOrdered)->Apply(sizes);
BENCHMARK(BM_DitherAuto)->Apply(sizes);
