#include "palette/palette_choices.h"

#include <algorithm>

#include "palette/palette_file.h"

namespace kararisu {

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// The palette an image carries, kept alive by the image it belongs to.
std::shared_ptr<const Palette> paletteOf(const ImageEntry& e) {
    return std::shared_ptr<const Palette>(e.bitmap, &e.bitmap->palette());
}

}  // namespace

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

void prepareTargets(TargetList& targets, const SourceList& sources,
                    const std::vector<int>& selectedPositions) {
    targets.clear();
    for (int i : selectedPositions)
        if (i >= 0 && i < sources.size()) targets.append(sources.at(i), sources.line(i));
}

void preparePalettes(PaletteList& palettes, const SourceList& sources, const ResultList& results) {
    palettes.clear();
    sources.entries().forEach([&](int i, const ImageEntry& e) {
        if (e.depth > 2) return;
        palettes.append(PaletteEntry{paletteOf(e), sourcePaletteLabel(e.depth), e.depth,
                                     PaletteOrigin::SourceImage},
                        sources.line(i));
    });
    results.entries().forEach([&](int j, const ImageEntry& e) {
        const ResultRow& row = results.line(j);
        const std::vector<std::string>& listed = palettes.lines();
        if (std::any_of(listed.begin(), listed.end(), [&](const std::string& name) {
                return equalIgnoringCase(name, row.paletteName);
            }))
            return;
        palettes.append(
            PaletteEntry{paletteOf(e), row.modeLabel, e.depth, PaletteOrigin::ResultImage},
            row.paletteName);
    });
}

}  // namespace kararisu
