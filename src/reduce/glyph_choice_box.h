#pragma once
// The settings dialog's two drop-down lists, drawn by the program: each
// item is one or two glyphs of the depth and origin picture list followed by
// its text, on a line the glyph height plus 4 pixels high. The closed box
// draws its current item the same way.

#include "widgets/glyph_item_delegate.h"

namespace kararisu {

class GlyphChoiceBox : public GlyphDropDown {
  public:
    // glyphsOf(n): the glyph indexes drawn before the text of item n; the
    // text starts after glyphsPerItem glyph places (at +20 or +40).
    using GlyphsOf = GlyphItemDelegate::GlyphsOf;
    GlyphChoiceBox(QWidget* parent, const GlyphList& glyphs, int glyphsPerItem, GlyphsOf glyphsOf);

  protected:
    void drawCurrent(QPainter& painter, const QRect& field) const override;
};

}  // namespace kararisu
