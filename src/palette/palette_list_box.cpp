#include "palette/palette_list_box.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

#include "app/glyphs.h"

namespace kararisu {

namespace {

class ItemDelegate : public QStyledItemDelegate {
  public:
    explicit ItemDelegate(PaletteListBox* box) : QStyledItemDelegate(box), box_(box) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        box_->drawItem(*painter, option.rect, index.row(),
                       option.state.testFlag(QStyle::State_Selected));
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        // As wide as the extent, so the list scrolls exactly that far, and
        // never narrower than the list, so a selected item is filled across.
        return QSize(std::max(box_->horizontalExtent(), box_->viewport()->width()),
                     box_->itemHeight());
    }

  private:
    PaletteListBox* box_;
};

constexpr int kLastDepthGlyph = 5;

}  // namespace

PaletteListBox::PaletteListBox(QWidget* parent, PaletteList& palettes, const GlyphList& glyphs)
    : QListWidget(parent), palettes_(palettes), glyphs_(glyphs) {
    setItemDelegate(new ItemDelegate(this));
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
    return glyphs_.height() + 4;
}

void PaletteListBox::drawItem(QPainter& painter, const QRect& r, int n, bool selected) const {
    const QPalette& pal = palette();
    painter.fillRect(
        r, selected ? pal.brush(QPalette::Active, QPalette::Highlight) : pal.brush(QPalette::Base));
    if (n < palettes_.size()) {
        const PaletteEntry& e = palettes_.at(n);
        // A palette file may carry any depth code; only real depths have a glyph.
        if (e.depth >= 0 && e.depth <= kLastDepthGlyph)
            glyphs_.draw(painter, r.left() + 2, r.top() + 2, e.depth);
        glyphs_.draw(painter, r.left() + glyphs_.width() + 4, r.top() + 2,
                     static_cast<int>(e.origin));
    }
    const QListWidgetItem* it = item(n);
    if (!it) return;
    painter.save();
    painter.setFont(font());
    painter.setPen(selected ? pal.color(QPalette::Active, QPalette::HighlightedText)
                            : pal.color(QPalette::Text));
    const QFontMetrics fm(font());
    const int x = r.left() + 2 * glyphs_.width() + 8;
    const int y = r.top() + (r.height() - fm.height()) / 2;
    painter.drawText(x, y + fm.ascent(), it->text());
    painter.restore();
}

std::vector<int> PaletteListBox::selectedRows() const {
    std::vector<int> rows;
    for (int i = 0; i < count(); ++i)
        if (item(i)->isSelected()) rows.push_back(i);
    return rows;
}

}  // namespace kararisu
