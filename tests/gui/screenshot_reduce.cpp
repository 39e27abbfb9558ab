// Pictures of a reduction: the settings dialog in each of its three menus,
// the palette list opened, the monitor during a run, and the results listed.
#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cstdio>

#include "app/main_controls.h"
#include "app/program.h"
#include "gui/screenshot_shots.h"
#include "reduce/Gmdlg.h"
#include "reduce/Gsdlg.h"
#include "reduce/glyph_choice_box.h"

namespace kararisu {

namespace {}  // namespace

bool shootReduce(QApplication& app, Program& program, const QString& prefix) {
    TMain& m = program.main();
    TGenSetDlg& d = *m.windows().GenSetDlg;
    TGenMoniDlg& monitor = *m.windows().GenMoniDlg;
    bool ok = true;
    // Each menu once, cancelled after the picture.
    const std::pair<QRadioButton*, const char*> menus[] = {
        {d.MenuButton1, "individual"}, {d.MenuButton2, "reference"}, {d.MenuButton3, "palette"}};
    for (const auto& [button, name] : menus) {
        QTimer::singleShot(0, [&, button = button, name = name] {
            if (button == d.MenuButton1) {
                d.ColorBox->setCurrentIndex(25);
                d.ColorBoxChange();
                d.Edit1->setText(QStringLiteral("64"));
            }
            button->click();
            if (button == d.MenuButton2) d.TargetBox->setCurrentIndex(1);
            if (button == d.MenuButton3) d.PaletteBox->setCurrentIndex(d.PaletteBox->count() - 1);
            app.processEvents();
            ok = saveShot(&d, prefix + "-reduce-" + name + ".png") && ok;
            if (button == d.MenuButton1) {
                d.ColorBox->showPopup();
                app.processEvents();
                ok = saveShot(d.ColorBox->view()->window(), prefix + "-reduce-modes.png") && ok;
                d.ColorBox->hidePopup();
            }
            if (button == d.MenuButton3) {
                d.PaletteBox->showPopup();
                app.processEvents();
                ok =
                    saveShot(d.PaletteBox->view()->window(), prefix + "-reduce-palettes.png") && ok;
                d.PaletteBox->hidePopup();
            }
            d.CancelButton->click();
        });
        m.G1Click();
    }
    // A run of mode 0, pictured half-way.
    bool shot = false;
    const auto connection = QObject::connect(
        &monitor, &TGenMoniDlg::monitorChanged, [&](const QString& control, const QString& value) {
            if (shot || control != QStringLiteral("ComentLabel") ||
                value != QStringLiteral("ヒストグラム作成"))
                return;
            shot = true;
            app.processEvents();
            ok = saveShot(&monitor, prefix + "-reduce-monitor.png") && ok;
        });
    QTimer::singleShot(0, [&] { d.OKButton->click(); });
    m.G1Click();
    QObject::disconnect(connection);
    app.processEvents();
    std::printf("reduce: %d results\n", m.lists().results.size());
    ok = saveShot(&m, prefix + "-reduce-results.png") && ok;
    return ok && shot;
}

}  // namespace kararisu
