#include "palette/palette_commands.h"

#include "palette/palette_formats.h"
#include "worklists/results.h"

namespace kararisu {

int savePalettes(std::span<const PaletteToSave> palettes, const ChooseSavePath& choose,
                 Reporter& reporter) {
    int saved = 0;
    for (const PaletteToSave& p : palettes) {
        ensurePaletteFolder();
        const std::optional<std::string> path = choose(defaultPaletteSavePath(p.paletteName));
        if (!path) continue;
        if (!savePaletteFile(*path, PaletteLabel::fromText(p.modeLabel), p.depthCode, p.palette)) {
            reporter.show(paletteSaveFailedMessage());
            break;
        }
        ++saved;
    }
    return saved;
}

std::vector<LoadedPalette> readPalettes(std::span<const std::string> paths, Reporter& reporter) {
    std::vector<LoadedPalette> loaded;
    for (const std::string& path : paths) {
        Outcome<PaletteFile> r = readAnyPaletteFile(path);
        if (!r) {
            reporter.show(paletteNotCreatedMessage());
            continue;
        }
        loaded.push_back({std::move(*r), fileNameOf(path)});
    }
    return loaded;
}

}  // namespace kararisu
