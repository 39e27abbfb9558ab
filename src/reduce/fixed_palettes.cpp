#include "reduce/fixed_palettes.h"

#include <algorithm>
#include <stdexcept>

namespace kararisu {

namespace {

bool isSixteenEntryMode(int mode) {
    return mode == 3 || mode == 4 || (mode >= 8 && mode <= 24 && (mode - 8) % 4 == 0);
}

Rgb chosenAt(std::span<const Rgb> chosen, std::size_t i) {
    return i < chosen.size() ? chosen[i] : Rgb{};
}

}  // namespace

Rgb scaleColor(int mode, int v) {
    const auto u = static_cast<std::uint8_t>(v);
    switch ((mode - 5) / 4) {
        case 0:
            return {u, u, u};
        case 1:
            return {u, 0, 0};
        case 2:
            return {0, u, 0};
        case 3:
            return {0, 0, u};
        default:
            return {static_cast<std::uint8_t>(std::min(v + 36, 255)), u,
                    static_cast<std::uint8_t>(std::max(v - 36, 0))};
    }
}

Palette buildPalette(int mode, std::span<const Rgb> chosen) {
    if (mode < 0 || mode > 26) throw std::out_of_range("reduction mode out of range");
    const auto& sys = systemPalette();
    std::vector<Rgb> e(isSixteenEntryMode(mode) ? 16 : 256);
    auto system = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i <= to; ++i) e[i] = sys[i];
    };
    if (mode == 0 || mode == 4 || mode == 25) {
        // Mode 25's entries past ColorCount stay black.
        for (std::size_t i = 0; i < e.size(); ++i) e[i] = chosenAt(chosen, i);
    } else if (mode == 1) {
        system(0, 9);
        for (std::size_t i = 10; i <= 245; ++i) e[i] = chosenAt(chosen, i - 10);
        system(246, 255);
    } else if (mode == 2 || mode == 26) {
        system(0, 7);
        for (std::size_t i = 8; i <= 247; ++i) e[i] = chosenAt(chosen, i - 8);
        system(248, 255);
    } else if (mode == 3) {
        for (std::size_t i = 0; i < 8; ++i) {
            e[i] = sys[i];
            e[i + 8] = sys[i + 248];
        }
    } else {
        const int size = (mode - 5) % 4;  // 0: 256, 1: 236 + 20, 2: 240 + 16, 3: 16 levels
        if (size == 3) {
            // Steps of 15 from 255 down to 45; the last entry is black.
            for (int i = 0; i < 15; ++i)
                e[static_cast<std::size_t>(i)] = scaleColor(mode, 255 - 15 * i);
            e[15] = Rgb{};
        } else {
            for (int i = 0; i < 256; ++i) e[static_cast<std::size_t>(i)] = scaleColor(mode, i);
            if (size == 1) {
                system(0, 9);
                system(246, 255);
            } else if (size == 2) {
                system(0, 7);
                system(248, 255);
            }
        }
    }
    return Palette(std::move(e));
}

}  // namespace kararisu
