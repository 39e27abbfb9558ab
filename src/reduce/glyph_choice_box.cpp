#include "reduce/glyph_choice_box.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include "app/glyphs.h"

namespace kararisu {

namespace {

class ItemDelegate : public QStyledItemDelegate {
  public:
    explicit ItemDelegate(GlyphChoiceBox* box) : QStyledItemDelegate(box), box_(box) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        box_->drawItem(*painter, option.rect, index.row(),
                       option.state.testFlag(QStyle::State_Selected));
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return QSize(option.rect.width(), box_->itemHeight());
    }

  private:
    GlyphChoiceBox* box_;
};

}  // namespace

GlyphChoiceBox::GlyphChoiceBox(QWidget* parent, const GlyphList& glyphs, int glyphsPerItem,
                               GlyphsOf glyphsOf)
    : QComboBox(parent),
      glyphs_(glyphs),
      glyphsPerItem_(glyphsPerItem),
      glyphsOf_(std::move(glyphsOf)) {
    setItemDelegate(new ItemDelegate(this));
}

int GlyphChoiceBox::itemHeight() const {
    return glyphs_.height() + 4;
}

void GlyphChoiceBox::drawItem(QPainter& painter, const QRect& r, int n, bool selected) const {
    const QPalette& pal = palette();
    painter.fillRect(r, selected ? pal.highlight() : pal.base());
    if (n < 0 || n >= count()) return;
    const std::vector<int> glyphs = glyphsOf_ ? glyphsOf_(n) : std::vector<int>{};
    const int w = glyphs_.width();
    for (std::size_t k = 0; k < glyphs.size(); ++k)
        glyphs_.draw(painter, r.left() + 2 + int(k) * (w + 2), r.top() + 2, glyphs[k]);
    painter.setFont(font());
    painter.setPen(selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
    const QFontMetrics fm(font());
    const int x = r.left() + glyphsPerItem_ * (w + 4);
    const int y = r.top() + (r.height() - fm.height()) / 2;
    painter.drawText(QRect(x, y, std::max(0, r.right() - x), fm.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, itemText(n));
}

void GlyphChoiceBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText.clear();
    opt.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, opt);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    // The item keeps its own height, centred in the field.
    const int h = itemHeight();
    const QRect r(field.left(), field.top() + (field.height() - h) / 2, field.width(), h);
    painter.setClipRect(field);
    drawItem(painter, r, currentIndex(), hasFocus() && !view()->isVisible());
}

}  // namespace kararisu
