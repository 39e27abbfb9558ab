// What is enabled when: the menus as they open, the commands that follow the
// selection of either list, the status-bar hints, and the tool bar and sound
// options.
#include <initializer_list>

#include "app/Mainform.h"
#include "app/main_controls.h"

namespace kararisu {

// The commands that need a selected line of the "before" list. Mouse and key
// releases only ever enable them (clearing the selection leaves them as
// they are); deleting lines disables them when none is left selected.
void TMain::enableSourceCommands(bool lines) {
    MainControls& u = *ui_;
    u.G1->setEnabled(lines);
    u.GenButton->setEnabled(lines);
    u.DMotoButton->setEnabled(lines);
}

// The delete button and the tool buttons that act on selected result rows.
void TMain::enableResultCommands(bool rows) {
    MainControls& u = *ui_;
    for (QWidget* w : {static_cast<QWidget*>(u.DGenButton), static_cast<QWidget*>(u.PalButton),
                       static_cast<QWidget*>(u.Save1Button), static_cast<QWidget*>(u.Save2Button),
                       static_cast<QWidget*>(u.Save3Button), static_cast<QWidget*>(u.Save4Button)})
        w->setEnabled(rows);
}

void TMain::File1Click() {
    MainControls& u = *ui_;
    const bool rows = selectedRows() > 0;
    for (QAction* a : {u.Save1, u.Save2, u.Save3, u.P4}) a->setEnabled(rows);
}

void TMain::V3Click() {
    MainControls& u = *ui_;
    u.B2->setEnabled(selectedLines() > 0);
    u.A1->setEnabled(selectedRows() > 0);
    u.P5->setEnabled(selectedRows() > 0);
}

void TMain::PopupMenu1Popup() {
    MainControls& u = *ui_;
    const bool lines = selectedLines() > 0;
    for (QAction* a : {u.V1, u.G2, u.D1}) a->setEnabled(lines);
}

void TMain::PopupMenu2Popup() {
    MainControls& u = *ui_;
    const bool rows = selectedRows() > 0;
    u.S1->setEnabled(rows);
    for (QAction* a : {u.V2, u.P1, u.D2, u.F1, u.S3, u.S2, u.P2}) a->setEnabled(rows);
}

void TMain::MotoListBoxMouseUp() {
    if (selectedLines() > 0) enableSourceCommands(true);
}

void TMain::MotoListBoxKeyUp() {
    MotoListBoxMouseUp();
}

void TMain::GenListViewMouseUp() {
    enableResultCommands(selectedRows() > 0);
}

void TMain::GenListViewKeyUp() {
    GenListViewMouseUp();
}

void TMain::MotoListBoxMouseMove() {
    ui_->StatusBar1->showMessage(
        QStringLiteral("減色するＢＭＰを選んで下さい。ダブルクリックでプレビューできます。"));
}

void TMain::GenListViewMouseMove() {
    ui_->StatusBar1->showMessage(QStringLiteral("ダブルクリックでプレビューできます。"));
}

void TMain::N3Click() {
    ui_->B1->setChecked(ui_->SoundCheck->isChecked());
}

void TMain::B1Click() {
    // Triggering B1 has already inverted its check mark.
    ui_->SoundCheck->setChecked(ui_->B1->isChecked());
}

// Triggering H1 or E1 has already inverted its check mark.
void TMain::H1Click() {
    settings.refine = ui_->H1->isChecked();
}

void TMain::E1Click() {
    settings.dither = ui_->E1->isChecked() ? Dither::Auto : Dither::None;
}

void TMain::T1Click() {
    MainControls& u = *ui_;
    // Triggering T1 has already inverted its check mark: unchecked now means
    // the tool bar was shown and goes away.
    const int h = u.ToolBar1->height();
    const int dy = u.T1->isChecked() ? h : -h;
    u.ToolBar1->setVisible(u.T1->isChecked());
    for (QWidget* w :
         std::initializer_list<QWidget*>{u.Label1, u.Label2, u.Bevel1, u.Bevel2, u.DMotoButton,
                                         u.DGenButton, u.MotoListBox, u.GenListView})
        w->move(w->x(), w->y() + dy);
    setClientHeight(u.Client->height() + dy);
}

}  // namespace kararisu
