#include <cstdio>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "support/atomic_file.h"
#include "support/printable.h"
#include "palette/palette_formats.h"
#include "palette/palette_input.h"
#include "palette/shift_jis.h"

namespace kararisu::cli {

namespace {

const char* kPaletteHelpText =
    "usage: kararisu-cli palette [--raw | --json] FILE\n"
    "                            [--save OUT [--format F] [--label TEXT] [--force]]\n"
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
    "--json prints one JSON object instead: file, label (the text, or null),\n"
    "labelBytes (the 11 bytes in hex), depthCode and entries ([[R, G, B], ...]).\n"
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
    "An existing OUT is replaced only with --force, and only when the new file\n"
    "has been written completely. OUT of - is standard output, which then holds\n"
    "the file alone (the palette is not printed).\n"
    "\n"
    "The desktop program saves and reads palette files in its palette folder,\n"
    "{palette folder}\n"
    "\n"
    "Exit status: 0 done, 1 FILE rejected or OUT not written, 2 usage error.\n"
    "\n"
    "examples:\n"
    "  kararisu-cli palette \"{palette folder}photo(1).gpl\"\n"
    "  kararisu-cli palette icon.bmp --save icon.gpl --label カスタム16\n"
    "  kararisu-cli palette photo.gpl --save photo.pal --format jasc\n";

CommandHelp paletteHelp() {
    std::string help = kPaletteHelpText;
    help.replace(help.find("%s"), 2, paletteFormatNames());
    return {withPaletteFolder(std::move(help))};
}

const OptionSpec kSave{"save", 0, true};
const OptionSpec kLabel{"label", 0, true};
const OptionSpec kFormat{"format", 0, true};
const OptionSpec kRaw{"raw"};
const OptionSpec kJson{"json"};
const OptionSpec kForce{"force"};
const OptionSpec* const kOptions[] = {&kSave, &kLabel, &kFormat, &kRaw, &kJson, &kForce};

// Shift-JIS without NUL: every byte part of a character.
bool isText(const PaletteLabel& label) {
    for (std::uint8_t b : label.bytes)
        if (b == 0) return false;
    const std::string shown = label.display();
    return shown.find("\xEF\xBF\xBD") == std::string::npos;  // U+FFFD marks a bad byte
}

std::string hexBytes(const PaletteLabel& label, const char* separator) {
    std::string out;
    char hex[4];
    for (std::uint8_t b : label.bytes) {
        std::snprintf(hex, sizeof hex, "%02X", unsigned{b});
        out += (out.empty() ? "" : separator) + std::string(hex);
    }
    return out;
}

std::string labelLine(const PaletteInput& in, bool raw) {
    if (in.fromBmp) return "label \"" + printable(in.labelText) + "\"";
    if (raw) return "label \"" + std::string(in.label.bytes.begin(), in.label.bytes.end()) + "\"";
    if (isText(in.label)) return "label \"" + printable(in.label.display()) + "\"";
    return "label bytes " + hexBytes(in.label, " ");
}

void printPalette(Console& console, const PaletteInput& in, bool raw) {
    console.result(labelLine(in, raw));
    console.result("DepthCode " + std::to_string(in.depthCode));
    for (std::size_t i = 0; i < in.palette.size(); ++i) {
        const Rgb c = in.palette.at(i);
        console.result(std::to_string(i) + " " + std::to_string(c.r) + " " + std::to_string(c.g) +
                       " " + std::to_string(c.b));
    }
}

void printJson(Console& console, const std::string& file, const PaletteInput& in) {
    std::string entries = "[";
    for (std::size_t i = 0; i < in.palette.size(); ++i) {
        const Rgb c = in.palette.at(i);
        entries += (i ? ",[" : "[") + std::to_string(c.r) + "," + std::to_string(c.g) + "," +
                   std::to_string(c.b) + "]";
    }
    entries += "]";
    const bool text = in.fromBmp || isText(in.label);
    console.result(
        JsonObject()
            .add("file", file)
            .addJson("label", text ? jsonString(in.fromBmp ? in.labelText : in.label.display())
                                   : "null")
            .add("labelBytes", hexBytes(in.label, ""))
            .addNumber("depthCode", in.depthCode)
            .addJson("entries", entries)
            .str());
}

std::string stemOf(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

int runPalette(Console& console, const std::vector<std::string>& args) {
    const CommandHelp help = paletteHelp();
    Arguments parsed;
    if (auto done = startCommand(console, args, kOptions, help, parsed)) return *done;
    std::vector<std::string> files;
    std::optional<std::string> out, label, formatName;
    bool raw = false, json = false, force = false;
    for (const Argument& a : parsed.items) {
        if (a.isOperand()) files.push_back(a.value);
        if (a.is(kSave)) out = a.value;
        if (a.is(kLabel)) label = a.value;
        if (a.is(kFormat)) formatName = a.value;
        if (a.is(kRaw)) raw = true;
        if (a.is(kJson)) json = true;
        if (a.is(kForce)) force = true;
    }
    if (files.size() != 1) return usageError(console, help, "give exactly one FILE");
    if (label && !out) return usageError(console, help, "--label needs --save");
    if (formatName && !out) return usageError(console, help, "--format needs --save");
    if (raw && json) return usageError(console, help, "give one of --raw and --json");
    const std::optional<PaletteFormat> format = paletteFormatNamed(formatName.value_or("kararisu"));
    if (!format) return usageError(console, help, "--format takes " + paletteFormatNames());
    if (label && *format != PaletteFormat::Kararisu)
        return usageError(console, help, "--label is only kept by --format kararisu");
    const bool toStdout = out == kStandardStream;
    if (toStdout && (raw || json))
        return usageError(console, help, "--save - leaves standard output to the file");
    const bool binary = *format == PaletteFormat::Kararisu || *format == PaletteFormat::Riff ||
                        *format == PaletteFormat::Act;
    if (toStdout && binary && !mayWriteFileTo(console)) return 2;

    const std::string& file = files[0];
    const Outcome<PaletteInput> in = loadPaletteInput(file);
    if (!in) {
        console.error(paletteInputFailureText(printable(file), in.problem()));
        return 1;
    }
    if (!toStdout) {
        if (json)
            printJson(console, file, *in);
        else
            printPalette(console, *in, raw);
    }
    if (!out) return 0;
    const PaletteLabel saved = label ? PaletteLabel::fromText(*label) : in->label;
    const std::vector<std::uint8_t> bytes =
        encodePalette(*format, saved, in->depthCode, in->palette, stemOf(in->name));
    if (*out != kStandardStream) {
        const Outcome<void> done = writeFileAtomically(
            *out, bytes, force ? WriteMode::Replace : WriteMode::CreateOnly);
        if (!done) {
            const bool exists = done.problem().kind == ProblemKind::FileExists;
            console.error(exists ? describe(printable(*out), done.problem()) + " (use --force)"
                                 : paletteSaveFailureText(printable(*out), done.problem()));
            return 1;
        }
        console.detail("wrote " + printable(*out));
        return 0;
    }
    console.resultBytes(bytes);
    return 0;
}

}  // namespace kararisu::cli
