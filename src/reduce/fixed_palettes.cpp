#include "reduce/fixed_palettes.h"

#include <algorithm>

#include "reduce/modes.h"

namespace kararisu {

namespace {

Rgb chosenAt(std::span<const Rgb> chosen, std::size_t i) {
    return i < chosen.size() ? chosen[i] : Rgb{};
}

Rgb scaleLevel(Scale scale, int v) {
    const auto u = static_cast<std::uint8_t>(v);
    switch (scale) {
        case Scale::Grey:
            return {u, u, u};
        case Scale::Red:
            return {u, 0, 0};
        case Scale::Green:
            return {0, u, 0};
        case Scale::Blue:
            return {0, 0, u};
        case Scale::Sepia:
        case Scale::None:
            break;
    }
    return {static_cast<std::uint8_t>(std::min(v + 36, 255)), u,
            static_cast<std::uint8_t>(std::max(v - 36, 0))};
}

}  // namespace

Rgb scaleColor(int mode, int v) {
    return scaleLevel(modeInfo(mode).scale, v);
}

Palette buildPalette(int mode, std::span<const Rgb> chosen) {
    const ModeInfo& info = modeInfo(mode);
    std::vector<Rgb> e(info.entryCount());
    if (info.scale == Scale::None) {
        // Entries past the chosen colours (mode 25's past ColorCount) stay black.
        const std::size_t first = info.firstChosenEntry();
        for (std::size_t i = 0; i < info.chosenEntryCount(); ++i)
            e[first + i] = chosenAt(chosen, i);
    } else if (e.size() == 16) {
        // Steps of 15 from 255 down to 45; the last entry is black.
        for (std::size_t i = 0; i < 15; ++i)
            e[i] = scaleLevel(info.scale, 255 - 15 * static_cast<int>(i));
    } else {
        for (std::size_t i = 0; i < 256; ++i) e[i] = scaleLevel(info.scale, static_cast<int>(i));
    }
    // The system colours at the two ends: the first and the last half of
    // the 20 or the 16.
    const std::size_t half = info.system == SystemColours::Twenty    ? 10
                             : info.system == SystemColours::Sixteen ? 8
                                                                     : 0;
    const auto& sys = systemPalette();
    for (std::size_t i = 0; i < half; ++i) {
        e[i] = sys[i];
        e[e.size() - half + i] = sys[sys.size() - half + i];
    }
    return Palette(std::move(e));
}

}  // namespace kararisu
