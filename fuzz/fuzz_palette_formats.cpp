// Any byte string, under any of the palette extensions, is either refused
// or read as a palette of at most 256 entries; a palette imported from
// another program's format has 2, 16 or 256 entries and, written in every
// format, reads back to the same entries.
#include <cstdint>
#include <cstdlib>

#include "fuzz_target.h"
#include "palette/palette_formats.h"

std::string fuzzOutcome(const std::uint8_t* data, std::size_t size) {
    static const char* const kNames[] = {"x.gpl", "x.pal", "x.act", "x.hex", "x"};
    const std::span<const std::uint8_t> bytes(data, size);
    // The last byte picks the name, so the extension fallbacks are reached too.
    const char* name = kNames[size == 0 ? 0 : data[size - 1] % 5];
    const kararisu::Outcome<kararisu::PaletteFile> r = kararisu::decodeAnyPalette(bytes, name);
    if (!r) {
        if (r.problem().reason.empty()) std::abort();
        return outcomeName(r);
    }
    if (r->palette.empty() || r->palette.size() > 256) std::abort();
    if (kararisu::sniffPaletteFormat(bytes, name) == kararisu::PaletteFormat::Kararisu)
        return outcomeName(r);
    if (r->palette.size() != kararisu::entriesForDepthCode(r->depthCode)) std::abort();
    for (const kararisu::PaletteFormatInfo& f : kararisu::paletteFormats()) {
        const auto written =
            kararisu::encodePalette(f.format, r->label, r->depthCode, r->palette, "n");
        const auto again = kararisu::decodeAnyPalette(written, std::string("y.") + f.extension);
        if (!again || !(again->palette == r->palette)) std::abort();
    }
    return outcomeName(r);
}
