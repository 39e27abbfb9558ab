#pragma once
// The three palette merges. Each merged pair becomes a result — a swatch
// image carrying the merged palette, its file name, palette name and
// ModeLabel — handed to the sink as soon as it is made. Questions and
// warnings go to the reporter; the caller's answer to the partial-merge
// question decides whether a plus that does not fit is merged in part.

#include <span>

#include "palette/merge_rules.h"
#include "support/messages.h"
#include "worklists/results.h"

namespace kararisu {

enum class MergeMode { OneToOne, ManyToOne, OneToMany };

// Each returns the number of results made. When it is above 0 the caller's
// SchemeName becomes kMergeSchemeName ("カスタム"); ColorCount is untouched.

// One pair. No free space, a "No" and a palette that cannot be made end it.
int mergeOneToOne(const MergePalette& base, const MergePalette& plus, Reporter& reporter,
                  ResultSink& sink);
// Each base, in order, with the one plus. A base without free space is
// reported by name and skipped; a "No" skips that base only.
int mergeManyToOne(std::span<const MergePalette> bases, const MergePalette& plus,
                   Reporter& reporter, ResultSink& sink);
// The one base with each plus, in order, every time from the unchanged base.
// A base without free space ends the command; a "No" skips that plus.
int mergeOneToMany(const MergePalette& base, std::span<const MergePalette> pluses,
                   Reporter& reporter, ResultSink& sink);

// The engine of a mode: one-to-one takes the first base and plus,
// many-to-one the first plus, one-to-many the first base.
int runMerge(MergeMode mode, std::span<const MergePalette> bases,
             std::span<const MergePalette> pluses, Reporter& reporter, ResultSink& sink);

}  // namespace kararisu
