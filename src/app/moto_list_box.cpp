#include "app/moto_list_box.h"

#include "widgets/glyph_item_delegate.h"

namespace kararisu {

MotoListBox::MotoListBox(QWidget* parent, const GlyphList& glyphs, std::function<int(int)> depthOf)
    : ReportingList<QListWidget>(parent),
      delegate_(new GlyphItemDelegate(
          this, glyphs, 1,
          [depthOf = std::move(depthOf)](int i) { return std::vector<int>{depthOf(i)}; },
          // Every line is as wide as the extent, so the list scrolls exactly
          // that far.
          [this](const QStyleOptionViewItem&, int) { return extent_; })) {
    setItemDelegate(delegate_);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setUniformItemSizes(true);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void MotoListBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    ReportingList<QListWidget>::mousePressEvent(event);
}

void MotoListBox::setHorizontalExtent(int extent) {
    extent_ = extent;
    // The delegate's size changed for every line at once.
    doItemsLayout();
    viewport()->update();
}

int MotoListBox::lineHeight() const {
    return delegate_->itemHeight();
}

void MotoListBox::drawLine(QPainter& painter, const QRect& r, int i, bool selected) const {
    delegate_->drawItem(painter, r, model()->index(i, 0), selected);
}

}  // namespace kararisu
