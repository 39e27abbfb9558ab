#pragma once
// The rows of the main window's "after" list, mirroring the results.

#include "widgets/list_mirrors.h"

namespace kararisu {

class GlyphList;
class GenListView;

// The rows of the "after" list: file name, palette name and ModeLabel, and
// the row glyph "1", "4" or "8" by the result's depth.
class ResultRowsMirror final : public Mirroring<ResultList> {
  public:
    ResultRowsMirror(ResultList& list, GenListView* view, const GlyphList& rowGlyphs);
    void appended(const ImageEntry& entry, const ResultRow& row) override;
    void removed(int n) override;
    void cleared() override;

  private:
    GenListView* view_;
    const GlyphList& rowGlyphs_;
};

}  // namespace kararisu
