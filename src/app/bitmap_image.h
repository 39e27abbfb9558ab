#pragma once
// Pictures of core bitmaps for the screen.

#include <QImage>

#include "worklists/bitmap.h"

namespace kararisu {

// An opaque 32-bit copy of the bitmap's picture.
QImage toQImage(const Bitmap& bitmap);

}  // namespace kararisu
