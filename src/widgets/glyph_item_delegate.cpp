#include "widgets/glyph_item_delegate.h"

#include <QPainter>
#include <QStylePainter>

#include "widgets/glyphs.h"
#include "worklists/work_list.h"

namespace kararisu {

namespace {

constexpr int kLastDepthGlyph = 5;

}  // namespace

GlyphItemDelegate::GlyphItemDelegate(QWidget* owner, const GlyphList& glyphs, int textSlots,
                                     GlyphsOf glyphsOf, WidthOf widthOf)
    : QStyledItemDelegate(owner),
      owner_(owner),
      glyphs_(glyphs),
      textSlots_(textSlots),
      glyphsOf_(std::move(glyphsOf)),
      widthOf_(std::move(widthOf)) {}

int GlyphItemDelegate::itemHeight() const {
    return glyphs_.height() + 4;
}

void GlyphItemDelegate::drawItem(QPainter& painter, const QRect& r, const QModelIndex& index,
                                 bool selected) const {
    const QPalette& pal = owner_->palette();
    painter.fillRect(
        r, selected ? pal.brush(QPalette::Active, QPalette::Highlight) : pal.brush(QPalette::Base));
    if (!index.isValid()) return;
    const int w = glyphs_.width();
    const std::vector<int> glyphs = glyphsOf_(index.row());
    for (std::size_t k = 0; k < glyphs.size(); ++k)
        glyphs_.draw(painter, r.left() + 2 + int(k) * (w + 2), r.top() + 2, glyphs[k]);
    painter.save();
    painter.setFont(owner_->font());
    painter.setPen(selected ? pal.color(QPalette::Active, QPalette::HighlightedText)
                            : pal.color(QPalette::Text));
    const QFontMetrics fm(owner_->font());
    const int x = r.left() + textSlots_ * (w + 4);
    const int y = r.top() + (r.height() - fm.height()) / 2;
    painter.setClipRect(r, Qt::IntersectClip);
    painter.drawText(x, y + fm.ascent(), index.data(Qt::DisplayRole).toString());
    painter.restore();
}

void GlyphItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    drawItem(*painter, option.rect, index, option.state.testFlag(QStyle::State_Selected));
}

QSize GlyphItemDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    const int natural = QStyledItemDelegate::sizeHint(option, index).width();
    return QSize(widthOf_(option, natural), itemHeight());
}

std::vector<int> paletteEntryGlyphs(const PaletteEntry& entry) {
    const bool real = entry.depth >= 0 && entry.depth <= kLastDepthGlyph;
    return {real ? entry.depth : -1, static_cast<int>(entry.origin)};
}

GlyphDropDown::GlyphDropDown(QWidget* parent, const GlyphList& glyphs, int textSlots,
                             GlyphItemDelegate::GlyphsOf glyphsOf,
                             GlyphItemDelegate::WidthOf widthOf)
    : QComboBox(parent),
      delegate_(
          new GlyphItemDelegate(this, glyphs, textSlots, std::move(glyphsOf), std::move(widthOf))) {
    setItemDelegate(delegate_);
}

void GlyphDropDown::drawItem(QPainter& painter, const QRect& r, int n, bool selected) const {
    delegate_->drawItem(painter, r, model()->index(n, modelColumn(), rootModelIndex()), selected);
}

void GlyphDropDown::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText.clear();
    opt.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, opt);
    drawCurrent(painter, style()->subControlRect(QStyle::CC_ComboBox, &opt,
                                                 QStyle::SC_ComboBoxEditField, this));
}

}  // namespace kararisu
