#pragma once
// Palette files (".gpl"): a 12-byte label, the DepthCode, a palette record
// and 4 reserved bytes, all little-endian:
//   0  label: 11 Shift-JIS bytes padded with spaces, then 0x00
//   12 DepthCode, signed 32 bits (0, 1, 2 for 2, 16, 256 entries)
//   16 version 0x0300, 16 bits
//   18 entry count, 16 bits
//   20 entries of red, green, blue, flags
//   20 + 4n reserved, 4 bytes (written as 0, never interpreted)

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "support/messages.h"
#include "support/problem.h"
#include "worklists/palette.h"

namespace kararisu {

// The label as the file holds it. A label read from a file is kept byte for
// byte, so saving it again writes the same 11 bytes.
struct PaletteLabel {
    static constexpr std::size_t kSize = 11;
    std::array<std::uint8_t, kSize> bytes{};

    // Encodes a ModeLabel (UTF-8) to Shift-JIS, pads it with spaces to 11
    // bytes and cuts it after 11, even inside a double-byte character.
    // Texts made by text() come back to the same bytes.
    static PaletteLabel fromText(const std::string& modeLabel);
    // The label as a ModeLabel that fromText turns back into these bytes,
    // padding spaces included (bytes that are no character are carried in
    // private-use characters).
    std::string text() const;
    // The label for people: undecodable bytes shown as U+FFFD.
    std::string display() const;

    friend bool operator==(const PaletteLabel&, const PaletteLabel&) = default;
};

struct PaletteFile {
    PaletteLabel label;
    std::int32_t depthCode = 0;
    Palette palette;  // the entries the count field announces
};

// 2, 16 or 256 for the DepthCodes 0, 1, 2; 1 for any other code.
std::size_t entriesForDepthCode(std::int32_t depthCode);
// "ノーマル2", "ノーマル16", "ノーマル256": the label of a paletted image's own palette.
std::string sourcePaletteLabel(int depthCode);

// The bytes of a palette file: n = entriesForDepthCode(depthCode) entries of
// the palette (missing entries black), count n, flags and reserved bytes 0.
std::vector<std::uint8_t> encodePaletteFile(const PaletteLabel& label, std::int32_t depthCode,
                                            const Palette& palette);

// Reading. n comes from the depth code; the reader looks at the first
// 24 + 4n bytes only. Refused as PaletteRefused: a file shorter than the
// 20 + 4n bytes it announces, a count of 0 or above n, a version other than
// 0x0300. A file that cannot be opened or read gives the system's reason.
// The program shows paletteNotCreatedMessage() for every refusal.
Outcome<PaletteFile> decodePaletteFile(std::span<const std::uint8_t> bytes);
Outcome<PaletteFile> readPaletteFile(const std::string& path);

// Writes the file in full under a temporary name and renames it over path,
// so a failed save leaves any earlier file untouched and a shorter file
// leaves no old tail. The program shows paletteSaveFailedMessage() for a
// failure.
Outcome<void> savePaletteFile(const std::string& path, const PaletteLabel& label,
                              std::int32_t depthCode, const Palette& palette);

// The program's texts.
Message paletteNotCreatedMessage();  // read refusal, failed merge palette
Message paletteSaveFailedMessage();
inline constexpr const char* kPaletteLoadTitle = "パレットの読み込み";
inline constexpr const char* kPaletteSaveTitle = "パレットの保存";
inline constexpr const char* kPaletteExtension = "gpl";
inline constexpr const char* kPaletteFilterDescription = "カラリスパレットデータ(*.gpl)";
inline constexpr const char* kPaletteFilterPattern = "*.gpl";

// The palette folder, with a trailing "/": "Palette" in the user's data
// folder of the program, $XDG_DATA_HOME/kararisu/Palette/ (by default
// ~/.local/share/kararisu/Palette/), the place Qt's AppDataLocation names for
// an application called kararisu. A relative XDG_DATA_HOME is ignored, as the
// base-directory rules require. The program's own folder is usually not
// writable, so palette files never go beside it.
std::string paletteFolder();
// Creates the palette folder and any missing parent (mode 0700) when
// missing; a failure is ignored (the dialog then opens wherever the platform
// puts it). Returns the folder.
std::string ensurePaletteFolder();
// The path the save dialog starts with for a result: the palette folder,
// the result's palette name and ".gpl".
std::string defaultPaletteSavePath(const std::string& paletteName);
// The folder of the running program (no trailing "/"), "." when unknown.
std::string programFolder();

}  // namespace kararisu
