#pragma once
// The steps the three reduction engines share: the walk over the targets,
// the survey and choice of an adaptive mode's colours, the conversion of
// one image, and the guard that turns refused memory into the run's stop.

#include <cstddef>
#include <new>
#include <optional>
#include <vector>

#include "reduce/engines.h"
#include "reduce/survey.h"
#include "reduce/transparency.h"

namespace kararisu {

// Where the monitor's bar stands at each step of an image, of 1000.
namespace progress {
inline constexpr int kSurvey = 0;     // the colours being counted
inline constexpr int kSort = 300;     // counted; being sorted
inline constexpr int kTally = 500;    // sorted; equal neighbours being tallied
inline constexpr int kChoose = 700;   // the palette being chosen
inline constexpr int kConvert = 900;  // the pixels being matched to it
inline constexpr int kDone = 1000;
}  // namespace progress

inline constexpr const char* kTargetTitle = "ターゲット";
inline constexpr const char* kNoBlank = "　／　";
inline constexpr const char* kSurveyStep = "全ピクセルをカラーサーチ";
inline constexpr const char* kConvertStep = "ピクセル値を変換";
inline constexpr const char* kUnifyStep = "ピクセル値変換";
inline constexpr const char* kDoneStep = "完了！！";

inline void step(RunMonitor& m, const char* text, int position) {
    m.setStep(text);
    m.setPosition(position);
}

// The walk over the targets: number and name for each, the size check and
// its message. visit(i, image) converts and registers one image; the first
// problem it gives stops the walk.
template <typename Visit>
Outcome<void> walk(const std::vector<ReductionTarget>& targets, RunContext& run, Visit visit);

// Runs body (which gives an Outcome<void>); a std::bad_alloc anywhere in it
// is a refused work area. A stopped run hides the monitor.
template <typename Body>
Outcome<void> guarded(RunContext& run, Body body) {
    Outcome<void> done;
    try {
        done = body();
    } catch (const std::bad_alloc&) {
        done = run.work.refuse();
    }
    if (!done) run.monitor.hide();
    return done;
}

void runEnd(RunContext& run);

// The run's ModeLabel, marked with the options it was made with.
std::string runLabel(const ReductionSettings& settings);

// The palette an adaptive mode chose for an image, and the entry kept for
// its transparent pixels when it has some.
struct ChosenColors {
    std::vector<Rgb> colors;
    std::optional<TransparentEntry> clear;
};

// The survey and the choice of colours of an adaptive mode, with its steps:
// the distinct colours themselves when they fit, else the median cut. An
// image with transparent pixels gets `clear`, the entry kept for them, and
// its colours are chosen from the other pixels, one fewer.
Outcome<ChosenColors> chooseColors(const Bitmap& image, ColorSurvey& survey,
                                   const ReductionSettings& settings, RunContext& run);

// The entry a fixed palette keeps for the image's transparent pixels.
Outcome<std::optional<TransparentEntry>> fixedTransparentEntry(const Bitmap& image,
                                                               const ReductionSettings& settings,
                                                               RunContext& run);

// The result of one image: matched on the mode's matching palette, then
// moved to its final palette (the scale modes with system colours). With an
// entry kept for transparent pixels, the opaque ones never take it.
// `surveyed` says whether `survey` has counted this image already.
Outcome<Bitmap> reduceOnto(const Bitmap& image, int mode, const std::vector<Rgb>& chosen,
                           ColorSurvey& survey, bool surveyed, Dither dither,
                           const std::optional<TransparentEntry>& clear, WorkArea& work);

// The image of a target, read now if it is not in memory.
struct TargetImage {
    const Bitmap* image = nullptr;
    std::unique_ptr<Bitmap> owned;
};
TargetImage imageOf(const ReductionTarget& t);

template <typename Visit>
Outcome<void> walk(const std::vector<ReductionTarget>& targets, RunContext& run, Visit visit) {
    const std::size_t count = targets.size();
    for (std::size_t i = 0; i < count; ++i) {
        const ReductionTarget& t = targets[i];
        run.monitor.setNumber(std::to_string(i + 1) + "/" + std::to_string(count));
        run.monitor.setName(t.name);
        TargetImage ti = imageOf(t);
        if (ti.image == nullptr) continue;
        // An image without pixels in either direction has nothing to reduce.
        if (ti.image->isEmpty()) {
            run.monitor.hide();
            run.reporter.show(sizeMessage(t.name));
            if (count == 1) break;
            run.monitor.show();
            continue;
        }
        if (Outcome<void> done = visit(i, *ti.image); !done) return done;
    }
    return {};
}

}  // namespace kararisu
