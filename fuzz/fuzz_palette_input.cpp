// Palettes as the user names them: whatever file is handed to the palette
// input (a palette file, a paletted BMP, or any format it learns to read)
// either gives a palette of 1 to 256 entries with a name, or is refused with
// a reason. The bytes go through a real file, as the program reads them.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_target.h"
#include "palette/palette_input.h"

namespace {

char gFolder[] = "/tmp/kararisu-fuzz-XXXXXX";

// One file in a folder of its own, both removed when the run ends.
const std::string& scratchFile() {
    static const std::string path = [] {
        if (!::mkdtemp(gFolder)) std::abort();
        std::atexit([] {
            ::unlink((std::string(gFolder) + "/input").c_str());
            ::rmdir(gFolder);
        });
        return std::string(gFolder) + "/input";
    }();
    return path;
}

}  // namespace

std::string fuzzOutcome(const std::uint8_t* data, std::size_t size) {
    const std::string& path = scratchFile();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    const kararisu::Outcome<kararisu::PaletteInput> in = kararisu::loadPaletteInput(path);
    if (!in) {
        if (in.problem().reason.empty()) std::abort();
        return outcomeName(in);
    }
    if (in->palette.empty() || in->palette.size() > 256 || in->name.empty()) std::abort();
    const kararisu::PaletteEntry entry = kararisu::paletteEntryOf(*in);
    if (!entry.palette || entry.palette->size() != in->palette.size()) std::abort();
    return outcomeName(in);
}
