#pragma once
// Shared set-up of the reduction tests: the program over a scripted
// platform, the settings dialog answered from inside its modal loop, and
// the monitor's changes recorded in order.

#include <QTimer>
#include <functional>

#include "gui/gui_fixture.h"
#include "reduce/Gmdlg.h"
#include "reduce/Gsdlg.h"
#include "reduce/glyph_choice_box.h"
#include "reduce/up_down.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

namespace kararisu::test {

class ReduceTest : public GuiTest {
  protected:
    // Every change of the monitor as "control=value".
    std::vector<std::string> monitorLog;

    void SetUp() override {
        GuiTest::SetUp();
        start();
        QObject::connect(monitor(), &TGenMoniDlg::monitorChanged,
                         [this](const QString& control, const QString& value) {
                             monitorLog.push_back((control + "=" + value).toStdString());
                         });
    }
    TGenSetDlg* dialog() { return program->windows().GenSetDlg; }
    TGenMoniDlg* monitor() { return program->windows().GenMoniDlg; }

    // Runs the reduce command; act is done in the open settings dialog,
    // which is cancelled afterwards if act left it open.
    void reduce(const std::function<void(TGenSetDlg&)>& act) {
        QTimer::singleShot(0, [this, act] {
            TGenSetDlg& d = *dialog();
            act(d);
            if (d.isVisible()) d.reject();
        });
        main().G1Click();
    }
    // Runs the reduce command with the given mode and menu and presses OK.
    void reduceWith(int mode, ReductionMenu menu, int choice = 0) {
        reduce([&](TGenSetDlg& d) {
            choose(d, mode);
            pick(d, menu);
            if (menu == ReductionMenu::Reference) d.TargetBox->setCurrentIndex(choice);
            if (menu == ReductionMenu::GivenPalette) d.PaletteBox->setCurrentIndex(choice);
            d.OKButton->click();
        });
    }
    // The user picks a ColorBox item.
    static void choose(TGenSetDlg& d, int mode) {
        d.ColorBox->setCurrentIndex(mode);
        d.ColorBoxChange();
    }
    static void pick(TGenSetDlg& d, ReductionMenu menu) {
        QRadioButton* b = menu == ReductionMenu::Individual  ? d.MenuButton1
                          : menu == ReductionMenu::Reference ? d.MenuButton2
                                                             : d.MenuButton3;
        b->click();
    }
    std::vector<std::string> paletteNames() {
        std::vector<std::string> out;
        for (const ResultRow& r : main().lists().results.lines()) out.push_back(r.paletteName);
        return out;
    }
    std::vector<std::string> modeLabels() {
        std::vector<std::string> out;
        for (const ResultRow& r : main().lists().results.lines()) out.push_back(r.modeLabel);
        return out;
    }
};

}  // namespace kararisu::test
