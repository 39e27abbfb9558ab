#pragma once
// The readers and writers of palette files made by other programs: GIMP and
// JASC-PAL text palettes, hex lists, RIFF palettes and Adobe colour tables.
// Readers return the colours in file order or the reason they refused, with
// the line (or byte offset) a person can look at.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "worklists/palette.h"

namespace kararisu::foreign {

struct Colours {
    std::vector<Rgb> colours;
    std::string reason;  // empty when the colours were read
    bool ok() const { return reason.empty(); }
};

inline constexpr std::size_t kMaxColours = 256;

Colours readGimp(std::string_view text);
Colours readJasc(std::string_view text);
Colours readHexList(std::string_view text);
Colours readRiff(std::span<const std::uint8_t> bytes);
Colours readAct(std::span<const std::uint8_t> bytes);

// True when every non-blank line is one colour of a hex list.
bool looksLikeHexList(std::string_view text);

std::string writeGimp(std::span<const Rgb> colours, std::string_view name);
std::string writeJasc(std::span<const Rgb> colours);
std::string writeHexList(std::span<const Rgb> colours);
std::vector<std::uint8_t> writeRiff(std::span<const Rgb> colours);
std::vector<std::uint8_t> writeAct(std::span<const Rgb> colours);

}  // namespace kararisu::foreign
