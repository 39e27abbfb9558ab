#pragma once
// How the program draws an item of its glyph lists and drop-downs: the fill
// of its state, glyph k of the item at (left + 2 + k * (width + 2), top + 2),
// then its text at left + textSlots * (width + 4), centred vertically and
// kept within the item, on a line the glyph height plus 4 pixels high. A
// selected item keeps the active colours when its window is not active.

#include <QComboBox>
#include <QStyledItemDelegate>
#include <functional>
#include <vector>

namespace kararisu {

class GlyphList;
struct PaletteEntry;

class GlyphItemDelegate : public QStyledItemDelegate {
  public:
    // The glyph indexes drawn before the text of a row; -1 draws nothing in
    // its place.
    using GlyphsOf = std::function<std::vector<int>(int row)>;
    // An item's width; `natural` is the width the plain delegate gives it.
    using WidthOf = std::function<int(const QStyleOptionViewItem& option, int natural)>;

    // owner: the list or box whose font and colours the items take.
    GlyphItemDelegate(QWidget* owner, const GlyphList& glyphs, int textSlots, GlyphsOf glyphsOf,
                      WidthOf widthOf);

    int itemHeight() const;
    // Draws the item at `index` into r; an invalid index draws the fill only.
    void drawItem(QPainter& painter, const QRect& r, const QModelIndex& index, bool selected) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    QWidget* owner_;
    const GlyphList& glyphs_;
    int textSlots_;
    GlyphsOf glyphsOf_;
    WidthOf widthOf_;
};

// The depth and origin glyphs of a palette entry. A palette file may carry
// any depth code; only the real depths have a glyph.
std::vector<int> paletteEntryGlyphs(const PaletteEntry& entry);

// A drop-down whose items the delegate draws, the closed box included: the
// style draws the frame and the arrow, drawCurrent the current item.
class GlyphDropDown : public QComboBox {
  public:
    int itemHeight() const { return delegate_->itemHeight(); }
    // Draws item n into r as the list shows it.
    void drawItem(QPainter& painter, const QRect& r, int n, bool selected) const;

  protected:
    GlyphDropDown(QWidget* parent, const GlyphList& glyphs, int textSlots,
                  GlyphItemDelegate::GlyphsOf glyphsOf, GlyphItemDelegate::WidthOf widthOf);
    // Draws the current item into the style's edit field.
    virtual void drawCurrent(QPainter& painter, const QRect& field) const = 0;
    void paintEvent(QPaintEvent* event) override;

  private:
    GlyphItemDelegate* delegate_;
};

}  // namespace kararisu
