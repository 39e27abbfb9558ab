// kararisu-cli reduce: the three reduction menus over files, each result
// written to a folder under its source's file name.

#include <algorithm>
#include <cstdlib>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "palette/palette_file.h"
#include "palette/palette_formats.h"
#include "palette/palette_input.h"
#include "reduce/engines.h"
#include "reduce/modes.h"
#include "support/printable.h"
#include "worklists/image_file.h"

namespace kararisu::cli {

namespace {

const char* kReduceHelpText =
    "usage: kararisu-cli reduce [--mode M] [--colors N] [--reference FILE | --palette FILE]\n"
    "                           [--refine] [--dither auto|fs|ordered] -o DIR [--force]\n"
    "                           [--format png|bmp] [--save-palette [--format F]]\n"
    "                           [--progress|--no-progress] [--json] FILE...\n"
    "\n"
    "Reduces the colours of BMP and PNG files and writes each result to DIR\n"
    "under the file name of its source, in its source's format. A FILE of - is\n"
    "standard input.\n"
    "\n"
    "  --mode M         reduction mode 0-26 (default 0):\n"
    "%s"
    "  --colors N       the colour count of modes 25 (1-256) and 26 (0-240);\n"
    "                   required for them, refused for the others\n"
    "  --reference FILE unify every image on the palette made from FILE; FILE is\n"
    "                   reduced too and need not be listed again: when it is not\n"
    "                   among the FILEs, the results follow the FILEs' order and\n"
    "                   FILE's own result comes last\n"
    "  --palette FILE   unify every image on the palette of FILE: a palette file\n"
    "                   (the program's own, GIMP, JASC-PAL, RIFF, Adobe .act or\n"
    "                   a .hex list), a 1-, 4- or 8-bit BMP or a paletted PNG;\n"
    "                   --mode and --colors do not apply\n"
    "                   The desktop program keeps palette files in\n"
    "                   {palette folder}\n"
    "  --refine         refine the palette of the adaptive modes (0, 1, 2, 4, 25,\n"
    "                   26) after the median cut: a closer picture, other bytes;\n"
    "                   the mode label gets \"+HQ\"\n"
    "  --dither auto|fs|ordered\n"
    "                   dither when matching pixels onto the palette: auto is\n"
    "                   error diffusion only where the picture is smooth enough\n"
    "                   for the palette to show bands (the desktop program's),\n"
    "                   fs plain Floyd-Steinberg error diffusion everywhere,\n"
    "                   ordered an 8x8 Bayer pattern; the mode label gets \"+D\"\n"
    "  -o DIR           the folder the results are written to, made (with its\n"
    "                   parents) when missing; -o - writes the one result of a\n"
    "                   single FILE to standard output\n"
    "  --force          replace files that exist in DIR (never done otherwise,\n"
    "                   not even for a source image)\n"
    "  --format png|bmp write every result in this format instead (a source's\n"
    "                   extension .png or .bmp then becomes the format's)\n"
    "  --save-palette   also write each result's palette as DIR/<palette name>.gpl\n"
    "  --format F       the format of those palettes: kararisu (the default), gimp,\n"
    "                   jasc, riff, act or hex (the extension follows: .gpl, .pal,\n"
    "                   .act, .hex); --format may be given once for the images\n"
    "                   and once for the palettes\n"
    "  --progress       show the progress monitor on standard error (the default\n"
    "                   when standard error is a terminal and not --quiet);\n"
    "                   --no-progress hides it\n"
    "  --json           one JSON object a line for each result, with the fields\n"
    "                   file, palette, mode, bits and path\n"
    "\n"
    "Transparency: a pixel whose alpha is below 128 (in a PNG, or in a 32-bit\n"
    "BMP whose bit fields declare alpha) is transparent. The result of an image\n"
    "with transparent pixels keeps one palette entry for them, the last one the\n"
    "mode's colours fill (so it counts against the colour count: mode 0 then\n"
    "chooses 255 colours); a PNG result marks that entry transparent, a BMP\n"
    "result, which has no alpha, holds there the colour most of those pixels\n"
    "had. Partial transparency is lost: a warning says how many pixels had it.\n"
    "With --reference the reference image decides whether the palette keeps the\n"
    "entry; with --palette the given palette is kept as it is and transparent\n"
    "pixels are matched by their colour.\n"
    "\n"
    "Standard output has one tab-separated line per result: file name, palette\n"
    "name, mode label, bits per pixel, path written. Rejected files and files\n"
    "that would be replaced are named on standard error and skipped; the exit\n"
    "status is then 1 (2 for a usage error). Each file is reduced by itself (or\n"
    "on the one palette): a batch cut into parts and run on several machines\n"
    "gives the same files as one run.\n"
    "\n"
    "examples:\n"
    "  kararisu-cli reduce --mode 0 -o out photo.bmp\n"
    "  kararisu-cli reduce --mode 25 --colors 64 --reference a.bmp -o out b.bmp c.bmp\n"
    "  kararisu-cli reduce --palette web.gpl -o out *.bmp\n"
    "  kararisu-cli reduce --mode 4 -o - photo.bmp > photo16.bmp\n"
    "  kararisu-cli reduce --mode 4 --format png -o out sprite.bmp\n";

std::string modeList() {
    std::string s;
    for (int m = 0; m < kModeCount; ++m) {
        s += "                   " + std::to_string(m) + (m < 10 ? "  " : " ") +
             modeInfo(m).caption + "\n";
    }
    return s;
}

CommandHelp reduceHelp() {
    std::string help = kReduceHelpText;
    help.replace(help.find("%s"), 2, modeList());
    return {withPaletteFolder(std::move(help))};
}

bool parseInt(const std::string& s, int& out) {
    if (s.empty() || s.size() > 6) return false;
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0') return false;
    out = static_cast<int>(v);
    return true;
}

const OptionSpec kMode{"mode", 0, true};
const OptionSpec kColors{"colors", 0, true};
const OptionSpec kReference{"reference", 0, true};
const OptionSpec kPalette{"palette", 0, true};
const OptionSpec kOutput{"output", 'o', true};
const OptionSpec kRefine{"refine"};
const OptionSpec kDither{"dither", 0, true};
const OptionSpec kForce{"force"};
const OptionSpec kSavePalette{"save-palette"};
const OptionSpec kFormat{"format", 0, true};
const OptionSpec kProgress{"progress"};
const OptionSpec kNoProgress{"no-progress"};
const OptionSpec kJson{"json"};
const OptionSpec* const kOptions[] = {
    &kMode,  &kColors,      &kReference, &kPalette,  &kOutput,     &kRefine, &kDither,
    &kForce, &kSavePalette, &kFormat,    &kProgress, &kNoProgress, &kJson};

// The one result of `reduce -o -`, as a file of `format` (once its source
// has been read, what it held) on standard output.
class StandardOutputSink : public ResultSink {
  public:
    StandardOutputSink(Console& console, const ImageFormat& format)
        : console_(console), format_(format) {}
    void add(Result result) override {
        rows_.push_back({fileNameOf(result.path), result.paletteName, result.modeLabel});
        if (!writeImageOut(console_, kStandardStream, result.bitmap, Replace::No, format_))
            failed_ = true;
        console_.detail("wrote the result of " + printable(result.path) + " (" +
                        printable(result.paletteName) + ", " + printable(result.modeLabel) +
                        ") to standard output");
    }
    const std::vector<ResultRow>& rows() const override { return rows_; }
    bool failed() const { return failed_; }

