#pragma once
// Palettes named by the user: a palette file, or the palette of a 1-, 4- or
// 8-bit BMP or a paletted PNG, as the palette lists of the desktop program
// offer them.

#include <string>

#include "palette/palette_file.h"
#include "support/messages.h"
#include "support/problem.h"
#include "worklists/work_list.h"

namespace kararisu {

struct PaletteInput {
    Palette palette;
    int depthCode = 2;
    PaletteLabel label;     // as stored in a palette file; ノーマル2/16/256 for a BMP
    std::string labelText;  // the label to show (a BMP's without filler spaces)
    bool fromBmp = false;   // from an image file (BMP or PNG)
    std::string name;       // the file name, as the lists show it
};

// An image without a colour table is NoPalette; a file that starts like a
// BMP or PNG but is no valid one gets the image reader's problem; anything
// else is read as a palette file and gets its problem.
Outcome<PaletteInput> loadPaletteInput(const std::string& path);

// What the batch tool prints for a palette input that was refused: the
// program's texts with the reason.
std::string paletteInputFailureText(const std::string& path, const Problem& problem);

// The PaletteList entry of a palette input. A file's label is kept as
// stored, filler spaces included.
PaletteEntry paletteEntryOf(const PaletteInput& input);

}  // namespace kararisu
