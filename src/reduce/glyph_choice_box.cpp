#include "reduce/glyph_choice_box.h"

#include <QAbstractItemView>
#include <QPainter>

namespace kararisu {

GlyphChoiceBox::GlyphChoiceBox(QWidget* parent, const GlyphList& glyphs, int glyphsPerItem,
                               GlyphsOf glyphsOf)
    : GlyphDropDown(parent, glyphs, glyphsPerItem, std::move(glyphsOf),
                    [](const QStyleOptionViewItem& option, int) { return option.rect.width(); }) {}

void GlyphChoiceBox::drawCurrent(QPainter& painter, const QRect& field) const {
    // The item keeps its own height, centred in the field.
    const int h = itemHeight();
    const QRect r(field.left(), field.top() + (field.height() - h) / 2, field.width(), h);
    painter.setClipRect(field);
    drawItem(painter, r, currentIndex(), hasFocus() && !view()->isVisible());
}

}  // namespace kararisu
