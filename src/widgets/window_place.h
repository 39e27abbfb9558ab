#pragma once
// Placing top-level windows in the middle of the screen, counting the frame
// the window manager draws around them.

#include <QMargins>

class QWidget;

namespace kararisu {

// Moves the window so that its outer rectangle, frame included, is centred
// on its screen: per axis half of (screen size - outer size), the fraction
// dropped toward zero, then lift pixels higher. Nothing happens without a
// screen.
//
// The frame is known only once the window manager has framed the window
// (and Qt forgets it while the window is hidden), so each window keeps the
// frame it was last given. A window never framed yet is placed with the
// frame last seen on a window of the same kind (or any window), and placed
// once more as soon as its own frame is reported, if that differs, before
// the user can have moved it.
void placeCentred(QWidget& window, int lift = 0);

// The frame the window was last given, or the one placeCentred would assume
// for it; none without a window manager.
QMargins expectedFrame(const QWidget& window);

}  // namespace kararisu
