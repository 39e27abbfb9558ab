#pragma once
// What the reduction settings and the palette merge offer to choose from,
// rebuilt each time one of them opens: the selected images as targets, and
// the palettes of paletted source images and of earlier results.

#include <vector>

#include "worklists/mirrored_list.h"

namespace kararisu {

// Empties the targets, then appends the sources at the given positions in
// list order, each sharing its source's pixels (a target is only read).
void prepareTargets(TargetList& targets, const SourceList& sources,
                    const std::vector<int>& selectedPositions);

// Empties the palettes, then offers the palette of every 1-, 4- and 8-bit
// source (origin 6, labelled ノーマル2/16/256, listed under its file name),
// then the palette of each result whose palette name is not listed yet,
// letter case ignored (origin 7, labelled with its ModeLabel).
void preparePalettes(PaletteList& palettes, const SourceList& sources, const ResultList& results);

// True when a and b are equal without regard to the case of ASCII letters.
bool equalIgnoringCase(const std::string& a, const std::string& b);

}  // namespace kararisu
