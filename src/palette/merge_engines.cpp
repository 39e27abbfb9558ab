#include "palette/merge_engines.h"

#include "palette/palette_file.h"

namespace kararisu {

namespace {

enum class Pair { Merged, Dropped };

// Merges one pair into a new result; the free area and plus colours are
// found by the engine, since some engines find them once for many pairs.
Pair mergePair(const MergePalette& base, const FreeArea& area, const MergePalette& plus,
               const PlusColours& colours, Reporter& reporter, ResultSink& sink) {
    int used = colours.count;
    if (colours.count > area.count) {
        const Answer answer =
            reporter.show(partialMergeQuestion(base.name, area.count, plus.name, colours.count));
        if (answer != Answer::Yes) return Pair::Dropped;
        used = area.count;
    }
    // The merged entries go through a palette record, as any palette the
    // program makes; a record that gives no palette drops the pair.
    const std::optional<Palette> merged =
        Palette::fromRecord(mergedPalette(base, area, plus, colours, used).toRecord());
    if (!merged) {
        reporter.show(paletteNotCreatedMessage());
        return Pair::Dropped;
    }
    Result result;
    result.bitmap = swatchImage(*merged);
    result.modeLabel = mergeModeLabel(base, area, used);
    result.path = mergeFileName(sink.rows());
    result.paletteName = mergePaletteName(sink.rows(), result.path, result.modeLabel);
    sink.add(std::move(result));
    return Pair::Merged;
}

}  // namespace

int mergeOneToOne(const MergePalette& base, const MergePalette& plus, Reporter& reporter,
                  ResultSink& sink) {
    const std::optional<FreeArea> area = freeArea(base);
    if (!area) {
        reporter.show(noFreeSpaceMessage());
        return 0;
    }
    return mergePair(base, *area, plus, plusColours(plus), reporter, sink) == Pair::Merged ? 1 : 0;
}

int mergeManyToOne(std::span<const MergePalette> bases, const MergePalette& plus,
                   Reporter& reporter, ResultSink& sink) {
    const PlusColours colours = plusColours(plus);
    int made = 0;
    for (const MergePalette& base : bases) {
        const std::optional<FreeArea> area = freeArea(base);
        if (!area) {
            reporter.show(noFreeSpaceMessage(base.name));
            continue;
        }
        if (mergePair(base, *area, plus, colours, reporter, sink) == Pair::Merged) ++made;
    }
    return made;
}

int mergeOneToMany(const MergePalette& base, std::span<const MergePalette> pluses,
                   Reporter& reporter, ResultSink& sink) {
    const std::optional<FreeArea> area = freeArea(base);
    if (!area) {
        reporter.show(noFreeSpaceMessage(base.name));
        return 0;
    }
    int made = 0;
    for (const MergePalette& plus : pluses)
        if (mergePair(base, *area, plus, plusColours(plus), reporter, sink) == Pair::Merged) ++made;
    return made;
}

int runMerge(MergeMode mode, std::span<const MergePalette> bases,
             std::span<const MergePalette> pluses, Reporter& reporter, ResultSink& sink) {
    if (bases.empty() || pluses.empty()) return 0;
    switch (mode) {
        case MergeMode::OneToOne:
            return mergeOneToOne(bases.front(), pluses.front(), reporter, sink);
        case MergeMode::ManyToOne:
            return mergeManyToOne(bases, pluses.front(), reporter, sink);
        case MergeMode::OneToMany:
            return mergeOneToMany(bases.front(), pluses, reporter, sink);
    }
    return 0;
}

}  // namespace kararisu
