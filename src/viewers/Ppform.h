#pragma once
// The palette viewer, one window created hidden at start-up: the palette of
// one result as a grid of 2, 16 or 256 cells 22 pixels apart, with the index
// and the red, green and blue values of the cell under the mouse, in
// hexadecimal or decimal. Its selector PalBox mirrors ResultList.

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QToolButton>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "viewers/glyph_combo.h"
#include "widgets/list_mirrors.h"
#include "worklists/palette.h"

namespace kararisu {

class GlyphList;

// The palette picture; reports the mouse in picture pixels.
class PaletteView : public QWidget {
    Q_OBJECT
  public:
    explicit PaletteView(QWidget* parent);
    QImage picture;

  signals:
    void mouseMoved(int x, int y);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};

class TPPreForm : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kCell = 22;  // cell pitch

    TPPreForm(ResultList& results, const GlyphList& glyphs);

    QFrame* Panel1;
    QToolButton* UpButton;
    QToolButton* DownButton;
    GlyphComboBox* PalBox;
    QToolButton* DButton;  // "10進数"
    QToolButton* HButton;  // "16進数", down at start
    QFrame* Bevel1;
    QLabel* NoLabel;
    QLabel* NLabel;
    QLabel* RRLabel;
    QLabel* RLabel;
    QLabel* GGLabel;
    QLabel* GLabel;
    QLabel* BBLabel;
    QLabel* BLabel;
    PaletteView* PPreImage;

    // The colour of the last cell hovered: red in bits 0-7, green 8-15,
    // blue 16-23.
    std::uint32_t LastColor = 0;

    // An opener (the main window's palette command, the result viewer's
    // image click): hides the window, shows result k captioned prefix, its
    // name and "のパレット", selects it and shows the window again.
    void openResult(int k, const QString& prefix);

    // Arrows, grid, and empty value labels.
    void RefreshPalette();
    void UpButtonClick();
    void DownButtonClick();
    void DButtonClick();
    void HButtonClick();
    // The mouse at (x, y) of the picture.
    void PPreImageMouseMove(int x, int y);

  signals:
    // The window was closed (Esc, close box): the result viewer's next
    // image click opens it again.
    void closed();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showResult(int k, bool refresh);
    void DrawGrid();
    void ShowIndex(int k);
    void ShowColor(std::uint32_t v);
    void setLabel(QLabel* label, const QString& text, int left);

    ResultList& results_;
    const GlyphList& glyphs_;
    Palette palette_;  // the shown result's
    std::unique_ptr<ComboMirror<ResultList>> selector_;
};

}  // namespace kararisu
