// Microsoft RIFF palettes and Adobe colour tables.
#include "palette/foreign_palettes.h"

namespace kararisu::foreign {

namespace {

constexpr std::size_t kActTriples = 3 * 256;
constexpr std::size_t kActWithCount = kActTriples + 4;

std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

unsigned le16(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | (b[at + 1] << 8);
}

bool tag(std::span<const std::uint8_t> b, std::size_t at, const char (&t)[5]) {
    return b.size() >= at + 4 && std::equal(t, t + 4, b.begin() + static_cast<std::ptrdiff_t>(at));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void putTag(std::vector<std::uint8_t>& out, const char (&t)[5]) {
    out.insert(out.end(), t, t + 4);
}

}  // namespace

Outcome<Colours> readRiff(std::span<const std::uint8_t> bytes) {
    if (!tag(bytes, 0, "RIFF") || !tag(bytes, 8, "PAL ")) return refused("not a RIFF palette");
    // Chunks follow the form type; the colours are in the "data" chunk.
    std::uint64_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::uint32_t size = le32(bytes, at + 4);
        if (!tag(bytes, at, "data")) {
            at += 8 + std::uint64_t{size} + (size & 1);
            continue;
        }
        const std::size_t body = at + 8;
        if (body + 4 > bytes.size())
            return refused("truncated: the data chunk at byte " + std::to_string(at) +
                        " ends before its version and count");
        const unsigned version = le16(bytes, body);
        if (version != 0x0300)
            return refused("byte " + std::to_string(body) + ": version " + std::to_string(version) +
                        " is not 0x0300");
        // The count decides, not the chunk size: writers disagree on the latter.
        const unsigned count = le16(bytes, body + 2);
        if (count == 0 || count > kMaxColours)
            return refused("byte " + std::to_string(body + 2) + ": the colour count " +
                        std::to_string(count) + " is not 1-256");
        const std::size_t held = (bytes.size() - body - 4) / 4;
        if (held < count)
            return refused("truncated: the count says " + std::to_string(count) +
                        " colours, the file holds " + std::to_string(held));
        Colours out;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t e = body + 4 + 4 * i;
            out.push_back({bytes[e], bytes[e + 1], bytes[e + 2]});
        }
        return out;
    }
    return refused("truncated: no data chunk");
}

Outcome<Colours> readAct(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kActTriples && bytes.size() != kActWithCount)
        return refused("an Adobe colour table has 768 or 772 bytes; this file has " +
                    std::to_string(bytes.size()));
    std::size_t count = 256;
    if (bytes.size() == kActWithCount) {
        count = (std::size_t{bytes[768]} << 8) | bytes[769];
        if (count == 0 || count > kMaxColours)
            return refused("byte 768: the colour count " + std::to_string(count) + " is not 1-256");
    }
    Colours out;
    for (std::size_t i = 0; i < count; ++i)
        out.push_back({bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]});
    return out;
}

std::vector<std::uint8_t> writeRiff(std::span<const Rgb> colours) {
    const auto n = static_cast<std::uint32_t>(std::min(colours.size(), kMaxColours));
    std::vector<std::uint8_t> out;
    out.reserve(24 + 4 * n);
    putTag(out, "RIFF");
    put32(out, 4 + 8 + 4 + 4 * n);
    putTag(out, "PAL ");
    putTag(out, "data");
    put32(out, 4 + 4 * n);
    put32(out, 0x0300 | (n << 16));  // version, then the count
    for (std::size_t i = 0; i < n; ++i)
        put32(out, colours[i].r | (colours[i].g << 8) | (colours[i].b << 16));  // flags 0
    return out;
}

std::vector<std::uint8_t> writeAct(std::span<const Rgb> colours) {
    const std::size_t n = std::min(colours.size(), kMaxColours);
    std::vector<std::uint8_t> out(kActWithCount, 0);
    for (std::size_t i = 0; i < n; ++i) {
        out[3 * i] = colours[i].r;
        out[3 * i + 1] = colours[i].g;
        out[3 * i + 2] = colours[i].b;
    }
    out[768] = static_cast<std::uint8_t>(n >> 8);
    out[769] = static_cast<std::uint8_t>(n);
    out[770] = out[771] = 0xff;  // no transparent colour
    return out;
}

}  // namespace kararisu::foreign
