#pragma once
// The three reduction engines: each image by itself, all on a palette made
// from a reference image, all on a chosen palette. The desktop program and
// the batch tool call them alike; results go to the sink one by one.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "reduce/dither.h"
#include "reduce/monitor.h"
#include "reduce/work_area.h"
#include "support/messages.h"
#include "worklists/bitmap.h"
#include "worklists/results.h"
#include "worklists/work_list.h"

namespace kararisu {

// One image to reduce: an image in memory (the desktop program's
// TargetList), or one read only when its turn comes (the batch tool, so a
// long list of files never has to fit in memory at once).
struct ReductionTarget {
    std::string name;  // the TargetBox item: the file name
    std::string path;
    const Bitmap* image = nullptr;
    // Used when image is null; returning null skips the image (the loader
    // has reported why).
    std::function<std::unique_ptr<Bitmap>()> load;
    ImageFormat format = ImageFormat::Bmp;  // of the source file; the results keep it
    // The desktop program's: the entry's bitmap (image points into it),
    // held for the run and handed to the results as their source image.
    std::shared_ptr<const Bitmap> shared{};
};

struct ReductionSettings {
    int mode = 0;          // ReductionMode, 0 to 26
    int colorCount = 256;  // ColorCount
    std::string schemeName = "ノーマル";
    // Options beyond the 27 modes; off, every result is what the mode alone
    // makes. refine: k-means rounds after the median cut of the adaptive
    // modes. dither: how pixels are matched onto the palette.
    bool refine = false;
    Dither dither = Dither::None;
};

// The "減色モード" text of a run's results: the ModeLabel (or a chosen
// palette's label), then "+HQ" when the palette was refined and "+D" when
// the pixels were dithered, so results made otherwise get other names.
std::string optionLabel(const std::string& label, const ReductionSettings& settings, bool adaptive);

// Everything a run talks to.
struct RunContext {
    RunMonitor& monitor;
    Reporter& reporter;
    ResultSink& sink;
    WorkArea& work;
    bool sound = false;  // SoundCheck: beep at the end of a run
};

// How a run ended that was not stopped.
enum class RunEnd {
    Completed,  // the walk ended and the run end was done
    Rejected,   // the reference image had no pixels: nothing made
};

// Or the problem that stopped it at once, its results kept: a refused work
// area (WorkAreaRefused), whose memory message has been shown.
using RunOutcome = Outcome<RunEnd>;

// "<name>\nこのビットマップはサイズが０なので、減色できません！！"
Message sizeMessage(const std::string& name);
// "<name>\n基準ビットマップはサイズが０なので減色できません！！\n減色を終了します。"
Message referenceSizeMessage(const std::string& name);

RunOutcome individualReduction(const std::vector<ReductionTarget>& targets,
                               const ReductionSettings& settings, RunContext& run);

RunOutcome referenceUnification(const std::vector<ReductionTarget>& targets, std::size_t reference,
                                const ReductionSettings& settings, RunContext& run);

// entryName is the PaletteBox item of the chosen entry: a file name, or the
// palette name of a result (origin 7).
RunOutcome paletteUnification(const std::vector<ReductionTarget>& targets,
                              const PaletteEntry& entry, const std::string& entryName,
                              const ReductionSettings& settings, RunContext& run);

}  // namespace kararisu
