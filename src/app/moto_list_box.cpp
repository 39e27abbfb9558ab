#include "app/moto_list_box.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "app/glyphs.h"

namespace kararisu {

namespace {

class LineDelegate : public QStyledItemDelegate {
  public:
    explicit LineDelegate(MotoListBox* box) : QStyledItemDelegate(box), box_(box) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        box_->drawLine(*painter, option.rect, index.row(),
                       option.state.testFlag(QStyle::State_Selected));
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        // Every line is as wide as the extent, so the list scrolls exactly
        // that far.
        return QSize(box_->horizontalExtent(), box_->lineHeight());
    }

  private:
    MotoListBox* box_;
};

}  // namespace

MotoListBox::MotoListBox(QWidget* parent, const GlyphList& glyphs, std::function<int(int)> depthOf)
    : ReportingList<QListWidget>(parent), glyphs_(glyphs), depthOf_(std::move(depthOf)) {
    setItemDelegate(new LineDelegate(this));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setUniformItemSizes(true);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void MotoListBox::setHorizontalExtent(int extent) {
    extent_ = extent;
    // The delegate's size changed for every line at once.
    doItemsLayout();
    viewport()->update();
}

int MotoListBox::lineHeight() const {
    return glyphs_.height() + 4;
}

void MotoListBox::drawLine(QPainter& painter, const QRect& r, int i, bool selected) const {
    const QPalette& pal = palette();
    painter.fillRect(
        r, selected ? pal.brush(QPalette::Active, QPalette::Highlight) : pal.brush(QPalette::Base));
    if (depthOf_) glyphs_.draw(painter, r.left() + 2, r.top() + 2, depthOf_(i));
    QListWidgetItem* line = item(i);
    if (!line) return;
    painter.save();
    painter.setFont(font());
    painter.setPen(selected ? pal.color(QPalette::Active, QPalette::HighlightedText)
                            : pal.color(QPalette::Text));
    QFontMetrics fm(font());
    int x = r.left() + glyphs_.width() + 4;
    int y = r.top() + (r.height() - fm.height()) / 2;
    painter.drawText(x, y + fm.ascent(), line->text());
    painter.restore();
}

}  // namespace kararisu
