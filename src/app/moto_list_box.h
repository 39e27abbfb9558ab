#pragma once
// The "before" list: a list box drawn by the program, each line the depth
// glyph of its image followed by the file name, with a horizontal scroll
// extent set by its owner.

#include <QListWidget>
#include <functional>

#include "app/list_input.h"

namespace kararisu {

class GlyphList;
class GlyphItemDelegate;

class MotoListBox : public ReportingList<QListWidget> {
  public:
    // glyphs: the depth glyphs; depthOf(i): the glyph index of line i, or -1.
    MotoListBox(QWidget* parent, const GlyphList& glyphs, std::function<int(int)> depthOf);

    // The width in pixels the lines can be scrolled across.
    void setHorizontalExtent(int extent);
    int horizontalExtent() const { return extent_; }

    // Line height: the glyph height plus 4.
    int lineHeight() const;
    // Draws line i into r as the list shows it.
    void drawLine(QPainter& painter, const QRect& r, int i, bool selected) const;

  protected:
    // The right button opens the popup on the lines already selected.
    void mousePressEvent(QMouseEvent* event) override;

  private:
    GlyphItemDelegate* delegate_;
    int extent_ = 0;
};

}  // namespace kararisu
