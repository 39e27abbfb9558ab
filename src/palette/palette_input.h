#pragma once
// Palettes named on the command line: a palette file, or the palette of a
// 1-, 4- or 8-bit BMP file, as the palette lists of the desktop program
// offer them.

#include <optional>
#include <string>

#include "palette/palette_file.h"
#include "support/messages.h"

namespace kararisu {

struct PaletteInput {
    Palette palette;
    int depthCode = 2;
    PaletteLabel label;     // as stored in a palette file; ノーマル2/16/256 for a BMP
    std::string labelText;  // the label to show (a BMP's without filler spaces)
    bool fromBmp = false;
    std::string name;  // the file name, as the lists show it
};

// Returns nothing when the file is neither; `problem` then holds the text
// to print (the program's message for a palette file that is refused).
std::optional<PaletteInput> loadPaletteInput(const std::string& path, std::string& problem);

// A message as the batch tool prints it: "caption: text".
std::string messageText(const Message& m);

}  // namespace kararisu
