#pragma once
// The source image viewer, one window created hidden at start-up: the
// shared image viewer over SourceList. Its selector MotoBox mirrors the list.

#include "viewers/image_viewer.h"

namespace kararisu {

class TMPreForm : public ImageViewerOf<SourceList> {
  public:
    TMPreForm(SourceList& sources, const GlyphList& glyphs, Platform& platform);

    ImageView* const MPreImage = Picture;
    GlyphComboBox* const MotoBox = Selector;
};

}  // namespace kararisu
