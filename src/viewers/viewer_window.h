#pragma once
// Small things every viewer window does alike.

#include <QPixmap>

class QToolButton;
class QWidget;

namespace kararisu {

// The desktop's own colours for a strip or menu bar on a window painted in
// another colour: set in full, so nothing is taken from the window.
void useDesktopColours(QWidget& widget);

// A minimised window back to normal.
void restoreIfMinimised(QWidget& window);

// The 20 x 20 glyph of an arrow button: a shaded triangle.
QPixmap arrowGlyph(bool up);

// A flat 25 x 25 arrow button at left, top of parent.
QToolButton* makeArrowButton(QWidget* parent, bool up, int left);

}  // namespace kararisu
