// Deleting the selected images of either list, with their entries and the
// lines of every control that mirrors the list.
#include "app/Mainform.h"
#include "viewers/Gpform.h"
#include "viewers/Mpform.h"
#include "viewers/Ppform.h"

namespace kararisu {

namespace {

int lowestSelectedLine(const QListWidget* box) {
    for (int i = 0; i < box->count(); ++i)
        if (box->item(i)->isSelected()) return i;
    return -1;
}

int lowestSelectedRow(const QTreeWidget* view) {
    for (int j = 0; j < view->topLevelItemCount(); ++j)
        if (view->topLevelItem(j)->isSelected()) return j;
    return -1;
}

}  // namespace

void TMain::D1Click() {
    if (windows_.MPreForm) windows_.MPreForm->hide();
    const int n = selectedLines();
    for (int k = 0; k < n; ++k) {
        const int i = lowestSelectedLine(MotoListBox);
        if (i < 0) break;
        if (ImageEntry* e = entryAt(SourceList, i)) {
            remove(SourceList, e);
            --SourceCount;
        }
        delete MotoListBox->takeItem(i);
        if (windows_.MPreForm && i < windows_.MPreForm->MotoBox->count())
            windows_.MPreForm->MotoBox->removeItem(i);
    }
    // The extent is measured again from nothing, so it can shrink.
    ListExtent = 0;
    recomputeExtent();
    if (selectedLines() == 0) {
        G1->setEnabled(false);
        GenButton->setEnabled(false);
        DMotoButton->setEnabled(false);
    }
}

void TMain::D2Click() {
    if (windows_.GPreForm) windows_.GPreForm->hide();
    const int n = selectedRows();
    for (int k = 0; k < n; ++k) {
        const int j = lowestSelectedRow(GenListView);
        if (j < 0) break;
        if (ImageEntry* e = entryAt(ResultList, j)) {
            remove(ResultList, e);
            --ResultCount;
        }
        delete GenListView->takeTopLevelItem(j);
        if (windows_.GPreForm && j < windows_.GPreForm->GenBox->count())
            windows_.GPreForm->GenBox->removeItem(j);
        if (windows_.PPreForm && j < windows_.PPreForm->PalBox->count())
            windows_.PPreForm->PalBox->removeItem(j);
    }
    if (selectedRows() == 0) {
        for (QWidget* w : std::initializer_list<QWidget*>{DGenButton, PalButton, Save1Button,
                                                          Save2Button, Save3Button, Save4Button})
            w->setEnabled(false);
    }
}

}  // namespace kararisu
