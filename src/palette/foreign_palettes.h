#pragma once
// The readers and writers of palette files made by other programs: GIMP and
// JASC-PAL text palettes, hex lists, RIFF palettes and Adobe colour tables.
// Readers return the colours in file order, or a PaletteRefused problem
// whose reason names the line (or byte offset) a person can look at and
// quotes the file's text only escaped (printable()).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/problem.h"
#include "worklists/palette.h"

namespace kararisu::foreign {

using Colours = std::vector<Rgb>;

inline constexpr std::size_t kMaxColours = 256;

inline Problem refused(std::string reason) {
    return {ProblemKind::PaletteRefused, std::move(reason)};
}

// Line ends are "\n", "\r\n" and "\r" alike.
Outcome<Colours> readGimp(std::string_view text);
Outcome<Colours> readJasc(std::string_view text);
Outcome<Colours> readHexList(std::string_view text);
Outcome<Colours> readRiff(std::span<const std::uint8_t> bytes);
Outcome<Colours> readAct(std::span<const std::uint8_t> bytes);

// True when every non-blank line is one colour of a hex list.
bool looksLikeHexList(std::string_view text);

std::string writeGimp(std::span<const Rgb> colours, std::string_view name);
std::string writeJasc(std::span<const Rgb> colours);
std::string writeHexList(std::span<const Rgb> colours);
std::vector<std::uint8_t> writeRiff(std::span<const Rgb> colours);
std::vector<std::uint8_t> writeAct(std::span<const Rgb> colours);

}  // namespace kararisu::foreign
