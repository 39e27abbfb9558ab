#pragma once
// Placing the reduction windows: centred on the screen each time they are
// shown (placeCentred), and the fonts their forms name.

#include <QFont>
#include <QString>

#include "widgets/window_place.h"

namespace kararisu {

inline const QString kGothic = QStringLiteral("ＭＳ ゴシック");
inline const QString kPropGothic = QStringLiteral("ＭＳ Ｐゴシック");

QFont uiFont(const QString& family, int pixelSize, bool bold = false);

}  // namespace kararisu
