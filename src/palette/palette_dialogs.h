#pragma once
// The palette file dialogs of the desktop program, and the read operation
// behind the "読み込み" buttons of the reduction settings and the palette
// merge: one implementation for both.

#include <string>
#include <vector>

#include "support/platform.h"
#include "worklists/mirrored_list.h"

namespace kararisu {

// PLoadDlg: "パレットの読み込み" in the palette folder, several files when
// the caller takes several.
FileDialogRequest paletteLoadRequest(bool severalFiles);

// Makes sure the palette folder exists, shows PLoadDlg above window and
// reads the chosen
// files in the dialog's order (only the first unless severalFiles). Each
// accepted file is appended to the palettes as a palette of origin 8,
// labelled with its 11 label bytes as stored and listed under its file
// name; each refused file, or one that cannot be opened, shows the palette
// message (above window too) and is skipped. Returns the positions appended, for the caller to
// select; nothing when the dialog was cancelled.
std::vector<int> loadPaletteFiles(Platform& platform, WindowRef window, PaletteList& palettes,
                                  bool severalFiles);

}  // namespace kararisu
