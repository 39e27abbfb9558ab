// Pictures of the three viewers: each image viewer on a large and a small
// image, the strip shown under the mouse, the palette viewer of an 8-bit
// result with a value read out in both bases, and a picture reduced to 16
// colours at 100 % and 800 % (with the grid), against its source, and a
// large image fitted to the window.
#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cmath>
#include <cstdio>

#include "app/main_controls.h"
#include "app/program.h"
#include "gui/screenshot_shots.h"
#include "reduce/Gsdlg.h"
#include "reduce/glyph_choice_box.h"
#include "viewers/Gpform.h"
#include "viewers/Mpform.h"
#include "viewers/Ppform.h"

namespace kararisu {

namespace {

// Soft gradients with a grid, so position and scrolling can be seen.
Bitmap landscape(int w, int h) {
    Bitmap b(w, h, PixelFormat::Bpp24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = b.row(y) + 3 * x;
            const bool line = x % 100 == 0 || y % 100 == 0;
            p[0] = line ? 255 : std::uint8_t(255 * y / h);
            p[1] = line ? 255 : std::uint8_t(160 + 90 * x / w);
            p[2] = line ? 255 : std::uint8_t(255 * x / w);
        }
    return b;
}

// An 8-bit picture over a palette of hue and brightness ramps.
Bitmap paletted(int w, int h) {
    Bitmap b(w, h, PixelFormat::Bpp8);
    std::vector<Rgb> entries;
    for (int i = 0; i < 256; ++i) {
        const int v = (i % 16) * 17, band = i / 16;
        entries.push_back(Rgb{std::uint8_t(band & 1 ? v : 255 - v),
                              std::uint8_t(band & 2 ? v : band * 16),
                              std::uint8_t(band & 4 ? 255 - v : v / 2)});
    }
    entries[77] = Rgb{255, 0, 10};
    b.setPaletteEntries(Palette(entries));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.setIndex(x, y, unsigned((x / 8 + (y / 8) * 16) % 256));
    return b;
}

// A sky from orange to violet over dark hills, with a sun: gradients that
// 16 colours band.
Bitmap sunset(int w, int h) {
    Bitmap b(w, h, PixelFormat::Bpp24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = b.row(y) + 3 * x;
            const double t = double(y) / h;
            int r = int(250 - 120 * t), g = int(170 - 130 * t), bl = int(60 + 120 * t);
            const double dx = x - 0.65 * w, dy = y - 0.55 * h;
            if (dx * dx + dy * dy < 0.02 * w * w) r = 255, g = 236, bl = 150;
            const double hill =
                0.72 * h + 0.08 * h * std::sin(x * 6.0 / w) + 0.04 * h * std::sin(x * 17.0 / w);
            if (y > hill) r = int(40 + 30 * (1 - t)), g = int(30 + 50 * (1 - t)), bl = 50;
            p[0] = std::uint8_t(bl), p[1] = std::uint8_t(g), p[2] = std::uint8_t(r);
        }
    return b;
}

void moveMouse(QWidget* w, QPoint at) {
    QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

bool shot(QApplication& app, QWidget* w, const QString& file) {
    for (int i = 0; i < 4; ++i) app.processEvents();
    const QPixmap pm = w->grab();
    const bool ok = pm.save(file);
    std::printf("%s %s (%dx%d) caption: %s\n", ok ? "wrote" : "could not write", qPrintable(file),
                pm.width(), pm.height(), qPrintable(w->windowTitle()));
    return ok;
}

}  // namespace

bool shootViewers(QApplication& app, Program& program, const std::string& folder,
                  const QString& prefix) {
    TMain& m = program.main();
    SourceList& sources = m.lists().sources;
    const int first = sources.size();
    sources.append(makeImageEntry(folder + "/風景.bmp", landscape(1200, 900)), "風景.bmp");
    sources.append(makeImageEntry(folder + "/小さな絵.bmp", landscape(50, 10)), "小さな絵.bmp");
    const int results = m.lists().results.size();
    m.resultSink().add(Result{paletted(800, 600), folder + "/風景.bmp", "風景(1)", "ノーマル256"});
    m.resultSink().add(Result{paletted(120, 90), folder + "/模様.bmp", "模様(1)", "ノーマル256"});

    const SecondaryWindows& w = m.windows();
    bool ok = true;
    w.MPreForm->openEntry(first, QStringLiteral("元絵:"));
    ok = shot(app, w.MPreForm, prefix + "-source-large.png") && ok;
    moveMouse(w.MPreForm->MPreImage, QPoint(300, 10));
    ok = shot(app, w.MPreForm, prefix + "-source-strip.png") && ok;
    w.MPreForm->DownButton->click();
    ok = shot(app, w.MPreForm, prefix + "-source-small.png") && ok;
    w.MPreForm->close();

    w.GPreForm->openEntry(results, QStringLiteral("減色後:"));
    ok = shot(app, w.GPreForm, prefix + "-result-large.png") && ok;
    w.GPreForm->DownButton->click();
    moveMouse(w.GPreForm->GPreImage, QPoint(30, 5));
    ok = shot(app, w.GPreForm, prefix + "-result-small.png") && ok;
    w.GPreForm->close();

    w.PPreForm->openResult(results, QStringLiteral("減色後:"));
    moveMouse(w.PPreForm->PPreImage, QPoint((77 % 16) * 22 + 10, (77 / 16) * 22 + 10));
    ok = shot(app, w.PPreForm, prefix + "-palette-hex.png") && ok;
    w.PPreForm->DButton->click();
    ok = shot(app, w.PPreForm, prefix + "-palette-decimal.png") && ok;
    w.PPreForm->HButton->click();
    w.PPreForm->close();

    // A run of "１６色" on one picture, so the result knows its source.
    const int drawn = sources.size();
    sources.append(makeImageEntry(folder + "/夕焼け.bmp", sunset(480, 360)), "夕焼け.bmp");
    m.ui().MotoListBox->clearSelection();
    m.ui().MotoListBox->item(drawn)->setSelected(true);
    m.MotoListBoxMouseUp();
    TGenSetDlg& d = *w.GenSetDlg;
    QTimer::singleShot(0, [&] {
        d.ColorBox->setCurrentIndex(4);
        d.ColorBoxChange();
        d.MenuButton1->click();
        d.OKButton->click();
    });
    m.G1Click();
    const int reduced = m.lists().results.size() - 1;
    w.GPreForm->openEntry(reduced, QStringLiteral("減色後:"));
    ok = shot(app, w.GPreForm, prefix + "-zoom-100.png") && ok;
    w.GPreForm->zoomAbout(8, QPoint(244, 192));  // the sun's rim against the sky
    ok = shot(app, w.GPreForm, prefix + "-zoom-800.png") && ok;
    w.GPreForm->B1->trigger();
    ok = shot(app, w.GPreForm, prefix + "-compare-800.png") && ok;
    w.GPreForm->zoomNatural();
    ok = shot(app, w.GPreForm, prefix + "-compare-100.png") && ok;
    w.GPreForm->close();
    w.MPreForm->openEntry(first, QStringLiteral("元絵:"));
    w.MPreForm->zoomToFit();
    ok = shot(app, w.MPreForm, prefix + "-zoom-fit.png") && ok;
    w.MPreForm->close();

    // The same picture cut out as an oval with a clear outside, reduced to
    // 256 colours: the transparent entry shows the checkerboard.
    Bitmap cutOut = sunset(480, 360);
    for (int y = 0; y < cutOut.height(); ++y)
        for (int x = 0; x < cutOut.width(); ++x) {
            const double dx = (x - 240) / 230.0, dy = (y - 180) / 170.0;
            cutOut.writableMaskRow(y)[x] = dx * dx + dy * dy > 1 ? 1 : 0;
        }
    const int clear = sources.size();
    sources.append(makeImageEntry(folder + "/切り抜き.png", std::move(cutOut), ImageFormat::Png),
                   "切り抜き.png");
    m.ui().MotoListBox->clearSelection();
    m.ui().MotoListBox->item(clear)->setSelected(true);
    m.MotoListBoxMouseUp();
    QTimer::singleShot(0, [&] {
        d.ColorBox->setCurrentIndex(0);
        d.ColorBoxChange();
        d.MenuButton1->click();
        d.OKButton->click();
    });
    m.G1Click();
    w.GPreForm->openEntry(m.lists().results.size() - 1, QStringLiteral("減色後:"));
    ok = shot(app, w.GPreForm, prefix + "-transparent-result.png") && ok;
    w.GPreForm->close();
    return ok;
}

}  // namespace kararisu
