// Opening the viewers on an entry of either list.
#include "app/Mainform.h"
#include "app/main_controls.h"
#include "viewers/Gpform.h"
#include "viewers/Mpform.h"
#include "viewers/Ppform.h"

namespace kararisu {

// The line with the focus, which need not be selected; an empty list has
// none and nothing is shown.
void TMain::MotoListBoxDblClick() {
    const int k = ui_->MotoListBox->currentRow();
    if (!windows_.MPreForm || k < 0 || k >= lists_.sources.size()) return;
    windows_.MPreForm->openEntry(k, QStringLiteral("元絵:"));
}

void TMain::GenListViewDblClick() {
    const int k = ui_->GenListView->lowestSelectedRow();
    if (!windows_.GPreForm || k < 0) return;
    windows_.GPreForm->openEntry(k, QStringLiteral("減色後:"));
}

void TMain::P1Click() {
    const int k = ui_->GenListView->lowestSelectedRow();
    if (!windows_.PPreForm || k < 0) return;
    windows_.PPreForm->openResult(k, QStringLiteral("減色後:"));
}

}  // namespace kararisu
