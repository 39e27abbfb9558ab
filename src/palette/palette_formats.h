#pragma once
// Palette files of every format the program reads and writes: its own
// (".gpl", palette_file.h) and those other programs share palettes in. A
// file's format is recognised from its first bytes and only where they
// cannot tell from its extension, since the program's own files and GIMP's
// share ".gpl".
//
// A palette of k colours from another program becomes a palette of the
// smallest of 2, 16 or 256 entries that holds k (black after the k), with
// the DepthCode of that size and the label "カスタム" k.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "palette/palette_file.h"
#include "support/problem.h"

namespace kararisu {

enum class PaletteFormat { Kararisu, Gimp, Jasc, Riff, Act, Hex };

struct PaletteFormatInfo {
    PaletteFormat format;
    const char* name;         // as the batch tool's --format takes it
    const char* description;  // a file dialog's filter name
    const char* extension;    // without the dot
};

// Every format, the program's own first.
std::span<const PaletteFormatInfo> paletteFormats();
const PaletteFormatInfo& paletteFormatInfo(PaletteFormat format);
std::optional<PaletteFormat> paletteFormatNamed(std::string_view name);
// "kararisu|gimp|jasc|riff|act|hex"
std::string paletteFormatNames();

// File dialog filters as the platform takes them, "name|pattern|name|...",
// the program's own first. The save dialog offers one per format, in
// paletteFormats() order; the open dialog the program's own, then one for
// every palette file the program reads.
std::string paletteSaveFilter();
std::string paletteOpenFilter();
// The format of the save dialog's chosen filter name; the program's own
// for any other.
PaletteFormat paletteFormatOfFilter(std::string_view name);

// The format a file's bytes are in; `fileName` is looked at only when the
// bytes cannot tell. Anything unrecognised is handed to the program's own
// reader, which refuses it as it always has.
PaletteFormat sniffPaletteFormat(std::span<const std::uint8_t> bytes, std::string_view fileName);

// A file of any format as the program's palette. A refusal shows the
// program's message (paletteNotCreatedMessage) like any palette file's; its
// reason names the line or byte where there is one, and for the program's
// own format is that of its reader, whose refusals stay as they were.
Outcome<PaletteFile> decodeAnyPalette(std::span<const std::uint8_t> bytes,
                                      std::string_view fileName);
Outcome<PaletteFile> readAnyPaletteFile(const std::string& path);

// The palette imported from k colours (1-256): padded, DepthCode, label.
PaletteFile importedPalette(std::span<const Rgb> colours);

// The bytes of a palette in `format`. Every format holds the
// entriesForDepthCode(depthCode) entries the program's own would; the label
// is kept only by the program's own, `name` only by GIMP's.
std::vector<std::uint8_t> encodePalette(PaletteFormat format, const PaletteLabel& label,
                                        std::int32_t depthCode, const Palette& palette,
                                        std::string_view name);
// Written in full under a temporary name and renamed over path, as
// savePaletteFile does.
Outcome<void> savePaletteAs(PaletteFormat format, const std::string& path,
                            const PaletteLabel& label, std::int32_t depthCode,
                            const Palette& palette, std::string_view name);

}  // namespace kararisu
