#include "app/result_rows_mirror.h"

#include "app/gen_list_view.h"
#include "widgets/glyphs.h"

namespace kararisu {

namespace {

// Row glyphs: "1", "4", "8".
int rowGlyph(PixelFormat f) {
    return f == PixelFormat::Bpp8 ? 2 : f == PixelFormat::Bpp4 ? 1 : 0;
}

}  // namespace

ResultRowsMirror::ResultRowsMirror(ResultList& list, GenListView* view, const GlyphList& rowGlyphs)
    : Mirroring<ResultList>(list), view_(view), rowGlyphs_(rowGlyphs) {
    start();
}

void ResultRowsMirror::appended(const ImageEntry& entry, const ResultRow& row) {
    auto* item = new QTreeWidgetItem(view_);
    item->setText(0, toQt(row.fileName));
    item->setText(1, toQt(row.paletteName));
    item->setText(2, toQt(row.modeLabel));
    // A label with the quality options' suffix is wider than its column.
    item->setToolTip(2, toQt(row.modeLabel));
    item->setIcon(0, rowGlyphs_.icon(rowGlyph(entry.bitmap->format())));
}

void ResultRowsMirror::removed(int n) {
    delete view_->takeTopLevelItem(n);
}

void ResultRowsMirror::cleared() {
    view_->clear();
}

}  // namespace kararisu
