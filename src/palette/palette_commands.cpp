#include "palette/palette_commands.h"

#include "palette/palette_formats.h"
#include "worklists/results.h"

namespace kararisu {

int savePalettes(std::span<const PaletteToSave> palettes, const ChooseSavePath& choose,
                 Reporter& reporter) {
    return savePalettesAs(
        palettes,
        [&](const std::string& proposed) -> std::optional<ChosenPaletteFile> {
            std::optional<std::string> path = choose(proposed);
            if (!path) return std::nullopt;
            return ChosenPaletteFile{std::move(*path), PaletteFormat::Kararisu};
        },
        reporter);
}

int savePalettesAs(std::span<const PaletteToSave> palettes, const ChooseSaveFile& choose,
                   Reporter& reporter) {
    int saved = 0;
    for (const PaletteToSave& p : palettes) {
        ensurePaletteFolder();
        const std::optional<ChosenPaletteFile> file = choose(defaultPaletteSavePath(p.paletteName));
        if (!file) continue;
        if (!savePaletteAs(file->format, file->path, PaletteLabel::fromText(p.modeLabel),
                           p.depthCode, p.palette, p.paletteName)) {
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
