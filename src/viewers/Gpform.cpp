#include "viewers/Gpform.h"

#include <QMenu>

#include "viewers/Ppform.h"

namespace kararisu {

TGPreForm::TGPreForm(ResultList& results, const GlyphList& glyphs, Platform& platform,
                     TPPreForm& palette)
    : ImageViewerOf<ResultList>(results, platform, glyphs, QStringLiteral("GPreForm"),
                                QStringLiteral("減色絵:")),
      palette_(palette) {
    P1 = new QAction(QStringLiteral("パレットの表示(&P)"), this);
    C1->insertAction(C2, P1);
    C1->insertSeparator(C2);
    connect(P1, &QAction::triggered, this, [this] { GPreImageClick(); });
    connect(&palette_, &TPPreForm::closed, this, [this] { PaletteShown = 0; });
    offerComparison();
}

void TGPreForm::GPreImageClick() {
    palette_.setWindowState(palette_.windowState() & ~Qt::WindowMinimized);
    if (PaletteShown == 1) {
        PaletteShown = 0;
        return;
    }
    const int k = GenBox->currentIndex();
    if (k < 0 || k >= count()) return;
    PaletteShown = 1;
    palette_.openResult(k, QStringLiteral("減色絵:"));
}

void TGPreForm::UpdateButtons() {
    ImageViewer::UpdateButtons();
    PaletteShown = 0;
}

// Counting is always offered here: every result has pixels.
void TGPreForm::C1Click() {
    ImageViewer::C1Click();
    C2->setEnabled(true);
}

void TGPreForm::C2Click() {
    ImageViewer::C2Click();
    PaletteShown = 0;
}

void TGPreForm::I1Click() {
    ImageViewer::I1Click();
    PaletteShown = 0;
}

}  // namespace kararisu
