#include "reduce/engines.h"

#include <new>
#include <optional>

#include "reduce/fixed_palettes.h"
#include "reduce/mcut.h"
#include "reduce/modes.h"
#include "reduce/refine.h"
#include "reduce/survey.h"
#include "reduce/transparency.h"

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

const char* const kTarget = "ターゲット";
const char* const kNoBlank = "　／　";
const char* const kSurveyStep = "全ピクセルをカラーサーチ";
const char* const kSortStep = "取得カラーをクイックソート";
const char* const kTallyStep = "ヒストグラム作成";
const char* const kCutStep = "減色実行！！";
const char* const kConvertStep = "ピクセル値を変換";
const char* const kUnifyStep = "ピクセル値変換";
const char* const kDone = "完了！！";

// A refused buffer outside the work area (a std::bad_alloc) stops the run
// like a refused work area.
struct Stop {};

void step(RunMonitor& m, const char* text, int position) {
    m.setStep(text);
    m.setPosition(position);
}

// The image of a target, read now if it is not in memory.
struct TargetImage {
    const Bitmap* image = nullptr;
    std::unique_ptr<Bitmap> owned;
};

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

// The walk over the targets: number and name for each, the size check and
// its message. visit(i, image) converts and registers one image.
template <typename Visit>
void walk(const std::vector<ReductionTarget>& targets, RunContext& run, Visit visit) {
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
        visit(i, *ti.image);
    }
}

void runEnd(RunContext& run) {
    if (run.sound) run.reporter.beep(Beep::Information);
    run.monitor.hide();
}

// The end of a unification's walk: the bar full, "完了！！", the run end.
RunOutcome finishUnification(RunContext& run) {
    run.monitor.setPosition(1000);
    run.monitor.setStep(kDone);
    runEnd(run);
    return RunOutcome::Completed;
}

// The survey and the choice of colours of an adaptive mode, with its steps:
// the distinct colours themselves when they fit, else the median cut. An
// image with transparent pixels gets `clear`, the entry kept for them, and
// its colours are chosen from the other pixels, one fewer.
// Throws Stop when a work area is refused.
std::vector<Rgb> chooseColors(const Bitmap& image, ColorSurvey& survey,
                              const ReductionSettings& settings, RunContext& run,
                              std::optional<TransparentEntry>& clear) {
    const std::size_t count = static_cast<std::size_t>(std::max(settings.colorCount, 0));
    std::vector<Rgb> chosen(count);
    run.work.allocFailed = false;
    if (!survey.count(image, run.work)) throw Stop{};
    step(run.monitor, kSortStep, 300);
    step(run.monitor, kTallyStep, 500);
    OpaqueSurvey opaque;
    if (image.hasTransparency() && !surveyOpaque(image, survey.tallies(), settings.mode,
                                                 settings.colorCount, run.work, opaque))
        throw Stop{};
    clear = opaque.clear;
    if (clear) chosen.resize(count > 0 ? count - 1 : 0);
    const LargeVector<ColorTally>& tallies = clear ? opaque.tallies : survey.tallies();
    step(run.monitor, kCutStep, 700);
    if (tallies.size() <= chosen.size()) {
        for (std::size_t k = 0; k < tallies.size(); ++k) {
            chosen[k] = Rgb::fromValue(static_cast<std::uint32_t>(tallies[k].color));
        }
    } else {
        // The cut reorders what it is given; the survey keeps its order for
        // the matching.
        LargeVector<ColorTally> cut;
        run.work.allocFailed = false;
        if (!run.work.obtain(cut, tallies.size())) throw Stop{};
        std::copy(tallies.begin(), tallies.end(), cut.begin());
        const std::int64_t total =
            clear ? opaque.pixels : std::int64_t{image.width()} * image.height();
        if (!medianCut(total, cut, chosen, run.work)) throw Stop{};
        if (settings.refine) refineChosen(tallies, settings.mode, chosen);
    }
    chosen.resize(count);
    return chosen;
}

// The entry a fixed palette keeps for the image's transparent pixels.
std::optional<TransparentEntry> fixedTransparentEntry(const Bitmap& image,
                                                      const ReductionSettings& settings,
                                                      RunContext& run) {
    std::optional<TransparentEntry> clear;
    if (!image.hasTransparency()) return clear;
    run.work.allocFailed = false;
    if (!transparentEntryFor(image, settings.mode, settings.colorCount, run.work, clear))
        throw Stop{};
    return clear;
}

