#pragma once
// The program's own small pictures, drawn in code so they stay crisp:
// ImageList1 (depth and origin glyphs), ImageList2 (tool bar) and ImageList3
// (row glyphs of the result list).

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <vector>

class QPainter;

namespace kararisu {

class GlyphList {
  public:
    GlyphList(QSize size, std::vector<QPixmap> glyphs) : size_(size), glyphs_(std::move(glyphs)) {}
    int width() const { return size_.width(); }
    int height() const { return size_.height(); }
    int count() const { return int(glyphs_.size()); }
    // An index outside the list draws nothing.
    void draw(QPainter& painter, int x, int y, int index) const;
    QPixmap pixmap(int index) const;
    QIcon icon(int index) const { return QIcon(pixmap(index)); }

  private:
    QSize size_;
    std::vector<QPixmap> glyphs_;
};

// Nine 16 x 16 glyphs, red on white: 1, 4, 8, 16, 24, 32 (by DepthCode), then
// 前, 後 and 外 (by PaletteOrigin).
GlyphList makeImageList1();
// Eight 20 x 20 tool bar pictures: picture and folder, folder and disk, disk,
// disk with a name tag, 減, Pal, colour squares and disk, colour squares and
// cross.
GlyphList makeImageList2();
// Three 16 x 20 row glyphs: 1, 4, 8.
GlyphList makeImageList3();
// The window icon: colour squares over a picture.
QIcon makeWindowIcon();

}  // namespace kararisu
