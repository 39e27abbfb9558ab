// The image viewers on 12-megapixel pictures, offscreen: opening a viewer
// on an entry and stepping to the next one, each until the picture has
// been painted, with the memory the process holds after many steps; and
// the colour count as the viewer runs it.
//
// usage: bench_viewers [benchmark options]   (QT_QPA_PLATFORM is offscreen
// unless set)
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <QApplication>
#include <QElapsedTimer>
#include <fstream>
#include <map>

#include "gui/fake_platform.h"
#include "photo_image.h"
#include "reduce/survey.h"
#include "viewers/Mpform.h"
#include "widgets/glyphs.h"

using namespace kararisu;

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

// Resident memory of the process in MiB.
double residentMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The photo in 24 or 32 bits; in 8 bits, a 256-entry ramp over its
// indexes (matching 12 megapixels to a palette would only slow the set-up).
Bitmap photo(PixelFormat f) {
    if (f == PixelFormat::Bpp8) {
        Bitmap b(kWidth, kHeight, f);
        std::vector<Rgb> ramp;
        for (int i = 0; i < 256; ++i)
            ramp.push_back(Rgb{std::uint8_t(i), 128, std::uint8_t(255 - i)});
        b.setPaletteEntries(Palette(ramp));
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) b.row(y)[x] = std::uint8_t(x * 7 + y * 3);
        return b;
    }
    Bitmap b = bench::photoImage(kWidth, kHeight);
    if (f != PixelFormat::Bpp32) b.setFormat(f);
    return b;
}

// Three large images of one format in a source list, and the viewer on it.
struct Scene {
    SourceList sources;
    GlyphList glyphs = makeImageList1();
    test::FakePlatform platform;
    std::unique_ptr<TMPreForm> viewer;

    explicit Scene(PixelFormat f) {
        for (int i = 0; i < 3; ++i) {
            const std::string name = "photo" + std::to_string(i) + ".bmp";
            sources.append(makeImageEntry(name, photo(f)), name);
        }
        viewer = std::make_unique<TMPreForm>(sources, glyphs, platform);
    }
    ~Scene() { viewer.reset(); }
    // Until the first paint and what it queued have happened; a paint the
    // platform has not asked for yet is made at once.
    void painted() {
        QApplication::processEvents();
        if (!viewer->painted()) viewer->repaint();
        QApplication::processEvents();
    }
};

// One scene per format for the whole run: the benchmark library calls each
// function several times while it settles the iteration count.
std::map<int, std::unique_ptr<Scene>> scenes;  // emptied before the application goes

Scene& sceneFor(const benchmark::State& state) {
    std::unique_ptr<Scene>& s = scenes[int(state.range(0))];
    if (!s) s = std::make_unique<Scene>(PixelFormat(int(state.range(0))));
    return *s;
}

void BM_OpenLargeImage(benchmark::State& state) {
    Scene& scene = sceneFor(state);
    for (auto _ : state) {
        scene.viewer->openEntry(0, QStringLiteral("元絵:"));
        scene.painted();
    }
}

void BM_StepLargeImages(benchmark::State& state) {
    Scene& scene = sceneFor(state);
    scene.viewer->openEntry(0, QStringLiteral("元絵:"));
    scene.painted();
    // Once round the list, so every picture has been made once.
    scene.viewer->DownButtonClick();
    scene.painted();
    scene.viewer->DownButtonClick();
    scene.painted();
    const double before = residentMiB();
    int direction = -1;
    for (auto _ : state) {
        const int k = scene.viewer->MotoBox->currentIndex();
        if (k == 0 || k == 2) direction = -direction;
        direction > 0 ? scene.viewer->DownButtonClick() : scene.viewer->UpButtonClick();
        scene.painted();
    }
    state.counters["rss_MiB"] = residentMiB();
    state.counters["rss_growth_MiB"] = residentMiB() - before;
}

void BM_CountFromViewer(benchmark::State& state) {
    Scene& scene = sceneFor(state);
    scene.viewer->openEntry(0, QStringLiteral("元絵:"));
    scene.painted();
    for (auto _ : state) {
        scene.platform.messages.clear();
        scene.viewer->C2Click();
    }
    state.SetLabel(scene.platform.messages.empty()
                       ? "no message"
                       : QString::fromStdString(scene.platform.messages.back().text)
                             .replace(QLatin1Char('\n'), QLatin1Char(' '))
                             .toStdString());
}

// What the batch tool's count does with the same picture.
void BM_CountAsTheBatchTool(benchmark::State& state) {
    const Bitmap b = photo(PixelFormat::Bpp24);
    for (auto _ : state) {
        WorkArea work;
        benchmark::DoNotOptimize(countDistinctColors(b, work));
    }
}

BENCHMARK(BM_OpenLargeImage)
    ->Arg(24)
    ->Arg(32)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_StepLargeImages)
    ->Arg(24)
    ->Arg(32)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_CountFromViewer)->Arg(24)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CountAsTheBatchTool)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    scenes.clear();
    return 0;
}