// The result of one image: matched on the mode's matching palette, then
// moved to its final palette (the scale modes with system colours). With an
// entry kept for transparent pixels, the opaque ones never take it.
Bitmap reduceOnto(const Bitmap& image, int mode, const std::vector<Rgb>& chosen,
                  ColorSurvey* survey, Dither dither,
                  const std::optional<TransparentEntry>& clear = std::nullopt) {
    const ModeInfo& info = modeInfo(mode);
    Bitmap result(image.width(), image.height(), info.resultFormat);
    const Palette matching = buildPalette(info.matchingMode, chosen);
    result.setPaletteEntries(
        clear && info.matchingMode == mode ? withoutEntry(matching, clear->index) : matching);
    if (dither != Dither::None) {
        ditherOntoPalette(image, result, dither);
    } else if (survey != nullptr) {
        survey->matchInto(image, result);
    } else {
        mapOntoPalette(image, result);
    }
    if (info.matchingMode != mode) {
        const Palette final = buildPalette(mode, chosen);
        result.setPalette(clear ? withoutEntry(final, clear->index) : final);
    }
    if (clear) placeTransparentEntry(image, result, buildPalette(mode, chosen), *clear);
    return result;
}

template <typename Body>
RunOutcome guarded(RunContext& run, Body body) {
    try {
        body();
    } catch (const Stop&) {
        run.monitor.hide();
        return RunOutcome::Stopped;
    } catch (const std::bad_alloc&) {
        run.work.refuse();
        run.monitor.hide();
        return RunOutcome::Stopped;
    }
    return RunOutcome::Completed;
}

// The run's ModeLabel, marked with the options it was made with.
std::string runLabel(const ReductionSettings& settings) {
    return optionLabel(modeLabel(settings.schemeName, settings.colorCount), settings,
                       modeInfo(settings.mode).adaptive);
}

}  // namespace

RunOutcome individualReduction(const std::vector<ReductionTarget>& targets,
                               const ReductionSettings& settings, RunContext& run) {
    const int mode = settings.mode;
    const ModeInfo& info = modeInfo(mode);
    const std::string label = runLabel(settings);
    RunMonitor& m = run.monitor;
    m.setTitle(kTarget);
    m.setNumber(kNoBlank);
    m.show();
    m.processEvents();
    RunOutcome outcome = guarded(run, [&] {
        walk(targets, run, [&](std::size_t i, const Bitmap& image) {
            step(m, kSurveyStep, 0);
            Bitmap result;
            std::optional<TransparentEntry> clear;
            if (info.adaptive) {
                ColorSurvey survey;
                const std::vector<Rgb> chosen = chooseColors(image, survey, settings, run, clear);
                step(m, kConvertStep, 900);
                result = reduceOnto(image, mode, chosen, &survey, settings.dither, clear);
            } else {
                clear = fixedTransparentEntry(image, settings, run);
                step(m, kConvertStep, 900);
                result = reduceOnto(image, mode, {}, nullptr, settings.dither, clear);
            }
            m.setPosition(1000);
            m.setStep(kDone);
            const ReductionTarget& t = targets[i];
            const std::string name =
                paletteNameFor(run.sink.rows(), stemOf(t.name), NameForm::Individual, label);
            run.sink.add({std::move(result), t.path, name, label, t.format, t.shared});
        });
    });
    if (outcome == RunOutcome::Completed) runEnd(run);
    return outcome;
}

