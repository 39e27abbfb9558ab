#include "viewers/Mpform.h"

namespace kararisu {

TMPreForm::TMPreForm(SourceList& sources, const GlyphList& glyphs, Platform& platform)
    : ImageViewerOf<SourceList>(sources, platform, glyphs, QStringLiteral("MPreForm"),
                                QStringLiteral("元絵:")) {}

}  // namespace kararisu
