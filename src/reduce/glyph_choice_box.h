#pragma once
// The settings dialog's two drop-down lists, drawn by the program: each
// item is one or two glyphs of the depth and origin picture list followed by
// its text, on a line the glyph height plus 4 pixels high. The closed box draws its current item the
// same way.

#include <QComboBox>
#include <functional>
#include <vector>

namespace kararisu {

class GlyphList;

class GlyphChoiceBox : public QComboBox {
  public:
    // glyphsOf(n): the glyph indexes drawn before the text of item n.
    using GlyphsOf = std::function<std::vector<int>(int)>;
    GlyphChoiceBox(QWidget* parent, const GlyphList& glyphs, int glyphsPerItem, GlyphsOf glyphsOf);

    int itemHeight() const;
    // Draws item n into r: the fill of its state, glyph k at
    // (left + 2 + k * (width + 2), top + 2), the text at
    // left + glyphsPerItem * (width + 4), centred vertically.
    void drawItem(QPainter& painter, const QRect& r, int n, bool selected) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const GlyphList& glyphs_;
    int glyphsPerItem_;
    GlyphsOf glyphsOf_;
};

}  // namespace kararisu
