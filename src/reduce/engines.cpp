#include "reduce/engines.h"

#include <optional>

#include "reduce/engine_steps.h"
#include "reduce/fixed_palettes.h"
#include "reduce/mcut.h"
#include "reduce/modes.h"
#include "reduce/refine.h"

namespace kararisu {

Message sizeMessage(const std::string& name) {
    return {name + "\nこのビットマップはサイズが０なので、減色できません！！",
            "警告：減色できません！！", MessageIcon::Exclamation, MessageButtons::Ok};
}

Message referenceSizeMessage(const std::string& name) {
    return {name + "\n基準ビットマップはサイズが０なので減色できません！！\n減色を終了します。",
            "警告：減色できません！！", MessageIcon::Exclamation, MessageButtons::Ok};
}

std::string optionLabel(const std::string& label, const ReductionSettings& settings,
                        bool adaptive) {
    std::string s = label;
    if (settings.refine && adaptive) s += "+HQ";
    if (settings.dither != Dither::None) s += "+D";
    return s;
}

namespace {

const char* const kSortStep = "取得カラーをクイックソート";
const char* const kTallyStep = "ヒストグラム作成";
const char* const kCutStep = "減色実行！！";

}  // namespace

TargetImage imageOf(const ReductionTarget& t) {
    TargetImage ti;
    if (t.image != nullptr) {
        ti.image = t.image;
    } else if (t.load) {
        ti.owned = t.load();
        ti.image = ti.owned.get();
    }
    return ti;
}

void runEnd(RunContext& run) {
    if (run.sound) run.reporter.beep(Beep::Information);
    run.monitor.hide();
}

std::string runLabel(const ReductionSettings& settings) {
    return optionLabel(modeLabel(settings.schemeName, settings.colorCount), settings,
                       modeInfo(settings.mode).adaptive);
}

Outcome<ChosenColors> chooseColors(const Bitmap& image, ColorSurvey& survey,
                                   const ReductionSettings& settings, RunContext& run) {
    const std::size_t count = static_cast<std::size_t>(std::max(settings.colorCount, 0));
    ChosenColors chosen;
    chosen.colors.resize(count);
    if (Outcome<void> counted = survey.count(image, run.work); !counted) return counted.problem();
    step(run.monitor, kSortStep, progress::kSort);
    step(run.monitor, kTallyStep, progress::kTally);
    OpaqueSurvey opaque;
    if (image.hasTransparency()) {
        Outcome<OpaqueSurvey> split =
            surveyOpaque(image, survey.tallies(), settings.mode, settings.colorCount, run.work);
        if (!split) return split.problem();
        opaque = std::move(*split);
    }
    chosen.clear = opaque.clear;
    if (chosen.clear) chosen.colors.resize(count > 0 ? count - 1 : 0);
    const std::span<ColorTally> tallies =
        chosen.clear ? std::span<ColorTally>(opaque.tallies) : survey.reorderableTallies();
    step(run.monitor, kCutStep, progress::kChoose);
    if (tallies.size() <= chosen.colors.size()) {
        for (std::size_t k = 0; k < tallies.size(); ++k)
            chosen.colors[k] = Rgb::fromValue(static_cast<std::uint32_t>(tallies[k].color));
    } else {
        // The cut reorders what it is given; the refinement reads the
        // tallies in their order, so it gets them from a copy.
        LargeVector<ColorTally> copy;
        std::span<ColorTally> cut = tallies;
        if (settings.refine) {
            if (Outcome<void> got = run.work.obtain(copy, tallies.size()); !got)
                return got.problem();
            std::copy(tallies.begin(), tallies.end(), copy.begin());
            cut = copy;
        }
        const std::int64_t total =
            chosen.clear ? opaque.pixels : std::int64_t{image.width()} * image.height();
        if (Outcome<void> cutDone = medianCut(total, cut, chosen.colors, run.work); !cutDone)
            return cutDone.problem();
        if (settings.refine) refineChosen(tallies, settings.mode, chosen.colors);
        // Only plain Floyd-Steinberg, which diffuses everywhere, gains from
        // entries moved out to the edges of the colours; the adaptive
        // diffusion leaves most pixels on their nearest entry, and there the
        // moved entries are a visible loss (a grey ramp at 16 colours looks
        // clearly worse).
        if (settings.refine && settings.dither == Dither::FloydSteinberg)
            refineForDither(image, settings.mode, chosen.colors, settings.dither);
    }
    chosen.colors.resize(count);
    return chosen;
}

Outcome<std::optional<TransparentEntry>> fixedTransparentEntry(const Bitmap& image,
                                                               const ReductionSettings& settings,
                                                               RunContext& run) {
    if (!image.hasTransparency()) return std::optional<TransparentEntry>();
    return transparentEntryFor(image, settings.mode, settings.colorCount, run.work);
}

Outcome<Bitmap> reduceOnto(const Bitmap& image, int mode, const std::vector<Rgb>& chosen,
                           ColorSurvey& survey, bool surveyed, Dither dither,
                           const std::optional<TransparentEntry>& clear, WorkArea& work) {
    const ModeInfo& info = modeInfo(mode);
    Bitmap result(image.width(), image.height(), info.resultFormat);
    const Palette matching = buildPalette(info.matchingMode, chosen);
    result.setPaletteEntries(
        clear && info.matchingMode == mode ? withoutEntry(matching, clear->index) : matching);
    if (dither == Dither::None) {
        if (!surveyed)
            if (Outcome<void> counted = survey.count(image, work); !counted)
                return counted.problem();
        survey.matchInto(image, result);
    } else {
        // The auto dither passes an error on from nearly every pixel of a
        // smooth photo, so matching every pixel first would be wasted: the
        // few that pass nothing on get their nearest entry from the dither,
        // as the matching would give it.
        survey.release();
        ditherOntoPalette(image, result, dither);
    }
    if (info.matchingMode != mode) {
        const Palette final = buildPalette(mode, chosen);
        result.setPalette(clear ? withoutEntry(final, clear->index) : final);
    }
    if (clear) placeTransparentEntry(image, result, buildPalette(mode, chosen), *clear);
    return result;
}

RunOutcome individualReduction(const std::vector<ReductionTarget>& targets,
                               const ReductionSettings& settings, RunContext& run) {
    const int mode = settings.mode;
    const ModeInfo& info = modeInfo(mode);
    const std::string label = runLabel(settings);
    RunMonitor& m = run.monitor;
    m.setTitle(kTargetTitle);
    m.setNumber(kNoBlank);
    m.show();
    m.processEvents();
    // One survey for the run: its tables serve every image.
    ColorSurvey survey;
    const Outcome<void> walked = guarded(run, [&] {
        return walk(targets, run, [&](std::size_t i, const Bitmap& image) -> Outcome<void> {
            step(m, kSurveyStep, progress::kSurvey);
            ChosenColors chosen;
            if (info.adaptive) {
                Outcome<ChosenColors> colors = chooseColors(image, survey, settings, run);
                if (!colors) return colors.problem();
                chosen = std::move(*colors);
            } else {
                Outcome<std::optional<TransparentEntry>> clear =
                    fixedTransparentEntry(image, settings, run);
                if (!clear) return clear.problem();
                chosen.clear = *clear;
            }
            step(m, kConvertStep, progress::kConvert);
            Outcome<Bitmap> result = reduceOnto(image, mode, chosen.colors, survey, info.adaptive,
                                                settings.dither, chosen.clear, run.work);
            if (!result) return result.problem();
            m.setPosition(progress::kDone);
            m.setStep(kDoneStep);
            const ReductionTarget& t = targets[i];
            const std::string name =
                paletteNameFor(run.sink.rows(), stemOf(t.name), NameForm::Individual, label);
            run.sink.add({std::move(*result), t.path, name, label, t.format, t.shared});
            return {};
        });
    });
    if (!walked) return walked.problem();
    runEnd(run);
    return RunEnd::Completed;
}

}  // namespace kararisu
