#pragma once
// The palette save command and the read operation of the two "読み込み"
// buttons, without their windows: the file dialogs are callbacks, messages go
// to the reporter, so the desktop program and tests drive the same steps.

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "palette/palette_file.h"
#include "palette/palette_formats.h"
#include "support/messages.h"

namespace kararisu {

// A selected result whose palette is to be saved.
struct PaletteToSave {
    std::string paletteName;  // "パレット名": the file name the dialog proposes
    std::string modeLabel;    // "減色モード": the label written
    int depthCode = 2;
    Palette palette;
};

// The save dialog: given the proposed path, the path chosen, or nothing on cancel.
using ChooseSavePath = std::function<std::optional<std::string>(const std::string& proposed)>;

// For each palette in order: make sure the palette folder exists, propose
// folder + palette name + ".gpl", and write the chosen file. A cancel goes on
// with the next palette; a file that cannot be written shows the save
// failure message and ends the command. With nothing to save nothing happens,
// not even the folder is made. Returns the number of files written.
int savePalettes(std::span<const PaletteToSave> palettes, const ChooseSavePath& choose,
                 Reporter& reporter);

// The same with a save dialog that offers every palette format: it gives
// the path and the format of the filter chosen (paletteFormatOfFilter). A
// GIMP palette is named after the result's palette name.
struct ChosenPaletteFile {
    std::string path;
    PaletteFormat format = PaletteFormat::Kararisu;
};
using ChooseSaveFile = std::function<std::optional<ChosenPaletteFile>(const std::string& proposed)>;
int savePalettesAs(std::span<const PaletteToSave> palettes, const ChooseSaveFile& choose,
                   Reporter& reporter);

// A palette file accepted by the read operation, with the name the lists show.
struct LoadedPalette {
    PaletteFile file;
    std::string displayName;  // the path after its last "/"
};

// The files chosen in the open dialog, in its order: each refused file shows
// the program's message and is skipped; the others are still read.
std::vector<LoadedPalette> readPalettes(std::span<const std::string> paths, Reporter& reporter);

}  // namespace kararisu
