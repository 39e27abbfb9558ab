#include "palette/palette_commands.h"

#include "worklists/results.h"

namespace kararisu {

int savePalettes(std::span<const PaletteToSave> palettes, const std::string& programFolder,
                 const ChooseSavePath& choose, Reporter& reporter) {
    int saved = 0;
    for (const PaletteToSave& p : palettes) {
        ensurePaletteFolder(programFolder);
        const std::optional<std::string> path =
            choose(defaultPaletteSavePath(programFolder, p.paletteName));
        if (!path) continue;
        if (const std::optional<Message> failed = savePaletteFile(
                *path, PaletteLabel::fromText(p.modeLabel), p.depthCode, p.palette)) {
            reporter.show(*failed);
            break;
        }
        ++saved;
    }
    return saved;
}

std::vector<LoadedPalette> readPalettes(std::span<const std::string> paths, Reporter& reporter) {
    std::vector<LoadedPalette> loaded;
    for (const std::string& path : paths) {
        PaletteFileRead r = readPaletteFile(path);
        if (!r.ok()) {
            reporter.show(r.message);
            continue;
        }
        loaded.push_back({std::move(*r.file), fileNameOf(path)});
    }
    return loaded;
}

}  // namespace kararisu
