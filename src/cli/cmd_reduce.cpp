// kararisu-cli reduce: the three reduction menus over files, each result
// written to a folder under its source's file name.

#include <cstdio>
#include <cstdlib>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "palette/palette_file.h"
#include "palette/palette_formats.h"
#include "palette/palette_input.h"
#include "reduce/engines.h"
#include "reduce/modes.h"
#include "worklists/image_file.h"

namespace kararisu::cli {

namespace {

const char* kReduceHelp =
    "usage: kararisu-cli reduce [--mode M] [--colors N] [--reference FILE | --palette FILE]\n"
    "                           [--refine] [--dither fs|ordered] -o DIR [--force]\n"
    "                           [--format png|bmp] [--save-palette [--format F]]\n"
    "                           [--progress|--no-progress] FILE...\n"
    "\n"
    "Reduces the colours of BMP and PNG files and writes each result to DIR\n"
    "under the file name of its source, in its source's format.\n"
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
    "                   a .hex list) or a 1-, 4- or 8-bit BMP; --mode and --colors\n"
    "                   do not apply\n"
    "                   The desktop program keeps palette files in\n"
    "                   {palette folder}\n"
    "  --refine         refine the palette of the adaptive modes (0, 1, 2, 4, 25,\n"
    "                   26) after the median cut: a closer picture, other bytes;\n"
    "                   the mode label gets \"+HQ\"\n"
    "  --dither fs|ordered\n"
    "                   dither when matching pixels onto the palette: fs is\n"
    "                   Floyd-Steinberg error diffusion, ordered an 8x8 Bayer\n"
    "                   pattern; the mode label gets \"+D\"\n"
    "  -o DIR           the folder the results are written to (it must exist)\n"
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
    "                   when standard error is a terminal); --no-progress hides it\n"
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
    "status is then 1 (2 for a usage error).\n"
    "\n"
    "examples:\n"
    "  kararisu-cli reduce --mode 0 -o out photo.bmp\n"
    "  kararisu-cli reduce --mode 4 --format png -o out sprite.bmp\n"
    "  kararisu-cli reduce --mode 25 --colors 64 --reference a.bmp -o out b.bmp c.bmp\n"
    "  kararisu-cli reduce --palette web.gpl -o out *.bmp\n";

std::string modeList() {
    std::string s;
    for (int m = 0; m < kModeCount; ++m) {
        s += "                   " + std::to_string(m) + (m < 10 ? "  " : " ") +
             modeInfo(m).caption + "\n";
    }
    return s;
}

int usage(const char* text) {
    std::fprintf(stderr, "kararisu-cli reduce: %s (see kararisu-cli reduce --help)\n", text);
    return 2;
}

bool parseInt(const std::string& s, int& out) {
    if (s.empty() || s.size() > 6) return false;
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0') return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

int runReduce(const std::vector<std::string>& args) {
    int mode = 0, colors = -1;
    bool refine = false;
    Dither dither = Dither::None;
    bool force = false, savePalettes = false, progress = stderrIsTerminal();
    std::string reference, palette, folder;
    bool modeGiven = false;
    PaletteFormat format = PaletteFormat::Kararisu;
    bool paletteFormatGiven = false;
    std::optional<ImageFormat> imageFormat;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            std::string help = kReduceHelp;
            help.replace(help.find("%s"), 2, modeList());
            std::fputs(withPaletteFolder(std::move(help)).c_str(), stdout);
            return 0;
        } else if (a == "--mode") {
            if (!value(v) || !parseInt(v, mode) || mode < 0 || mode >= kModeCount)
                return usage("--mode takes a number from 0 to 26");
            modeGiven = true;
        } else if (a == "--colors") {
            if (!value(v) || !parseInt(v, colors)) return usage("--colors takes a number");
        } else if (a == "--reference") {
            if (!value(reference)) return usage("--reference takes a file");
        } else if (a == "--palette") {
            if (!value(palette)) return usage("--palette takes a file");
        } else if (a == "-o" || a == "--output") {
            if (!value(folder)) return usage("-o takes a folder");
        } else if (a == "--refine") {
            refine = true;
        } else if (a == "--dither") {
            if (!value(v) || (v != "fs" && v != "ordered"))
                return usage("--dither takes fs or ordered");
            dither = v == "fs" ? Dither::FloydSteinberg : Dither::Ordered;
        } else if (a == "--force") {
            force = true;
        } else if (a == "--save-palette") {
            savePalettes = true;
        } else if (a == "--format") {
            if (!value(v)) return usage("--format takes png, bmp or a palette format");
            if (v == "png" || v == "bmp") {
                if (imageFormat) return usage("--format png|bmp is given twice");
                imageFormat = v == "png" ? ImageFormat::Png : ImageFormat::Bmp;
                continue;
            }
            std::optional<PaletteFormat> f = paletteFormatNamed(v);
            if (!f) return usage(("--format takes png, bmp, " + paletteFormatNames()).c_str());
            if (paletteFormatGiven) return usage("--format of the palettes is given twice");
            paletteFormatGiven = true;
            format = *f;
        } else if (a == "--progress") {
            progress = true;
        } else if (a == "--no-progress") {
            progress = false;
        } else if (a.size() > 1 && a[0] == '-') {
            return usage(("unknown option " + a).c_str());
        } else {
            files.push_back(a);
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
            return usage(mode == 25 ? "--colors of mode 25 is 1 to 256"
                                    : "--colors of mode 26 is 0 to 240");
        }
    } else if (colors >= 0) {
        return usage("--colors is only for modes 25 and 26");
    }
    if (!isFolder(folder)) {
        std::fprintf(stderr, "kararisu-cli reduce: %s is not a folder\n", folder.c_str());
        return 1;
    }
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();

    const ModeInfo& info = modeInfo(mode);
    ReductionSettings settings{mode, isFreeCountMode(mode) ? colors : info.colorCount,
                               info.schemeName, refine, dither};
    // Each file is read when its turn comes; one that fails has printed
    // its reason and makes the exit status 1.
    bool rejected = false;
    auto target = [&rejected](const std::string& f) {
        const Outcome<ImageFormat> kind = imageFormatOfFile(f);
        return ReductionTarget{fileNameOf(f), f, nullptr,
                               [f, &rejected] {
                                   auto b = loadImage(f, true);
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

    StderrReporter reporter;
    ResultPrinter printer(" (use --force)");
    OutputFolder sink(folder,
                      {.replace = force,
                       .savePalettes = savePalettes,
                       .paletteFormat = format,
                       .renumber = {},
                       .imageFormat = imageFormat},
                      printer);
    WorkArea work(&reporter);
    SilentMonitor silent;
    TerminalMonitor terminal;
    RunMonitor& monitor = progress ? static_cast<RunMonitor&>(terminal) : silent;
    RunContext run{monitor, reporter, sink, work, false};

    RunOutcome outcome;
    if (!palette.empty()) {
        const Outcome<PaletteInput> input = loadPaletteInput(palette);
        if (!input) {
            std::fprintf(stderr, "%s\n", paletteInputFailureText(palette, input.problem()).c_str());
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
    const bool ok =
        outcome == RunOutcome::Completed && !rejected && !sink.failed() && !reporter.reported();
    return ok ? 0 : 1;
}

}  // namespace kararisu::cli