RunOutcome referenceUnification(const std::vector<ReductionTarget>& targets, std::size_t reference,
                                const ReductionSettings& settings, RunContext& run) {
    const int mode = settings.mode;
    const ModeInfo& info = modeInfo(mode);
    const std::string label = runLabel(settings);
    RunMonitor& m = run.monitor;
    m.setTitle("基準パレット作成");
    m.setNumber("");
    m.show();
    m.processEvents();
    if (reference >= targets.size()) {
        m.hide();
        return RunOutcome::Rejected;
    }
    const ReductionTarget& ref = targets[reference];
    std::vector<Rgb> chosen;
    // The reference decides whether the palette keeps an entry for
    // transparent pixels.
    std::optional<TransparentEntry> clear;
    std::string name;
    bool rejected = false;
    RunOutcome outcome = guarded(run, [&] {
        TargetImage ti = imageOf(ref);
        if (ti.image == nullptr || ti.image->isEmpty()) {
            m.hide();
            if (ti.image != nullptr) {
                run.reporter.show(referenceSizeMessage(ref.name));
                run.reporter.beep(Beep::Exclamation);
            }
            rejected = true;
            return;
        }
        m.setName(ref.name);
        step(m, kSurveyStep, 0);
        name = paletteNameFor(run.sink.rows(), stemOf(ref.name), NameForm::Unification, label);
        if (info.adaptive) {
            ColorSurvey survey;
            chosen = chooseColors(*ti.image, survey, settings, run, clear);
        } else {
            clear = fixedTransparentEntry(*ti.image, settings, run);
        }
        step(m, "パレット作成完了！！", 1000);
    });
    if (rejected) return RunOutcome::Rejected;
    if (outcome != RunOutcome::Completed) return outcome;

    m.setTitle(kTarget);
    m.setNumber(kNoBlank);
    m.setPosition(0);
    m.setStep(kUnifyStep);
    m.processEvents();
    const std::size_t count = targets.size();
    outcome = guarded(run, [&] {
        walk(targets, run, [&](std::size_t i, const Bitmap& image) {
            Bitmap result = reduceOnto(image, mode, chosen, nullptr, settings.dither, clear);
            run.sink.add({std::move(result), targets[i].path, name, label, targets[i].format,
                          targets[i].shared});
            m.setPosition(static_cast<int>(1000 * (i + 1) / count));
        });
    });
    return outcome == RunOutcome::Completed ? finishUnification(run) : outcome;
}

namespace {

// The format that holds a chosen palette: from its DepthCode, or for a code
// that names no paletted depth, the smallest that holds its entries.
PixelFormat formatForEntry(const PaletteEntry& entry) {
    switch (entry.depth) {
        case 0:
            return PixelFormat::Bpp1;
        case 1:
            return PixelFormat::Bpp4;
        case 2:
            return PixelFormat::Bpp8;
        default:
            break;
    }
    const std::size_t n = entry.palette ? entry.palette->size() : 0;
    return n <= 2 ? PixelFormat::Bpp1 : n <= 16 ? PixelFormat::Bpp4 : PixelFormat::Bpp8;
}

}  // namespace

RunOutcome paletteUnification(const std::vector<ReductionTarget>& targets,
                              const PaletteEntry& entry, const std::string& entryName,
                              const ReductionSettings& settings, RunContext& run) {
    RunMonitor& m = run.monitor;
    m.setTitle(kTarget);
    m.setNumber(kNoBlank);
    m.setPosition(0);
    m.setStep(kUnifyStep);
    // No palette is made here, so only dithering marks the label.
    const std::string runLabel =
        optionLabel(modeLabel(settings.schemeName, settings.colorCount), settings, false);
    const std::string label = optionLabel(entry.label, settings, false);
    const std::string name =
        entry.origin == PaletteOrigin::ResultImage
            ? entryName
            : paletteNameFor(run.sink.rows(), stemOf(entryName), NameForm::Unification, runLabel);
    m.show();
    m.processEvents();
    const PixelFormat format = formatForEntry(entry);
    Palette palette = entry.palette ? *entry.palette : Palette{};
    const std::size_t count = targets.size();
    RunOutcome outcome = guarded(run, [&] {
        walk(targets, run, [&](std::size_t i, const Bitmap& image) {
            Bitmap result(image.width(), image.height(), format);
            result.setPaletteEntries(palette);
            if (settings.dither != Dither::None) {
                ditherOntoPalette(image, result, settings.dither);
            } else {
                mapOntoPalette(image, result);
            }
            run.sink.add({std::move(result), targets[i].path, name, label, targets[i].format,
                          targets[i].shared});
            m.setPosition(static_cast<int>(1000 * (i + 1) / count));
        });
    });
    return outcome == RunOutcome::Completed ? finishUnification(run) : outcome;
}

}  // namespace kararisu
