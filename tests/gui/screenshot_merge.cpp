// Pictures of the palette merge: the dialog with both lists filled and a
// palette file loaded, in many-to-one with a choice made; the merged
// palettes as result rows, and the palette viewer on one of them.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <fstream>

#include "app/main_controls.h"
#include "app/program.h"
#include "gui/fake_platform.h"
#include "gui/screenshot_shots.h"
#include "palette/Padlg.h"
#include "palette/palette_file.h"
#include "viewers/Ppform.h"

namespace kararisu {

bool shootMerge(QApplication& app, Program& program, test::FakePlatform& platform,
                const std::string& folder, const QString& prefix) {
    // A palette file of forty colours, loaded with the dialog's button.
    Palette colours(std::vector<Rgb>(256));
    for (int i = 0; i < 40; ++i)
        colours.set(i, Rgb{std::uint8_t(255 - 6 * i), std::uint8_t(6 * i + 10), 128});
    const std::string gpl = folder + "/やさしい色.gpl";
    const auto bytes = encodePaletteFile(PaletteLabel::fromText("カスタム40"), 2, colours);
    std::ofstream(gpl, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    platform.openAnswers.push_back({gpl});
    // The palette folder the dialog makes goes into the scratch folder too.
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(folder + "/data"));

    TMain& m = program.main();
    TPalAddDlg& d = *m.windows().PalAddDlg;
    bool ok = false;
    QTimer::singleShot(0, [&] {
        d.LoadButton->click();
        d.MenuButton2->click();
        d.BasePalListBox->item(1)->setSelected(true);
        d.BasePalListBox->item(2)->setSelected(true);
        d.PlusPalListBox->item(d.PlusPalListBox->count() - 1)->setSelected(true);
        app.processEvents();
        const QPixmap pm = d.grab();
        const QString file = prefix + "-merge-dialog.png";
        ok = pm.save(file);
        std::printf("%s %s (%dx%d)\n", ok ? "wrote" : "could not write", qPrintable(file),
                    pm.width(), pm.height());
        d.OkButton->click();
    });
    m.P3Click();
    app.processEvents();
    std::printf("merge: %d results, %zu messages\n", m.lists().results.size(),
                platform.messages.size());
    // The merged palettes as rows of the "after" list.
    const QPixmap rows = m.grab();
    const QString file = prefix + "-merge-results.png";
    const bool saved = rows.save(file);
    std::printf("%s %s (%dx%d)\n", saved ? "wrote" : "could not write", qPrintable(file),
                rows.width(), rows.height());
    // The palette viewer on the last merge result: its forty added colours
    // after the 256-colour base's first entries, one cell read out.
    QTreeWidget* after = m.ui().GenListView;
    after->clearSelection();
    after->topLevelItem(after->topLevelItemCount() - 1)->setSelected(true);
    m.GenListViewMouseUp();
    m.P1Click();
    TPPreForm& viewer = *m.windows().PPreForm;
    viewer.PPreImageMouseMove(5 * TPPreForm::kCell + 5, 5);
    app.processEvents();
    const QPixmap grid = viewer.grab();
    const QString gridFile = prefix + "-merge-palette-viewer.png";
    const bool gridSaved = grid.save(gridFile);
    std::printf("%s %s (%dx%d): %s\n", gridSaved ? "wrote" : "could not write",
                qPrintable(gridFile), grid.width(), grid.height(),
                qPrintable(viewer.windowTitle()));
    viewer.hide();
    return ok && saved && gridSaved;
}

}  // namespace kararisu