  private:
    Console& console_;
    const ImageFormat& format_;
    std::vector<ResultRow> rows_;
    bool failed_ = false;
};

}  // namespace

int runReduce(Console& console, const std::vector<std::string>& args) {
    const CommandHelp help = reduceHelp();
    Arguments parsed;
    if (auto done = startCommand(console, args, kOptions, help, parsed)) return *done;
    auto usage = [&](const std::string& why) { return usageError(console, help, why); };
    int mode = 0, colors = -1;
    bool refine = false;
    Dither dither = Dither::None;
    bool force = false, savePalettes = false, json = false;
    std::optional<bool> progressAsked;
    std::string reference, palette, folder;
    bool modeGiven = false;
    PaletteFormat format = PaletteFormat::Kararisu;
    bool paletteFormatGiven = false;
    std::optional<ImageFormat> imageFormat;
    std::vector<std::string> files;
    for (const Argument& a : parsed.items) {
        const std::string& v = a.value;
        if (a.isOperand()) {
            files.push_back(v);
        } else if (a.is(kMode)) {
            if (!parseInt(v, mode) || mode < 0 || mode >= kModeCount)
                return usage("--mode takes a number from 0 to 26");
            modeGiven = true;
        } else if (a.is(kColors)) {
            if (!parseInt(v, colors)) return usage("--colors takes a number");
        } else if (a.is(kReference)) {
            reference = v;
        } else if (a.is(kPalette)) {
            palette = v;
        } else if (a.is(kOutput)) {
            folder = v;
        } else if (a.is(kRefine)) {
            refine = true;
        } else if (a.is(kDither)) {
            if (v == "auto") {
                dither = Dither::Auto;
            } else if (v == "fs") {
                dither = Dither::FloydSteinberg;
            } else if (v == "ordered") {
                dither = Dither::Ordered;
            } else {
                return usage("--dither takes auto, fs or ordered");
            }
        } else if (a.is(kForce)) {
            force = true;
        } else if (a.is(kSavePalette)) {
            savePalettes = true;
        } else if (a.is(kFormat)) {
            if (v == "png" || v == "bmp") {
                if (imageFormat) return usage("--format png|bmp is given twice");
                imageFormat = v == "png" ? ImageFormat::Png : ImageFormat::Bmp;
                continue;
            }
            const std::optional<PaletteFormat> f = paletteFormatNamed(v);
            if (!f) return usage("--format takes png, bmp, " + paletteFormatNames());
            if (paletteFormatGiven) return usage("--format of the palettes is given twice");
            paletteFormatGiven = true;
            format = *f;
        } else if (a.is(kProgress) || a.is(kNoProgress)) {
            progressAsked = a.is(kProgress);
        } else if (a.is(kJson)) {
            json = true;
        }
    }
    if (!reference.empty() && !palette.empty())
        return usage("--reference and --palette exclude each other");
    if (folder.empty()) return usage("-o DIR is required");
    if (files.empty() && reference.empty()) return usage("no FILE given");
    if (paletteFormatGiven && !savePalettes)
        return usage("--format of the palettes needs --save-palette");
    if (!palette.empty() && (modeGiven || colors >= 0))
        return usage("--mode and --colors do not apply with --palette");
    if (isFreeCountMode(mode) && palette.empty()) {
        if (colors < 0) return usage("modes 25 and 26 need --colors");
        if (colors < freeCountMin(mode) || colors > freeCountMax(mode)) {
            const std::string range = "--colors of mode " + std::to_string(mode) + " is " +
                                      std::to_string(freeCountMin(mode)) + " to " +
                                      std::to_string(freeCountMax(mode));
            return usage(range.c_str());
        }
    } else if (colors >= 0) {
        return usage("--colors is only for modes 25 and 26");
    }
    if (std::count(files.begin(), files.end(), kStandardStream) + (reference == kStandardStream) >
        1)
        return usage("standard input (-) can be read only once");
    const bool toStdout = folder == kStandardStream;
    const bool fromStdin = reference == kStandardStream ||
                           std::find(files.begin(), files.end(), kStandardStream) != files.end();
    if (fromStdin && !toStdout)
        return usage("the result of standard input (-) has no file name: write it with -o -");
    if (toStdout) {
        const bool unlistedReference =
            !reference.empty() && std::find(files.begin(), files.end(), reference) == files.end();
        if (files.size() + unlistedReference != 1)
            return usage("-o - takes the result of one FILE");
        if (savePalettes || json) return usage("-o - leaves standard output to the result");
        if (!mayWriteFileTo(console)) return 2;
    } else {
        if (!ensureFolder(console, folder)) return 1;
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    }

    const ModeInfo& info = modeInfo(mode);
    ReductionSettings settings{mode, isFreeCountMode(mode) ? colors : info.colorCount,
                               info.schemeName, refine, dither};
    // Each file is read when its turn comes; one that fails has printed
    // its reason and makes the exit status 1.
    bool rejected = false;
    // The format of the last file read: what `-o -` writes unless told.
    ImageFormat lastRead = ImageFormat::Bmp;
    auto target = [&rejected, &console, &lastRead](const std::string& f) {
        // A file's results keep its format; standard input is known once read.
        const Outcome<ImageFormat> kind =
            f == kStandardStream ? Outcome<ImageFormat>(ImageFormat::Bmp) : imageFormatOfFile(f);
        return ReductionTarget{fileNameOf(f), f, nullptr,
                               [f, &rejected, &console, &lastRead] {
                                   console.detail("reading " + printable(f));
                                   auto b = loadImage(console, f, true, &lastRead);
                                   if (!b) rejected = true;
                                   return b;
                               },
                               kind ? *kind : ImageFormat::Bmp};
    };
    std::vector<ReductionTarget> targets;
    std::size_t referenceIndex = 0;
    bool referenceListed = false;
    for (const std::string& f : files) {
        if (!reference.empty() && !referenceListed && f == reference) {
            referenceIndex = targets.size();
            referenceListed = true;
        }
        targets.push_back(target(f));
    }
    if (!reference.empty() && !referenceListed) {
        referenceIndex = targets.size();
        targets.push_back(target(reference));
    }

    StderrReporter reporter(console);
    ResultPrinter printer(console, json, " (use --force)");
    std::unique_ptr<OutputFolder> folderSink;
    std::unique_ptr<StandardOutputSink> stdoutSink;
    ResultSink* sink = nullptr;
    const ImageFormat& stdoutFormat = imageFormat ? *imageFormat : lastRead;
    if (toStdout) {
        sink = (stdoutSink = std::make_unique<StandardOutputSink>(console, stdoutFormat)).get();
    } else {
        sink =
            (folderSink = std::make_unique<OutputFolder>(folder,
                                                         OutputOptions{.replace = force,
                                                                       .savePalettes = savePalettes,
                                                                       .paletteFormat = format,
                                                                       .renumber = {},
                                                                       .imageFormat = imageFormat},
                                                         printer))
                .get();
    }
    WorkArea work(&reporter);
    SilentMonitor silent;
    TerminalMonitor terminal(console);
    const bool progress = progressAsked.value_or(console.errorIsTerminal() &&
                                                 console.verbosity() != Verbosity::Quiet);
    RunMonitor& monitor = progress ? static_cast<RunMonitor&>(terminal) : silent;
    RunContext run{monitor, reporter, *sink, work, false};

    RunOutcome outcome = RunEnd::Rejected;
    if (!palette.empty()) {
        const Outcome<PaletteInput> input = loadPaletteInput(palette);
        if (!input) {
            console.error(paletteInputFailureText(printable(palette), input.problem()));
            return 1;
        }
        const PaletteEntry entry = paletteEntryOf(*input);
        outcome = paletteUnification(targets, entry, input->name, settings, run);
    } else if (!reference.empty()) {
        outcome = referenceUnification(targets, referenceIndex, settings, run);
    } else {
        outcome = individualReduction(targets, settings, run);
    }
    terminal.hide();
    const bool failed =
        (folderSink && folderSink->failed()) || (stdoutSink && stdoutSink->failed());
    const bool ok = outcome == RunEnd::Completed && !rejected && !failed && !reporter.reported();
    return ok ? 0 : 1;
}

}  // namespace kararisu::cli
