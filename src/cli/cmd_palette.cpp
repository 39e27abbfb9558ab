#include <cstdio>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "palette/palette_input.h"

namespace kararisu::cli {

namespace {

const char* kPaletteHelp =
    "usage: kararisu-cli palette FILE [--save OUT.gpl [--label TEXT]]\n"
    "\n"
    "Prints the palette of FILE, a palette file (.gpl) or a 1-, 4- or 8-bit BMP:\n"
    "a line `label \"TEXT\"` (the label stored in a palette file, its filler\n"
    "spaces included; ノーマル2, ノーマル16 or ノーマル256 for a BMP), a line\n"
    "`DepthCode N`, then one line `index R G B` per palette entry.\n"
    "\n"
    "--save OUT.gpl writes the palette as a palette file: 2, 16 or 256 entries by\n"
    "the DepthCode, labelled with that label or with --label TEXT (Shift-JIS,\n"
    "padded with spaces or cut to 11 bytes). A stored label is written back byte\n"
    "for byte. OUT is replaced only when it has been written completely.\n"
    "\n"
    "The desktop program saves and reads palette files in its palette folder,\n"
    "{palette folder}\n"
    "\n"
    "Exit status: 0 done, 1 FILE rejected or OUT not written, 2 usage error.\n"
    "\n"
    "examples:\n"
    "  kararisu-cli palette '{palette folder}photo(1).gpl'\n"
    "  kararisu-cli palette icon.bmp --save icon.gpl --label カスタム16\n";

int usage(const char* why) {
    std::fprintf(stderr, "kararisu-cli palette: %s\n\n%s", why,
                 withPaletteFolder(kPaletteHelp).c_str());
    return 2;
}

}  // namespace

int runPalette(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    std::optional<std::string> out;
    std::optional<std::string> label;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::fputs(withPaletteFolder(kPaletteHelp).c_str(), stdout);
            return 0;
        }
        if (a == "--save" || a == "--label") {
            if (i + 1 >= args.size()) return usage((a + " needs a value").c_str());
            (a == "--save" ? out : label) = args[++i];
        } else if (!a.empty() && a[0] == '-') {
            return usage(("unknown option '" + a + "'").c_str());
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 1) return usage("give exactly one FILE");
    if (label && !out) return usage("--label needs --save");

    const Outcome<PaletteInput> in = loadPaletteInput(files[0]);
    if (!in) {
        std::fprintf(stderr, "%s\n", paletteInputFailureText(files[0], in.problem()).c_str());
        return 1;
    }
    std::printf("label \"%s\"\nDepthCode %d\n", printable(in->labelText).c_str(), in->depthCode);
    for (std::size_t i = 0; i < in->palette.size(); ++i) {
        const Rgb c = in->palette.at(i);
        std::printf("%zu %u %u %u\n", i, unsigned{c.r}, unsigned{c.g}, unsigned{c.b});
    }
    if (!out) return 0;
    const PaletteLabel saved = label ? PaletteLabel::fromText(*label) : in->label;
    if (const Outcome<void> done = savePaletteFile(*out, saved, in->depthCode, in->palette);
        !done) {
        std::fprintf(stderr, "%s\n", paletteSaveFailureText(*out, done.problem()).c_str());
        return 1;
    }
    return 0;
}

}  // namespace kararisu::cli
