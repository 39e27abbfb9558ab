#pragma once
// A list box of offered palettes, drawn by the program: each item the depth
// glyph and the origin glyph (前, 後, 外) of its PaletteList entry, then the
// entry's display name. It mirrors PaletteList for as long as it exists.

#include <QListWidget>
#include <memory>

#include "widgets/list_mirrors.h"

namespace kararisu {

class GlyphList;
class GlyphItemDelegate;

class PaletteListBox : public QListWidget {
  public:
    // glyphs: ImageList1 of the main window (depth glyphs 0-5, origins 6-8).
    PaletteListBox(QWidget* parent, PaletteList& palettes, const GlyphList& glyphs);

    // The width the items can be scrolled across.
    void setHorizontalExtent(int extent);
    int horizontalExtent() const { return extent_; }
    // The widest item text in the list's font; 0 for an empty list.
    int widestText() const;

    // Item height: the glyph height plus 4.
    int itemHeight() const;
    // Draws item n into r as the list shows it.
    void drawItem(QPainter& painter, const QRect& r, int n, bool selected) const;
    // The rows selected, in list order.
    std::vector<int> selectedRows() const;

  private:
    PaletteList& palettes_;
    GlyphItemDelegate* delegate_;
    int extent_ = 0;
    std::unique_ptr<ListBoxMirror<PaletteList>> mirror_;
};

}  // namespace kararisu
