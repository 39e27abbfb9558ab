#include <cstdio>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "palette/palette_formats.h"
#include "palette/palette_input.h"
#include "palette/shift_jis.h"

namespace kararisu::cli {

namespace {

const char* kPaletteHelp =
    "usage: kararisu-cli palette FILE [--raw] [--save OUT [--format F] [--label TEXT]]\n"
    "\n"
    "Prints the palette of FILE: a palette file, a 1-, 4- or 8-bit BMP or a PNG\n"
    "held with a palette (palette images, greys of up to 8 bits). Palette\n"
    "files are recognised by their content: the program's own (.gpl), GIMP (.gpl),\n"
    "JASC-PAL and RIFF (.pal), Adobe colour tables (.act, 768 or 772 bytes) and\n"
    "hex lists (.hex, one RRGGBB a line). A palette of k colours from another\n"
    "program has 2, 16 or 256 entries (black after the k) and the label カスタムk.\n"
    "\n"
    "Output: a line `label \"TEXT\"` (the label stored in a palette file, its filler\n"
    "spaces included; ノーマル2, ノーマル16 or ノーマル256 for an image), or\n"
    "`label bytes XX XX ...` with the 11 bytes in hex when they are not Shift-JIS\n"
    "text or hold a NUL (--raw prints them between the quotes as they are);\n"
    "control characters in text are shown as \\xHH; a line\n"
    "`DepthCode N`; then one line `index R G B` per palette entry.\n"
    "\n"
    "--save OUT writes the palette: 2, 16 or 256 entries by the DepthCode. With\n"
    "--format F, one of %s:\n"
    "  kararisu  the program's own palette file (the default), labelled with the\n"
    "            label or with --label TEXT (Shift-JIS, padded with spaces or cut\n"
    "            to 11 bytes); a stored label is written back byte for byte\n"
    "  gimp      GIMP palette, named after FILE, 16 columns\n"
    "  jasc      JASC-PAL text palette\n"
    "  riff      Microsoft RIFF palette\n"
    "  act       Adobe colour table of 772 bytes with the colour count\n"
    "  hex       one RRGGBB a line\n"
    "OUT is replaced only when it has been written completely.\n"
    "\n"
    "The desktop program saves and reads palette files in its palette folder,\n"
    "{palette folder}\n"
    "\n"
    "Exit status: 0 done, 1 FILE rejected or OUT not written, 2 usage error.\n"
    "\n"
    "examples:\n"
    "  kararisu-cli palette '{palette folder}photo(1).gpl'\n"
    "  kararisu-cli palette icon.bmp --save icon.gpl --label カスタム16\n"
    "  kararisu-cli palette photo.gpl --save photo.pal --format jasc\n";

void printHelp(FILE* to) {
    std::string help = kPaletteHelp;
    help.replace(help.find("%s"), 2, paletteFormatNames());
    std::fputs(withPaletteFolder(std::move(help)).c_str(), to);
}

int usage(const std::string& why) {
    std::fprintf(stderr, "kararisu-cli palette: %s\n\n", why.c_str());
    printHelp(stderr);
    return 2;
}

// Shift-JIS without NUL: every byte part of a character.
bool isText(const PaletteLabel& label) {
    for (std::uint8_t b : label.bytes)
        if (b == 0) return false;
    const std::string shown = label.display();
    return shown.find("\xEF\xBF\xBD") == std::string::npos;  // U+FFFD marks a bad byte
}

void printLabel(const PaletteInput& in, bool raw) {
    if (in.fromBmp) {
        std::printf("label \"%s\"\n", printable(in.labelText).c_str());
    } else if (raw) {
        std::fputs("label \"", stdout);
        std::fwrite(in.label.bytes.data(), 1, in.label.bytes.size(), stdout);
        std::fputs("\"\n", stdout);
    } else if (isText(in.label)) {
        std::printf("label \"%s\"\n", printable(in.label.display()).c_str());
    } else {
        std::fputs("label bytes", stdout);
        for (std::uint8_t b : in.label.bytes) std::printf(" %02X", unsigned{b});
        std::fputs("\n", stdout);
    }
}

std::string stemOf(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

int runPalette(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    std::optional<std::string> out;
    std::optional<std::string> label;
    std::optional<std::string> formatName;
    bool raw = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            printHelp(stdout);
            return 0;
        }
        if (a == "--save" || a == "--label" || a == "--format") {
            if (i + 1 >= args.size()) return usage(a + " needs a value");
            (a == "--save" ? out : a == "--label" ? label : formatName) = args[++i];
        } else if (a == "--raw") {
            raw = true;
        } else if (!a.empty() && a[0] == '-') {
            return usage("unknown option '" + a + "'");
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 1) return usage("give exactly one FILE");
    if (label && !out) return usage("--label needs --save");
    if (formatName && !out) return usage("--format needs --save");
    const std::optional<PaletteFormat> format = paletteFormatNamed(formatName.value_or("kararisu"));
    if (!format) return usage("--format takes " + paletteFormatNames());
    if (label && *format != PaletteFormat::Kararisu)
        return usage("--label is only kept by --format kararisu");

    const Outcome<PaletteInput> in = loadPaletteInput(files[0]);
    if (!in) {
        std::fprintf(stderr, "%s\n", paletteInputFailureText(files[0], in.problem()).c_str());
        return 1;
    }
    printLabel(*in, raw);
    std::printf("DepthCode %d\n", in->depthCode);
    for (std::size_t i = 0; i < in->palette.size(); ++i) {
        const Rgb c = in->palette.at(i);
        std::printf("%zu %u %u %u\n", i, unsigned{c.r}, unsigned{c.g}, unsigned{c.b});
    }
    if (!out) return 0;
    const PaletteLabel saved = label ? PaletteLabel::fromText(*label) : in->label;
    if (const Outcome<void> done =
            savePaletteAs(*format, *out, saved, in->depthCode, in->palette, stemOf(in->name));
        !done) {
        std::fprintf(stderr, "%s\n", paletteSaveFailureText(*out, done.problem()).c_str());
        return 1;
    }
    return 0;
}

}  // namespace kararisu::cli
