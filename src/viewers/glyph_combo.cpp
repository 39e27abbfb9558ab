#include "viewers/glyph_combo.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include "app/glyphs.h"

namespace kararisu {

namespace {

class ItemDelegate : public QStyledItemDelegate {
  public:
    explicit ItemDelegate(GlyphComboBox* box) : QStyledItemDelegate(box), box_(box) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        box_->drawItem(*painter, option.rect, index.row(),
                       option.state.testFlag(QStyle::State_Selected));
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width() + box_->itemHeight(),
                     box_->itemHeight());
    }

  private:
    GlyphComboBox* box_;
};

}  // namespace

GlyphComboBox::GlyphComboBox(QWidget* parent, const GlyphList& glyphs,
                             std::function<int(int)> depthOf)
    : QComboBox(parent), glyphs_(glyphs), depthOf_(std::move(depthOf)) {
    setItemDelegate(new ItemDelegate(this));
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
}

int GlyphComboBox::itemHeight() const {
    return glyphs_.height() + 4;
}

void GlyphComboBox::drawItem(QPainter& painter, const QRect& r, int i, bool selected) const {
    const QPalette& pal = palette();
    painter.fillRect(
        r, selected ? pal.brush(QPalette::Active, QPalette::Highlight) : pal.brush(QPalette::Base));
    if (i < 0 || i >= count()) return;
    if (depthOf_) glyphs_.draw(painter, r.left() + 2, r.top() + 2, depthOf_(i));
    painter.save();
    painter.setFont(font());
    painter.setPen(selected ? pal.color(QPalette::Active, QPalette::HighlightedText)
                            : pal.color(QPalette::Text));
    const QFontMetrics fm(font());
    const int x = r.left() + glyphs_.width() + 4;
    const int y = r.top() + (r.height() - fm.height()) / 2;
    painter.setClipRect(r);
    painter.drawText(x, y + fm.ascent(), itemText(i));
    painter.restore();
}

void GlyphComboBox::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText.clear();
    opt.currentIcon = QIcon();
    p.drawComplexControl(QStyle::CC_ComboBox, opt);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    // The chosen item is drawn highlighted while the list has the focus.
    drawItem(p, field, currentIndex(), hasFocus());
}

}  // namespace kararisu
