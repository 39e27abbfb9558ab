#pragma once
// The result image viewer, one window created hidden at start-up: the
// shared image viewer over ResultList, which also opens the palette viewer
// on the shown result and shows a result's source image in its place
// (before and after). Its selector GenBox mirrors the list.

#include "viewers/image_viewer.h"

namespace kararisu {

class TPPreForm;

class TGPreForm : public ImageViewerOf<ResultList> {
  public:
    TGPreForm(ResultList& results, const GlyphList& glyphs, Platform& platform, TPPreForm& palette);

    ImageView* const GPreImage = Picture;
    GlyphComboBox* const GenBox = Selector;
    QAction* P1;  // "パレットの表示(&P)"

    // 1 from an image click that opened the palette viewer until the next
    // change of entry, report, press on the window's frame or closing of
    // the palette viewer: a second click in a row does nothing.
    int PaletteShown = 0;

    // Opens the palette viewer on the shown result (an image click, a click
    // on the bare window, the menu item).
    void GPreImageClick();

    void UpdateButtons() override;
    void C1Click() override;
    void C2Click() override;
    void I1Click() override;

  protected:
    void clicked() override { GPreImageClick(); }
    void framePressed() override { PaletteShown = 0; }

  private:
    TPPreForm& palette_;
};

}  // namespace kararisu
