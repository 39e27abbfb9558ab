#pragma once
// The viewers' selectors: a drop-down list drawn by the program, each item
// the depth glyph of its entry followed by its name, 20 pixels high.

#include <QComboBox>
#include <functional>

namespace kararisu {

class GlyphList;

class GlyphComboBox : public QComboBox {
  public:
    // depthOf(i): the glyph index of item i, or -1 for none.
    GlyphComboBox(QWidget* parent, const GlyphList& glyphs, std::function<int(int)> depthOf);

    // Item height: the glyph height plus 4.
    int itemHeight() const;
    // Draws item i into r as the list shows it.
    void drawItem(QPainter& painter, const QRect& r, int i, bool selected) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const GlyphList& glyphs_;
    std::function<int(int)> depthOf_;
};

}  // namespace kararisu
