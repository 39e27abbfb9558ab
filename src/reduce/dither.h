#pragma once
// Dithering: matching a picture onto a palette so that areas between its
// colours come out as a mix of them. Floyd–Steinberg spreads each pixel's
// error to the neighbours not yet done (serpentine rows, the adjusted colour
// clamped to 0-255 so errors stay bounded), a cell of 2 × 2 × 2 colours
// whose opposite corners have the same nearest entry taking that entry for
// all its colours; the ordered dither adds an 8 × 8 Bayer threshold scaled
// to the palette's spacing. A pixel whose colour is an entry and that
// carries no error keeps that entry.

#include "worklists/bitmap.h"

namespace kararisu {

// Auto: error diffusion only where the picture is smooth enough for the
// palette's error to show as bands (dither_auto.cpp).
enum class Dither { None, FloydSteinberg, Ordered, Auto };

// Every pixel of dst (paletted, of image's size) becomes an index into dst's
// palette. The rows are cut into bands by the picture's height alone, so the
// result is the same on any number of cores. Floyd–Steinberg starts each
// band below the first with the error of the eight rows above it, computed
// again but not written, so the seams do not show. A pixel that carries no
// error takes its colour's nearest entry, as the survey's matching gives it.
void ditherOntoPalette(const Bitmap& image, Bitmap& dst, Dither method);

}  // namespace kararisu
