// Pictures of the palette merge: the dialog with both lists filled and a
// palette file loaded, in many-to-one with a choice made.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <fstream>

#include "app/program.h"
#include "gui/fake_platform.h"
#include "gui/screenshot_shots.h"
#include "palette/Padlg.h"
#include "palette/palette_file.h"

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
    return ok && saved;
}

}  // namespace kararisu
