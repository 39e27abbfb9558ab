#pragma once
// PNG files put together chunk by chunk, for files no encoder would write.

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kararisu::test {

using Bytes = std::vector<std::uint8_t>;

inline void put32be(Bytes& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(std::uint8_t(v >> s));
}

inline void addChunk(Bytes& png, const char* type, const Bytes& data) {
    put32be(png, std::uint32_t(data.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    png.insert(png.end(), typed.begin(), typed.end());
    put32be(png, std::uint32_t(crc32(0, typed.data(), uInt(typed.size()))));
}

inline Bytes ihdr(std::uint32_t w, std::uint32_t h, int depth, int colorType, int interlace = 0) {
    Bytes d;
    put32be(d, w);
    put32be(d, h);
    d.push_back(std::uint8_t(depth));
    d.push_back(std::uint8_t(colorType));
    d.push_back(0);
    d.push_back(0);
    d.push_back(std::uint8_t(interlace));
    return d;
}

inline Bytes deflated(const Bytes& raw) {
    uLongf n = compressBound(uLong(raw.size()));
    Bytes out(n);
    compress2(out.data(), &n, raw.data(), uLong(raw.size()), 9);
    out.resize(n);
    return out;
}

// A file of the given chunks after the signature; IEND closes it unless
// told not to.
inline Bytes pngOf(const std::vector<std::pair<std::string, Bytes>>& chunks, bool end = true) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    for (const auto& [type, data] : chunks) addChunk(png, type.c_str(), data);
    if (end) addChunk(png, "IEND", {});
    return png;
}

}  // namespace kararisu::test
