// Any byte string handed to the palette-file reader is either refused with
// the program's message or gives a palette of 1 to n entries whose file,
// written again, reads back to the same label, depth code and colours.
#include <cstdint>
#include <cstdlib>

#include "palette/palette_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const kararisu::PaletteFileRead r = kararisu::decodePaletteFile({data, size});
    if (!r.ok()) {
        if (!(r.message == kararisu::paletteNotCreatedMessage())) std::abort();
        return 0;
    }
    const kararisu::PaletteFile& f = *r.file;
    const std::size_t n = kararisu::entriesForDepthCode(f.depthCode);
    if (f.palette.empty() || f.palette.size() > n) std::abort();
    // The label survives being shown and saved again byte for byte.
    if (f.label.display().empty()) std::abort();
    if (!(kararisu::PaletteLabel::fromText(f.label.text()) == f.label)) std::abort();
    const auto bytes = kararisu::encodePaletteFile(f.label, f.depthCode, f.palette);
    const kararisu::PaletteFileRead again = kararisu::decodePaletteFile(bytes);
    if (!again.ok() || !(again.file->label == f.label) || again.file->depthCode != f.depthCode ||
        again.file->palette.size() != n)
        std::abort();
    for (std::size_t i = 0; i < f.palette.size(); ++i)
        if (!(again.file->palette.at(i) == f.palette.at(i))) std::abort();
    return 0;
}
