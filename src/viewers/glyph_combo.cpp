#include "viewers/glyph_combo.h"

namespace kararisu {

GlyphComboBox::GlyphComboBox(QWidget* parent, const GlyphList& glyphs,
                             std::function<int(int)> depthOf)
    : GlyphDropDown(
          parent, glyphs, 1,
          [depthOf = std::move(depthOf)](int i) { return std::vector<int>{depthOf(i)}; },
          // Room for the glyph beside what the text alone would need.
          [this](const QStyleOptionViewItem&, int natural) { return natural + itemHeight(); }) {
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
}

void GlyphComboBox::drawCurrent(QPainter& painter, const QRect& field) const {
    // The chosen item is drawn highlighted while the list has the focus.
    drawItem(painter, field, currentIndex(), hasFocus());
}

}  // namespace kararisu
