#pragma once
// Palettes: up to 256 red, green, blue entries, and the fixed system table.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kararisu {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
    // 0x00RRGGBB, the ColorValue of this colour.
    constexpr std::uint32_t value() const { return (std::uint32_t{r} << 16) | (g << 8) | b; }
    static constexpr Rgb fromValue(std::uint32_t v) {
        return Rgb{std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
    }
};

class Palette {
  public:
    static constexpr std::size_t kMaxEntries = 256;
    static constexpr std::uint16_t kRecordVersion = 0x300;

    Palette() = default;
    // Entries beyond kMaxEntries are dropped.
    explicit Palette(std::vector<Rgb> entries);

    // A palette record: 16-bit version 0x300, 16-bit count, count entries of
    // red, green, blue, flags (all little-endian). No palette for a count of 0
    // or above 256, another version, or a record shorter than its count says.
    static std::optional<Palette> fromRecord(std::span<const std::uint8_t> record);
    std::vector<std::uint8_t> toRecord() const;

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    // Entries beyond the palette's size read as black.
    Rgb at(std::size_t i) const { return i < entries_.size() ? entries_[i] : Rgb{}; }
    void set(std::size_t i, Rgb c);
    void resize(std::size_t n);  // new entries are black
    const std::vector<Rgb>& entries() const { return entries_; }

    friend bool operator==(const Palette&, const Palette&) = default;

  private:
    std::vector<Rgb> entries_;
};

// The 256 entries that stand in for the display's system palette: the 20
// static colours at 0-9 and 246-255, black between them.
const std::array<Rgb, 256>& systemPalette();

}  // namespace kararisu
