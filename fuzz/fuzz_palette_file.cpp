// Any byte string handed to the palette-file reader is either refused with
// a reason or gives a palette of 1 to n entries whose file,
// written again, reads back to the same label, depth code and colours.
#include <cstdint>
#include <cstdlib>

#include "fuzz_target.h"
#include "palette/palette_file.h"

std::string fuzzOutcome(const std::uint8_t* data, std::size_t size) {
    const kararisu::Outcome<kararisu::PaletteFile> r = kararisu::decodePaletteFile({data, size});
    if (!r) {
        if (r.problem().kind != kararisu::ProblemKind::PaletteRefused || r.problem().reason.empty())
            std::abort();
        return outcomeName(r);
    }
    const kararisu::PaletteFile& f = *r;
    const std::size_t n = kararisu::entriesForDepthCode(f.depthCode);
    if (f.palette.empty() || f.palette.size() > n) std::abort();
    // The label survives being shown and saved again byte for byte.
    if (f.label.display().empty()) std::abort();
    if (!(kararisu::PaletteLabel::fromText(f.label.text()) == f.label)) std::abort();
    const auto bytes = kararisu::encodePaletteFile(f.label, f.depthCode, f.palette);
    const kararisu::Outcome<kararisu::PaletteFile> again = kararisu::decodePaletteFile(bytes);
    if (!again || !(again->label == f.label) || again->depthCode != f.depthCode ||
        again->palette.size() != n)
        std::abort();
    for (std::size_t i = 0; i < f.palette.size(); ++i)
        if (!(again->palette.at(i) == f.palette.at(i))) std::abort();
    return outcomeName(r);
}
