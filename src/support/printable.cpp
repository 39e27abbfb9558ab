#include "support/printable.h"

namespace kararisu {

std::size_t utf8CharLength(std::string_view s) {
    if (s.empty()) return 0;
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b = at(0);
    if (b < 0x80) return 1;
    std::size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // the range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        if (b == 0xE0) lo = 0xA0;  // no overlong forms
        if (b == 0xED) hi = 0x9F;  // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        if (b == 0xF0) lo = 0x90;
        if (b == 0xF4) hi = 0x8F;  // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (s.size() < n || at(1) < lo || at(1) > hi) return 0;
    for (std::size_t i = 2; i < n; ++i)
        if (at(i) < 0x80 || at(i) > 0xBF) return 0;
    return n;
}

std::string printable(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    auto escape = [&](unsigned char b) { out += {'\\', 'x', kHex[b >> 4], kHex[b & 15]}; };
    while (!text.empty()) {
        const std::size_t n = utf8CharLength(text);
        const auto b = static_cast<unsigned char>(text[0]);
        const bool c1 = n == 2 && b == 0xC2 && static_cast<unsigned char>(text[1]) <= 0x9F;
        if (n == 0 || b < 0x20 || b == 0x7F || c1) {
            // A bad byte alone; a C1 control's two bytes both.
            const std::size_t shown = c1 ? 2 : 1;
            for (std::size_t i = 0; i < shown; ++i) escape(static_cast<unsigned char>(text[i]));
            text.remove_prefix(shown);
        } else {
            out.append(text.substr(0, n));
            text.remove_prefix(n);
        }
    }
    return out;
}

}  // namespace kararisu
