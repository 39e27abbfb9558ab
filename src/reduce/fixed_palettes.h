#pragma once
// The palette of every reduction mode: where the system colours go, where
// the chosen colours go, and the five colour scales.

#include <span>

#include "worklists/palette.h"

namespace kararisu {

// The colour of level v (0-255) of the scale of a mode from 5 to 24.
Rgb scaleColor(int mode, int v);

// The palette of a mode: 16 or 256 entries by the mode's result depth, the
// system colours at the two ends where the mode keeps them. chosen holds the colours picked by the survey or the
// median cut (ColorCount of them for modes 25 and 26); entries it does not
// reach are black.
Palette buildPalette(int mode, std::span<const Rgb> chosen);

}  // namespace kararisu
