#include "palette/shift_jis.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <stdexcept>

namespace kararisu {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr char32_t kEscapeBase = 0xF780;                   // U+F780 + byte

// One conversion direction; the handle is closed with the object.
class Converter {
  public:
    Converter(const char* to, const char* from) : handle_(::iconv_open(to, from)) {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("code page 932 conversion is not available");
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() { ::iconv_close(handle_); }

    // Converts the whole of `in`, or returns nothing when any part of it does
    // not convert. Inputs here are a few bytes, so restarting is cheap.
    std::optional<std::string> convert(std::string_view in) {
        ::iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // initial shift state
        std::string out(in.size() * 4 + 16, '\0');
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char* dst = out.data();
        std::size_t dstLeft = out.size();
        while (srcLeft > 0) {
            if (::iconv(handle_, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
                if (errno != E2BIG) return std::nullopt;
                const std::size_t used = out.size() - dstLeft;
                out.resize(out.size() * 2);
                dst = out.data() + used;
                dstLeft = out.size() - used;
            }
        }
        out.resize(out.size() - dstLeft);
        return out;
    }

  private:
    iconv_t handle_;
};

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Length of the UTF-8 sequence at text[i] and its code point, or 0 when the
// bytes there are not a well-formed sequence.
std::size_t utf8Sequence(std::string_view text, std::size_t i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    std::size_t len = b0 < 0x80         ? 1
                      : (b0 >> 5) == 6  ? 2
                      : (b0 >> 4) == 14 ? 3
                      : (b0 >> 3) == 30 ? 4
                                        : 0;
    if (len == 0 || i + len > text.size()) return 0;
    cp = len == 1 ? b0 : len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Walks Shift-JIS bytes one character at a time; `bad` is called for each
// byte that does not stand for a character (exact: that converts back).
template <typename Bad>
std::string decode(std::string_view bytes, bool exact, Bad bad) {
    Converter toUtf8("UTF-8", "CP932");
    std::optional<Converter> back;
    if (exact) back.emplace("CP932", "UTF-8");
    std::string out;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const std::size_t len = isLeadByte(b) && i + 1 < bytes.size() ? 2 : 1;
        const std::string_view piece = bytes.substr(i, len);
        std::optional<std::string> text = toUtf8.convert(piece);
        if (text && exact) {
            const std::optional<std::string> again = back->convert(*text);
            if (!again || *again != piece) text.reset();
        }
        // Our own escape characters must not be produced by a real character.
        if (text && exact && !text->empty()) {
            char32_t cp = 0;
            if (utf8Sequence(*text, 0, cp) > 0 && cp >= kEscapeBase && cp < kEscapeBase + 256)
                text.reset();
        }
        if (text) {
            out += *text;
            i += len;
        } else {
            bad(out, b);
            ++i;
        }
    }
    return out;
}

template <typename Escape>
std::string encode(std::string_view text, Escape escape) {
    Converter toSjis("CP932", "UTF-8");
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp = 0;
        const std::size_t len = utf8Sequence(text, i, cp);
        if (len == 0) {
            out += '?';
            ++i;
            continue;
        }
        if (escape(out, cp)) {
            i += len;
            continue;
        }
        const std::optional<std::string> bytes = toSjis.convert(text.substr(i, len));
        out += bytes ? *bytes : std::string("?");
        i += len;
    }
    return out;
}

}  // namespace

std::string shiftJisToUtf8(std::string_view bytes) {
    return decode(bytes, false, [](std::string& out, unsigned char) { out += kReplacement; });
}

std::string utf8ToShiftJis(std::string_view text) {
    return encode(text, [](std::string&, char32_t) { return false; });
}

std::string decodeShiftJisExact(std::string_view bytes) {
    return decode(bytes, true,
                  [](std::string& out, unsigned char b) { appendUtf8(out, kEscapeBase + b); });
}

std::string encodeShiftJisExact(std::string_view text) {
    return encode(text, [](std::string& out, char32_t cp) {
        if (cp < kEscapeBase || cp >= kEscapeBase + 256) return false;
        out += static_cast<char>(cp - kEscapeBase);
        return true;
    });
}

}  // namespace kararisu
