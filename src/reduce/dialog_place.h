#pragma once
// Placing the reduction windows: centred on the screen each time they are
// shown.

class QWidget;

namespace kararisu {

// Moves w to the middle of its screen, per axis half of (screen size -
// window size) truncated toward zero, then lift pixels higher. Nothing
// happens without a screen.
void placeCentred(QWidget& w, int lift = 0);

}  // namespace kararisu
