// The desktop program's reduction through its own code path, offscreen: the
// windows are made, the image is opened as from the command line, selected,
// and the reduce command runs with the settings dialog answered OK in the
// given mode. Prints the time of the run and the peak resident memory before
// and after it; bench/compare_gui.sh sets it beside the batch tool.
// usage: bench_gui_reduce FILE.bmp [MODE]
#include <sys/resource.h>

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/application.h"
#include "app/main_controls.h"
#include "app/program.h"
#include "gui/fake_platform.h"
#include "reduce/Gsdlg.h"

using namespace kararisu;

namespace {

long peakKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: bench_gui_reduce FILE.bmp [MODE]\n", stderr);
        return 2;
    }
    Application app(argc, argv);
    const int mode = argc > 2 ? std::atoi(argv[2]) : 0;
    test::FakePlatform platform;
    app.setErrorPlatform(&platform);
    Program program(platform, {argv[1]});
    TMain& m = program.main();
    if (m.lists().sources.size() != 1) {
        std::fprintf(stderr, "bench_gui_reduce: %s was not opened\n", argv[1]);
        return 1;
    }
    m.ui().MotoListBox->item(0)->setSelected(true);
    TGenSetDlg& d = *m.windows().GenSetDlg;
    QTimer::singleShot(0, [&] {
        d.ColorBox->setCurrentIndex(mode);
        d.ColorBoxChange();
        d.OKButton->click();
    });
    const long before = peakKiB();
    const auto start = std::chrono::steady_clock::now();
    m.G1Click();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long after = peakKiB();
    std::printf(
        "run %.3f s, peak %ld KiB before the run, %ld KiB after (+%ld), %d result(s), "
        "%zu message(s)\n",
        seconds, before, after, after - before, m.lists().results.size(), platform.messages.size());
    return m.lists().results.size() == 1 ? 0 : 1;
}
