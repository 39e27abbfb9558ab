#pragma once
// Tables of one entry for each of the 2^24 colours, of which a picture
// uses a few: the colours are grouped into cubes of 2^lowRedBits reds, 16
// greens and 16 blues, each a run of neighbouring entries, so the colours
// of a picture, which cluster, back few pages of a table in small pages.

#include <array>
#include <cstdint>

namespace kararisu {

class ColorCubes {
  public:
    explicit constexpr ColorCubes(int lowRedBits) : lowRedBits_(lowRedBits) {
        const std::uint32_t rb = std::uint32_t(lowRedBits), mask = (1u << rb) - 1;
        for (std::uint32_t v = 0; v < 256; ++v) {
            red_[v] = ((v >> rb) << (16 + rb)) | ((v & mask) << 8);
            green_[v] = ((v >> 4) << (12 + rb)) | ((v & 15) << 4);
            blue_[v] = ((v >> 4) << (8 + rb)) | (v & 15);
        }
    }

    // Where colour (r, g, b), or 0x00RRGGBB, lies in the table.
    std::uint32_t at(std::uint32_t r, std::uint32_t g, std::uint32_t b) const {
        return red_[r] | green_[g] | blue_[b];
    }
    std::uint32_t at(std::uint32_t v) const { return at((v >> 16) & 255, (v >> 8) & 255, v & 255); }

    // Entries of one cube; the cubes of one group of 2^lowRedBits reds lie
    // together, 256 cubes of them.
    std::uint32_t cubeSize() const { return 1u << (8 + lowRedBits_); }
    int lowRedBits() const { return lowRedBits_; }

  private:
    int lowRedBits_;
    std::array<std::uint32_t, 256> red_{}, green_{}, blue_{};
};

}  // namespace kararisu
