#pragma once
// The viewers' selectors: a drop-down list drawn by the program, each item
// the depth glyph of its entry followed by its name, 20 pixels high.

#include <functional>

#include "widgets/glyph_item_delegate.h"

namespace kararisu {

class GlyphComboBox : public GlyphDropDown {
  public:
    // depthOf(i): the glyph index of item i, or -1 for none.
    GlyphComboBox(QWidget* parent, const GlyphList& glyphs, std::function<int(int)> depthOf);

  protected:
    void drawCurrent(QPainter& painter, const QRect& field) const override;
};

}  // namespace kararisu
