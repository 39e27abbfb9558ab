// The command table: every control of the main window that runs a command,
// with the handler name it has on the form and the command it runs. Several
// controls share one command (the menu item, the tool button and the popup
// item of a save command); each is wired here once, guarded so that an
// error a command raises is shown and ends only that command.
#include <QAbstractButton>

#include "app/Mainform.h"
#include "app/application.h"
#include "app/main_controls.h"

namespace kararisu {

std::vector<TMain::CommandRow> TMain::commandTable() {
    MainControls& u = *ui_;
    return {
        // --- controls that run a command
        {u.Open1, "Open1Click", &TMain::Open1Click},
        {u.OpenButton, "OpenButtonClick", &TMain::Open1Click},
        {u.Save1, "Save1Click", &TMain::F1Click},
        {u.Save1Button, "Save1ButtonClick", &TMain::F1Click},
        {u.F1, "F1Click", &TMain::F1Click},
        {u.Save3, "Save3Click", &TMain::S3Click},
        {u.Save3Button, "Save3ButtonClick", &TMain::S3Click},
        {u.S3, "S3Click", &TMain::S3Click},
        {u.Save2, "Save2Click", &TMain::S2Click},
        {u.Save2Button, "Save2ButtonClick", &TMain::S2Click},
        {u.S2, "S2Click", &TMain::S2Click},
        {u.P4, "P4Click", &TMain::P2Click},
        {u.Save4Button, "Save4ButtonClick", &TMain::P2Click},
        {u.P2, "P2Click", &TMain::P2Click},
        {u.G1, "G1Click", &TMain::G1Click},
        {u.G2, "G2Click", &TMain::G1Click},
        {u.GenButton, "GenButtonClick", &TMain::G1Click},
        {u.P3, "P3Click", &TMain::P3Click},
        {u.PAddButton, "PAddButtonClick", &TMain::P3Click},
        {u.D1, "D1Click", &TMain::D1Click},
        {u.DMotoButton, "DMotoButtonClick", &TMain::D1Click},
        {u.D2, "D2Click", &TMain::D2Click},
        {u.DGenButton, "DGenButtonClick", &TMain::D2Click},
        {u.V1, "V1Click", &TMain::MotoListBoxDblClick},
        {u.B2, "B2Click", &TMain::MotoListBoxDblClick},
        {u.V2, "V2Click", &TMain::GenListViewDblClick},
        {u.A1, "A1Click", &TMain::GenListViewDblClick},
        {u.P1, "P1Click", &TMain::P1Click},
        {u.PalButton, "PalButtonClick", &TMain::P1Click},
        {u.P5, "P5Click", &TMain::P1Click},
        {u.T1, "T1Click", &TMain::T1Click},
        {u.B1, "B1Click", &TMain::B1Click},
        {u.H1, "H1Click", &TMain::H1Click},
        {u.E1, "E1Click", &TMain::E1Click},
        {u.Exit1, "Exit1Click", &TMain::Exit1Click},
        // --- menus as they open, where the enabling rules run
        {u.File1, "File1Click", &TMain::File1Click},
        {u.V3, "V3Click", &TMain::V3Click},
        {u.N3, "N3Click", &TMain::N3Click},
        {u.PopupMenu1, "PopupMenu1Popup", &TMain::PopupMenu1Popup},
        {u.PopupMenu2, "PopupMenu2Popup", &TMain::PopupMenu2Popup},
        // --- the two lists under the mouse and the keys
        {&u.MotoListBox->input, "MotoListBoxMouseMove", &TMain::MotoListBoxMouseMove,
         &ListInput::mouseMoved},
        {&u.MotoListBox->input, "MotoListBoxMouseUp", &TMain::MotoListBoxMouseUp,
         &ListInput::mouseReleased},
        {&u.MotoListBox->input, "MotoListBoxKeyUp", &TMain::MotoListBoxKeyUp,
         &ListInput::keyReleased},
        {&u.MotoListBox->input, "MotoListBoxDblClick", &TMain::MotoListBoxDblClick,
         &ListInput::doubleClicked},
        {&u.GenListView->input, "GenListViewMouseMove", &TMain::GenListViewMouseMove,
         &ListInput::mouseMoved},
        {&u.GenListView->input, "GenListViewMouseUp", &TMain::GenListViewMouseUp,
         &ListInput::mouseReleased},
        {&u.GenListView->input, "GenListViewKeyUp", &TMain::GenListViewKeyUp,
         &ListInput::keyReleased},
        {&u.GenListView->input, "GenListViewDblClick", &TMain::GenListViewDblClick,
         &ListInput::doubleClicked},
    };
}

void TMain::connectCommands() {
    for (const CommandRow& row : commandTable()) {
        const Command command = row.command;
        auto run = [this, command] { runCommand([&] { (this->*command)(); }); };
        if (row.listEvent) {
            connect(static_cast<ListInput*>(row.control), row.listEvent, this, run);
        } else if (auto* action = qobject_cast<QAction*>(row.control)) {
            connect(action, &QAction::triggered, this, run);
        } else if (auto* button = qobject_cast<QAbstractButton*>(row.control)) {
            connect(button, &QAbstractButton::clicked, this, run);
        } else if (auto* menu = qobject_cast<QMenu*>(row.control)) {
            connect(menu, &QMenu::aboutToShow, this, run);
        }
    }
}

}  // namespace kararisu
