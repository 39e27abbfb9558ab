#pragma once
// Placing the reduction windows: centred on the screen each time they are
// shown, and the fonts their forms name.

#include <QFont>
#include <QString>

class QWidget;

namespace kararisu {

inline const QString kGothic = QStringLiteral("ＭＳ ゴシック");
inline const QString kPropGothic = QStringLiteral("ＭＳ Ｐゴシック");

QFont uiFont(const QString& family, int pixelSize, bool bold = false);

// Moves w to the middle of its screen, per axis half of (screen size -
// window size) truncated toward zero, then lift pixels higher. Nothing
// happens without a screen.
void placeCentred(QWidget& w, int lift = 0);

}  // namespace kararisu
