// The reduction's stages on photo-like images of 1, 4 and 12 megapixels:
// the survey (distinct colours with their counts), the luminance sort and
// the median cut, matching every pixel, and the whole individual reduction
// of mode 0 (adaptive) and mode 5 (grey scale); the opt-in refinement of
// 256 and 16 colours.
#include <benchmark/benchmark.h>

#include "photo_image.h"
#include "reduce/engines.h"
#include "reduce/fixed_palettes.h"
#include "reduce/mcut.h"
#include "reduce/refine.h"
#include "reduce/survey.h"

using namespace kararisu;

namespace {

const Bitmap& image(benchmark::State& state) {
    static Bitmap cached;
    const int w = int(state.range(0)), h = int(state.range(1));
    if (cached.width() != w || cached.height() != h) cached = bench::photoImage(w, h);
    return cached;
}

void BM_Survey(benchmark::State& state) {
    const Bitmap& b = image(state);
    std::size_t distinct = 0;
    for (auto _ : state) {
        WorkArea work;
        ColorSurvey survey;
        (void)survey.count(b, work);
        LargeVector<ColorTally> t = survey.tallies();
        distinct = t.size();
        benchmark::DoNotOptimize(t.data());
    }
    state.counters["colours"] = double(distinct);
    state.SetItemsProcessed(state.iterations() * b.width() * b.height());
}

void BM_TallySortAndMedianCut(benchmark::State& state) {
    const Bitmap& b = image(state);
    WorkArea work;
    ColorSurvey survey;
    (void)survey.count(b, work);
    const LargeVector<ColorTally> tallies = survey.tallies();
    std::vector<Rgb> palette(256);
    for (auto _ : state) {
        LargeVector<ColorTally> t = tallies;
        (void)medianCut(std::int64_t(b.width()) * b.height(), t, palette, work);
        benchmark::DoNotOptimize(palette.data());
    }
    state.counters["colours"] = double(tallies.size());
}

void BM_MatchDistinctColours(benchmark::State& state) {
    const Bitmap& b = image(state);
    WorkArea work;
    ColorSurvey first;
    (void)first.count(b, work);
    LargeVector<ColorTally> t = first.tallies();
    std::vector<Rgb> chosen(256);
    (void)medianCut(std::int64_t(b.width()) * b.height(), t, chosen, work);
    Bitmap dst(b.width(), b.height(), PixelFormat::Bpp8);
    dst.setPaletteEntries(buildPalette(0, chosen));
    for (auto _ : state) {
        state.PauseTiming();
        ColorSurvey survey;
        (void)survey.count(b, work);
        state.ResumeTiming();
        survey.matchInto(b, dst);
        benchmark::DoNotOptimize(dst.row(0));
    }
    state.SetItemsProcessed(state.iterations() * b.width() * b.height());
}

// The refinement alone, from the median cut's palette of `colours` entries.
void refineFromCut(benchmark::State& state, std::size_t colours) {
    const Bitmap& b = image(state);
    WorkArea work;
    ColorSurvey survey;
    (void)survey.count(b, work);
    LargeVector<ColorTally> t = survey.tallies();
    std::vector<Rgb> chosen(colours);
    (void)medianCut(std::int64_t(b.width()) * b.height(), t, chosen, work);
    for (auto _ : state) {
        std::vector<Rgb> entries = chosen;
        refinePalette(survey.tallies(), entries, 0, entries.size());
        benchmark::DoNotOptimize(entries.data());
    }
    state.counters["colours"] = double(survey.tallies().size());
}

void BM_Refine256(benchmark::State& state) {
    refineFromCut(state, 256);
}
void BM_Refine16(benchmark::State& state) {
    refineFromCut(state, 16);
}

void reduceWhole(benchmark::State& state, int mode, const char* scheme) {
    const Bitmap& b = image(state);
    for (auto _ : state) {
        SilentMonitor monitor;
        struct : Reporter {
            Answer show(const Message&) override { return Answer::Ok; }
            void beep(Beep) override {}
        } reporter;
        CollectingSink sink;
        WorkArea work(&reporter);
        RunContext run{monitor, reporter, sink, work, false};
        std::vector<ReductionTarget> targets = {{"photo.bmp", "photo.bmp", &b, {}}};
        (void)individualReduction(targets, {mode, 256, scheme}, run);
        benchmark::DoNotOptimize(sink.results().data());
    }
    state.SetItemsProcessed(state.iterations() * b.width() * b.height());
}

void BM_ReduceMode0(benchmark::State& state) {
    reduceWhole(state, 0, "ノーマル");
}
void BM_ReduceMode5(benchmark::State& state) {
    reduceWhole(state, 5, "グレー");
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Args({1000, 1000})->Args({2000, 2000})->Args({4000, 3000})->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_Survey)->Apply(sizes);
BENCHMARK(BM_TallySortAndMedianCut)->Apply(sizes);
BENCHMARK(BM_MatchDistinctColours)->Apply(sizes);
BENCHMARK(BM_Refine256)->Apply(sizes);
BENCHMARK(BM_Refine16)->Apply(sizes);
BENCHMARK(BM_ReduceMode0)->Apply(sizes);
BENCHMARK(BM_ReduceMode5)->Apply(sizes);
