#include "palette/palette_dialogs.h"

#include <memory>

#include "palette/palette_commands.h"
#include "palette/palette_formats.h"

namespace kararisu {

FileDialogRequest paletteLoadRequest(bool severalFiles) {
    FileDialogRequest r;
    r.title = kPaletteLoadTitle;
    r.filter = paletteOpenFilter();  // the program's own first, then every palette file
    r.folder = paletteFolder();
    r.defaultSuffix = kPaletteExtension;
    r.multiSelect = severalFiles;
    return r;
}

std::vector<int> loadPaletteFiles(Platform& platform, WindowRef window, PaletteList& palettes,
                                  bool severalFiles) {
    ensurePaletteFolder();
    std::vector<std::string> paths = platform.openFiles(window, paletteLoadRequest(severalFiles));
    if (!severalFiles && paths.size() > 1) paths.resize(1);
    std::vector<int> appended;
    WindowReporter reporter(platform, window);
    for (LoadedPalette& p : readPalettes(paths, reporter)) {
        PaletteEntry entry{std::make_shared<const Palette>(std::move(p.file.palette)),
                           p.file.label.text(), p.file.depthCode, PaletteOrigin::PaletteFile};
        appended.push_back(palettes.size());
        palettes.append(std::move(entry), std::move(p.displayName));
    }
    return appended;
}

}  // namespace kararisu
