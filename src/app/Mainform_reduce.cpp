// The reduction run: the settings dialog, then the engine of the chosen menu
// over the selected images, with the monitor showing its steps.
#include "app/Mainform.h"
#include "app/main_controls.h"
#include "app/run_input_guard.h"
#include "palette/palette_choices.h"
#include "reduce/Gmdlg.h"
#include "reduce/Gsdlg.h"
#include "support/platform.h"

namespace kararisu {

namespace {

std::vector<int> selectedPositions(const QListWidget* box) {
    std::vector<int> out;
    for (int i = 0; i < box->count(); ++i)
        if (box->item(i)->isSelected()) out.push_back(i);
    return out;
}

}  // namespace

void TMain::G1Click() {
    TGenSetDlg* dialog = windows_.GenSetDlg;
    TGenMoniDlg* monitor = windows_.GenMoniDlg;
    if (dialog == nullptr || monitor == nullptr) return;
    const std::vector<int> selected = selectedPositions(ui_->MotoListBox);
    prepareTargets(lists_.targets, lists_.sources, selected);
    preparePalettes(lists_.palettes, lists_.sources, lists_.results);
    if (!dialog->execute(static_cast<int>(selected.size()))) return;

    RunInputGuard guard;
    // The targets share the sources' pixels, so nothing is copied; the run
    // holds them as long as it reads them, and the results keep them as
    // their source images.
    std::vector<ReductionTarget> targets;
    const TargetList& list = lists_.targets;
    for (int i = 0; i < list.size(); ++i) {
        const ImageEntry& e = list.at(i);
        targets.push_back(
            ReductionTarget{list.line(i), e.path, e.bitmap.get(), {}, e.format, e.bitmap});
    }
    settings.mode = dialog->reductionMode();
    const ReductionSettings chosen = settings;
    WorkArea work(&reporter_);
    RunContext run{*monitor, reporter_, resultSink_, work, ui_->SoundCheck->isChecked()};
    switch (dialog->reductionMenu()) {
        case ReductionMenu::Individual:
            (void)individualReduction(targets, chosen, run);
            break;
        case ReductionMenu::Reference:
            (void)referenceUnification(targets, static_cast<std::size_t>(dialog->referenceIndex()),
                                       chosen, run);
            break;
        case ReductionMenu::GivenPalette: {
            const int j = dialog->paletteIndex();
            if (j < 0 || j >= lists_.palettes.size()) break;
            // Copies: the entry keeps its palette alive for the whole run.
            const PaletteEntry entry = lists_.palettes.at(j);
            const std::string name = lists_.palettes.line(j);
            (void)paletteUnification(targets, entry, name, chosen, run);
            break;
        }
    }
    ui_->GenListView->repaint();
}

}  // namespace kararisu
