// Deleting the selected images of either list. Each goes from its list, and
// so from every control that mirrors the list, in one step.
#include "app/Mainform.h"
#include "app/main_controls.h"
#include "viewers/Gpform.h"
#include "viewers/Mpform.h"

namespace kararisu {

namespace {

int lowestSelectedLine(const QListWidget* box) {
    for (int i = 0; i < box->count(); ++i)
        if (box->item(i)->isSelected()) return i;
    return -1;
}

}  // namespace

void TMain::D1Click() {
    if (windows_.MPreForm) windows_.MPreForm->hide();
    const int n = selectedLines();
    for (int k = 0; k < n; ++k) {
        const int i = lowestSelectedLine(ui_->MotoListBox);
        if (i < 0) break;
        lists_.sources.removeAt(i);
    }
    // The extent is measured again from nothing, so it can shrink.
    ListExtent = 0;
    recomputeExtent();
    if (selectedLines() == 0) enableSourceCommands(false);
}

// The palette viewer stays open; when its result goes it shows the one its
// selector names next.
void TMain::D2Click() {
    if (windows_.GPreForm) windows_.GPreForm->hide();
    const int n = selectedRows();
    for (int k = 0; k < n; ++k) {
        const int j = ui_->GenListView->lowestSelectedRow();
        if (j < 0) break;
        lists_.results.removeAt(j);
    }
    if (selectedRows() == 0) enableResultCommands(false);
}

}  // namespace kararisu
