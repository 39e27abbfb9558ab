#include "palette/palette_list_box.h"

#include <algorithm>

#include "widgets/glyph_item_delegate.h"

namespace kararisu {

PaletteListBox::PaletteListBox(QWidget* parent, PaletteList& palettes, const GlyphList& glyphs)
    : QListWidget(parent),
      palettes_(palettes),
      delegate_(new GlyphItemDelegate(
          this, glyphs, 2,
          [this](int n) {
              return n < palettes_.size() ? paletteEntryGlyphs(palettes_.at(n))
                                          : std::vector<int>{};
          },
          // As wide as the extent, so the list scrolls exactly that far, and
          // never narrower than the list, so a selected item is filled across.
          [this](const QStyleOptionViewItem&, int) {
              return std::max(extent_, viewport()->width());
          })) {
    setItemDelegate(delegate_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    mirror_ = std::make_unique<ListBoxMirror<PaletteList>>(palettes_, this);
}

void PaletteListBox::setHorizontalExtent(int extent) {
    extent_ = extent;
    doItemsLayout();
    viewport()->update();
}

int PaletteListBox::widestText() const {
    const QFontMetrics fm(font());
    int widest = 0;
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, fm.horizontalAdvance(item(i)->text()));
    return widest;
}

int PaletteListBox::itemHeight() const {
    return delegate_->itemHeight();
}

void PaletteListBox::drawItem(QPainter& painter, const QRect& r, int n, bool selected) const {
    delegate_->drawItem(painter, r, model()->index(n, 0), selected);
}

std::vector<int> PaletteListBox::selectedRows() const {
    std::vector<int> rows;
    for (int i = 0; i < count(); ++i)
        if (item(i)->isSelected()) rows.push_back(i);
    return rows;
}

}  // namespace kararisu
