// Starts the program with a few generated images, as a person would see it,
// and saves pictures of the main window and its menus.
// usage: kararisu-screenshot OUT_PREFIX   (writes OUT_PREFIX-main.png, ...)
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>

#include "app/application.h"
#include "app/main_controls.h"
#include "app/program.h"
#include "gui/fake_platform.h"
#include "gui/screenshot_shots.h"
#include "worklists/bmp/bmp.h"
#include "worklists/loading.h"

using namespace kararisu;

namespace {

Bitmap sample(int w, int h, PixelFormat f) {
    Bitmap b(w, h, f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (isPaletted(f))
                b.setIndex(x, y, unsigned(x + y) % (1u << storageBits(f)));
            else if (f == PixelFormat::Bpp24) {
                std::uint8_t* p = b.row(y) + 3 * x;
                p[0] = std::uint8_t(x * 4);
                p[1] = std::uint8_t(y * 4);
                p[2] = 200;
            }
        }
    return b;
}

}  // namespace

bool kararisu::saveShot(QWidget* w, const QString& file) {
    const QPixmap pm = w->grab();
    const bool ok = pm.save(file);
    std::printf("%s %s (%dx%d)\n", ok ? "wrote" : "could not write", qPrintable(file), pm.width(),
                pm.height());
    return ok;
}

int main(int argc, char** argv) {
    Application app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT_PREFIX\n", argv[0]);
        return 2;
    }
    const QString prefix = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    std::vector<std::string> files;
    struct Sample {
        const char* name;
        int w, h;
        PixelFormat f;
    } samples[] = {
        {"mono.bmp", 32, 32, PixelFormat::Bpp1},
        {"sixteen.bmp", 32, 32, PixelFormat::Bpp4},
        {"256色の画像.bmp", 32, 32, PixelFormat::Bpp8},
        {"photo.bmp", 64, 48, PixelFormat::Bpp24},
        {"とても長い名前の付いたフルカラーの写真データ.bmp", 16, 16, PixelFormat::Bpp32},
    };
    for (const Sample& s : samples) {
        files.push_back(folder + "/" + s.name);
        saveBmp(sample(s.w, s.h, s.f), files.back()).take(files.back());
    }
    test::FakePlatform platform;
    app.setErrorPlatform(&platform);
    Program program(platform, files);
    TMain& m = program.main();
    m.show();
    m.ui().MotoListBox->item(1)->setSelected(true);
    m.ui().MotoListBox->item(3)->setSelected(true);
    m.MotoListBoxMouseUp();
    // Rows as finished reductions register them, so the "after" list shows too.
    const struct {
        const char* file;
        const char* palette;
        const char* mode;
        PixelFormat format;
    } rows[] = {{"photo.bmp", "photo(1)", "ノーマル256", PixelFormat::Bpp8},
                {"sixteen.bmp", "sixteen(1)", "ノーマル16", PixelFormat::Bpp4},
                {"mono.bmp", "mono(PG1)", "グレー2", PixelFormat::Bpp1}};
    for (const auto& r : rows)
        m.resultSink().add(
            Result{sample(8, 8, r.format), folder + "/" + r.file, r.palette, r.mode});
    m.ui().GenListView->topLevelItem(0)->setSelected(true);
    m.GenListViewMouseUp();
    m.MotoListBoxMouseMove();
    app.processEvents();
    std::printf("caption: %s\n", qPrintable(m.windowTitle()));
    bool ok = saveShot(&m, prefix + "-main.png");
    const std::pair<QMenu*, const char*> menus[] = {{m.ui().File1, "file"},
                                                    {m.ui().V3, "view"},
                                                    {m.ui().N3, "settings"},
                                                    {m.ui().PopupMenu1, "popup-before"},
                                                    {m.ui().PopupMenu2, "popup-after"}};
    for (const auto& [menu, name] : menus) {
        menu->popup(m.mapToGlobal(QPoint(40, 40)));
        app.processEvents();
        ok = saveShot(menu, prefix + "-menu-" + name + ".png") && ok;
        menu->hide();
    }
    // The glyph lists, four times as large, one list a row.
    const GlyphList* lists[] = {&m.ui().ImageList1, &m.ui().ImageList2, &m.ui().ImageList3};
    QImage sheet(4 * 9 * 22, 4 * 3 * 22, QImage::Format_RGB32);
    sheet.fill(Qt::lightGray);
    QPainter p(&sheet);
    p.scale(4, 4);
    for (int row = 0; row < 3; ++row)
        for (int i = 0; i < lists[row]->count(); ++i)
            lists[row]->draw(p, 1 + 22 * i, 1 + 22 * row, i);
    p.end();
    const QString sheetFile = prefix + "-glyphs.png";
    ok = sheet.save(sheetFile) && ok;
    std::printf("wrote %s\n", qPrintable(sheetFile));
    ok = shootSave(program, folder, prefix) && ok;
    ok = shootMerge(app, program, platform, folder, prefix) && ok;
    ok = shootReduce(app, program, prefix) && ok;
    ok = shootViewers(app, program, folder, prefix) && ok;
    return ok ? 0 : 1;
}
