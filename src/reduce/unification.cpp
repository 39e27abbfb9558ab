// The two unifications: every image on the palette made from a reference
// image, or on a chosen palette.
#include "reduce/engine_steps.h"
#include "reduce/modes.h"

namespace kararisu {

namespace {

// The end of a unification's walk: the bar full, "完了！！", the run end.
RunOutcome finishUnification(RunContext& run) {
    run.monitor.setPosition(progress::kDone);
    run.monitor.setStep(kDoneStep);
    runEnd(run);
    return RunEnd::Completed;
}

// The title, number and step of a unification's walk.
void startWalk(RunMonitor& m) {
    m.setTitle(kTargetTitle);
    m.setNumber(kNoBlank);
    m.setPosition(0);
    m.setStep(kUnifyStep);
}

// The bar after image i of count.
int walkPosition(std::size_t i, std::size_t count) {
    return static_cast<int>(progress::kDone * (i + 1) / count);
}

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
        return RunEnd::Rejected;
    }
    const ReductionTarget& ref = targets[reference];
    // The reference decides whether the palette keeps an entry for
    // transparent pixels.
    ChosenColors chosen;
    std::string name;
    bool rejected = false;
    ColorSurvey survey;
    const Outcome<void> made = guarded(run, [&]() -> Outcome<void> {
        TargetImage ti = imageOf(ref);
        if (ti.image == nullptr || ti.image->isEmpty()) {
            m.hide();
            if (ti.image != nullptr) {
                run.reporter.show(referenceSizeMessage(ref.name));
                run.reporter.beep(Beep::Exclamation);
            }
            rejected = true;
            return {};
        }
        m.setName(ref.name);
        step(m, kSurveyStep, progress::kSurvey);
        name = paletteNameFor(run.sink.rows(), stemOf(ref.name), NameForm::Unification, label);
        if (info.adaptive) {
            Outcome<ChosenColors> colors = chooseColors(*ti.image, survey, settings, run);
            if (!colors) return colors.problem();
            chosen = std::move(*colors);
        } else {
            Outcome<std::optional<TransparentEntry>> clear =
                fixedTransparentEntry(*ti.image, settings, run);
            if (!clear) return clear.problem();
            chosen.clear = *clear;
        }
        step(m, "パレット作成完了！！", progress::kDone);
        return {};
    });
    if (!made) return made.problem();
    if (rejected) return RunEnd::Rejected;

    startWalk(m);
    m.processEvents();
    const std::size_t count = targets.size();
    const Outcome<void> walked = guarded(run, [&] {
        return walk(targets, run, [&](std::size_t i, const Bitmap& image) -> Outcome<void> {
            Outcome<Bitmap> result = reduceOnto(image, mode, chosen.colors, survey, false,
                                                settings.dither, chosen.clear, run.work);
            if (!result) return result.problem();
            run.sink.add({std::move(*result), targets[i].path, name, label, targets[i].format,
                          targets[i].shared});
            m.setPosition(walkPosition(i, count));
            return {};
        });
    });
    if (!walked) return walked.problem();
    return finishUnification(run);
}

RunOutcome paletteUnification(const std::vector<ReductionTarget>& targets,
                              const PaletteEntry& entry, const std::string& entryName,
                              const ReductionSettings& settings, RunContext& run) {
    RunMonitor& m = run.monitor;
    startWalk(m);
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
    ColorSurvey survey;
    const Outcome<void> walked = guarded(run, [&] {
        return walk(targets, run, [&](std::size_t i, const Bitmap& image) -> Outcome<void> {
            Bitmap result(image.width(), image.height(), format);
            result.setPaletteEntries(palette);
            if (settings.dither != Dither::None) {
                ditherOntoPalette(image, result, settings.dither);
            } else {
                if (Outcome<void> counted = survey.count(image, run.work); !counted) return counted;
                survey.matchInto(image, result);
            }
            run.sink.add({std::move(result), targets[i].path, name, label, targets[i].format,
                          targets[i].shared});
            m.setPosition(walkPosition(i, count));
            return {};
        });
    });
    if (!walked) return walked.problem();
    return finishUnification(run);
}

}  // namespace kararisu
