// The palette merge command: PaletteList rebuilt from the images, the merge
// dialog, then the engine of the chosen merge over the chosen palettes.
#include "app/Mainform.h"
#include "palette/Padlg.h"
#include "palette/palette_choices.h"
#include "support/platform.h"

namespace kararisu {

namespace {

// The engines take copies: a palette and how many of its entries count.
std::vector<MergePalette> mergePalettes(const PaletteList& palettes, const std::vector<int>& rows) {
    std::vector<MergePalette> out;
    for (int n : rows) {
        const PaletteEntry& e = palettes.at(n);
        out.push_back({e.palette ? *e.palette : Palette(), e.depth, palettes.line(n)});
    }
    return out;
}

}  // namespace

void TMain::P3Click() {
    TPalAddDlg* dialog = windows().PalAddDlg;
    if (!dialog) return;
    preparePalettes(lists_.palettes, lists_.sources, lists_.results);
    dialog->setScrollExtents();
    if (dialog->exec() != QDialog::Accepted) return;
    const std::vector<MergePalette> bases = mergePalettes(lists_.palettes, dialog->chosenBases());
    const std::vector<MergePalette> pluses = mergePalettes(lists_.palettes, dialog->chosenPluses());
    if (runMerge(dialog->mode(), bases, pluses, reporter_, resultSink_) > 0)
        settings.schemeName = kMergeSchemeName;
}

}  // namespace kararisu
