#include "worklists/palette.h"

namespace kararisu {

Palette::Palette(std::vector<Rgb> entries) : entries_(std::move(entries)) {
    if (entries_.size() > kMaxEntries) entries_.resize(kMaxEntries);
}

std::optional<Palette> Palette::fromRecord(std::span<const std::uint8_t> record) {
    if (record.size() < 4) return std::nullopt;
    const unsigned version = record[0] | (record[1] << 8);
    const std::size_t count = record[2] | (record[3] << 8);
    if (version != kRecordVersion || count == 0 || count > kMaxEntries) return std::nullopt;
    if (record.size() < 4 + 4 * count) return std::nullopt;
    std::vector<Rgb> entries(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto* e = &record[4 + 4 * i];
        entries[i] = Rgb{e[0], e[1], e[2]};
    }
    return Palette(std::move(entries));
}

std::vector<std::uint8_t> Palette::toRecord() const {
    std::vector<std::uint8_t> out(4 + 4 * entries_.size(), 0);
    out[0] = kRecordVersion & 0xff;
    out[1] = kRecordVersion >> 8;
    out[2] = entries_.size() & 0xff;
    out[3] = (entries_.size() >> 8) & 0xff;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        out[4 + 4 * i] = entries_[i].r;
        out[5 + 4 * i] = entries_[i].g;
        out[6 + 4 * i] = entries_[i].b;
    }
    return out;
}

void Palette::set(std::size_t i, Rgb c) {
    if (i < entries_.size()) entries_[i] = c;
}

void Palette::resize(std::size_t n) {
    entries_.resize(n < kMaxEntries ? n : kMaxEntries);
}

const std::array<Rgb, 256>& systemPalette() {
    static const std::array<Rgb, 256> table = [] {
        std::array<Rgb, 256> t{};
        const Rgb low[10] = {{0, 0, 0},       {128, 0, 0},    {0, 128, 0},   {128, 128, 0},
                             {0, 0, 128},     {128, 0, 128},  {0, 128, 128}, {192, 192, 192},
                             {192, 220, 192}, {166, 202, 240}};
        const Rgb high[10] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},
                              {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},
                              {0, 255, 255},   {255, 255, 255}};
        for (int i = 0; i < 10; ++i) {
            t[i] = low[i];
            t[246 + i] = high[i];
        }
        return t;
    }();
    return table;
}

}  // namespace kararisu
