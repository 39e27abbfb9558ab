#pragma once
// The picture an image viewer paints: a QImage over the bitmap.

#include <QImage>

#include "worklists/bitmap.h"

namespace kararisu {

// Where Qt reads the bitmap's rows as they are (1, 8 and 24 bits per pixel)
// the image shares them and copies nothing: the caller keeps the bitmap alive
// as long as the image. Other formats get one 8- or 32-bit copy. Colours are
// those the bitmap's own pixelValue gives, so an index beyond the palette
// shows black. Transparent pixels have alpha 0.
QImage viewImage(const Bitmap& bitmap);

}  // namespace kararisu
