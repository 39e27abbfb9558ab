// GIMP palettes, JASC-PAL files and hex lists: text, one colour a line.
#include <algorithm>
#include <charconv>

#include "palette/foreign_palettes.h"
#include "support/printable.h"

namespace kararisu::foreign {

namespace {

// Splits text into lines without their line end ("\n", "\r\n" or a lone
// "\r", as old Mac files have it), numbered from 1.
class Lines {
  public:
    explicit Lines(std::string_view text) : rest_(text) {}
    bool next(std::string_view& line) {
        if (rest_.empty()) return false;
        const std::size_t end = rest_.find_first_of("\r\n");
        line = rest_.substr(0, end);
        std::size_t after = end == std::string_view::npos ? rest_.size() : end + 1;
        if (end != std::string_view::npos && rest_[end] == '\r' && after < rest_.size() &&
            rest_[after] == '\n')
            ++after;
        rest_.remove_prefix(after);
        ++number_;
        return true;
    }
    std::size_t number() const { return number_; }

  private:
    std::string_view rest_;
    std::size_t number_ = 0;
};

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

// The next whitespace-separated word of s, removed from it.
std::string_view word(std::string_view& s) {
    s = trim(s);
    std::size_t n = 0;
    while (n < s.size() && !isSpace(s[n])) ++n;
    const std::string_view w = s.substr(0, n);
    s.remove_prefix(n);
    return w;
}

std::string at(std::size_t line, const std::string& what) {
    return "line " + std::to_string(line) + ": " + what;
}

// The file's own text in a reason: escaped, and cut after 40 bytes (never
// inside a character).
std::string quoted(std::string_view s) {
    constexpr std::size_t kShown = 40;
    std::size_t shown = 0;
    while (shown < s.size()) {
        const std::size_t n = std::max<std::size_t>(utf8CharLength(s.substr(shown)), 1);
        if (shown + n > kShown) break;
        shown += n;
    }
    return "\"" + printable(s.substr(0, shown)) + (shown < s.size() ? "…" : "") + "\"";
}

// Reads "R G B" from the front of s, each 0-255; returns the reason when not.
std::string channels(std::string_view& s, Rgb& c, std::size_t line) {
    std::uint8_t* out[3] = {&c.r, &c.g, &c.b};
    for (std::uint8_t* o : out) {
        const std::string_view w = word(s);
        unsigned v = 0;
        const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), v);
        if (w.empty() || end != w.data() + w.size() || ec == std::errc::invalid_argument)
            return at(line, "expected three numbers R G B, found " + quoted(w));
        if (ec == std::errc::result_out_of_range || v > 255)
            return at(line, std::string(w) + " is outside 0-255");
        *o = static_cast<std::uint8_t>(v);
    }
    return {};
}

std::string tooMany(std::size_t line) {
    return at(line, "more than 256 colours");
}

bool hexColour(std::string_view s, Rgb& c) {
    s = trim(s);
    if (!s.empty() && s.front() == '#') s.remove_prefix(1);
    if (s.size() != 6) return false;
    std::uint32_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + 6, v, 16);
    if (ec != std::errc() || end != s.data() + 6) return false;
    c = Rgb::fromValue(v);
    return true;
}

}  // namespace

Outcome<Colours> readGimp(std::string_view text) {
    Lines lines(text);
    std::string_view line;
    if (!lines.next(line) || !trim(line).starts_with("GIMP Palette"))
        return refused("line 1: not \"GIMP Palette\"");
    Colours out;
    while (lines.next(line)) {
        std::string_view s = trim(line);
        if (s.empty() || s.front() == '#' || s.starts_with("Name:") || s.starts_with("Columns:"))
            continue;
        Rgb c;
        if (std::string r = channels(s, c, lines.number()); !r.empty()) return refused(r);
        if (out.size() == kMaxColours) return refused(tooMany(lines.number()));
        out.push_back(c);  // the rest of the line is the colour's name
    }
    if (out.empty()) return refused("no colours");
    return out;
}

Outcome<Colours> readJasc(std::string_view text) {
    Lines lines(text);
    std::string_view line;
    if (!lines.next(line) || trim(line) != "JASC-PAL") return refused("line 1: not \"JASC-PAL\"");
    if (!lines.next(line) || trim(line) != "0100") return refused("line 2: not \"0100\"");
    if (!lines.next(line)) return refused("line 3: no colour count");
    const std::string_view countText = trim(line);
    unsigned count = 0;
    const auto [end, ec] =
        std::from_chars(countText.data(), countText.data() + countText.size(), count);
    if (countText.empty() || ec != std::errc() || end != countText.data() + countText.size() ||
        count == 0 || count > kMaxColours)
        return refused("line 3: the colour count " + quoted(countText) + " is not 1-256");
    Colours out;
    while (lines.next(line)) {
        std::string_view s = trim(line);
        if (s.empty()) continue;
        if (out.size() == count)
            return refused(at(lines.number(), "more colours than the count on line 3 (" +
                                                  std::to_string(count) + ")"));
        Rgb c;
        if (std::string r = channels(s, c, lines.number()); !r.empty()) return refused(r);
        if (!trim(s).empty()) return refused(at(lines.number(), "more than R G B: " + quoted(s)));
        out.push_back(c);
    }
    if (out.size() != count)
        return refused(at(lines.number(), "the file ends after " + std::to_string(out.size()) +
                                              " colours; line 3 says " + std::to_string(count)));
    return out;
}

Outcome<Colours> readHexList(std::string_view text) {
    Lines lines(text);
    std::string_view line;
    Colours out;
    while (lines.next(line)) {
        if (trim(line).empty()) continue;
        Rgb c;
        if (!hexColour(line, c))
            return refused(at(lines.number(), "expected RRGGBB, found " + quoted(trim(line))));
        if (out.size() == kMaxColours) return refused(tooMany(lines.number()));
        out.push_back(c);
    }
    if (out.empty()) return refused("no colours");
    return out;
}

bool looksLikeHexList(std::string_view text) {
    Lines lines(text);
    std::string_view line;
    bool any = false;
    while (lines.next(line)) {
        if (trim(line).empty()) continue;
        Rgb c;
        if (!hexColour(line, c)) return false;
        any = true;
    }
    return any;
}

namespace {

// A channel as GIMP aligns it: right-aligned in three columns.
std::string padded(std::uint8_t v) {
    std::string s = std::to_string(v);
    return std::string(3 - s.size(), ' ') + s;
}

std::string hexByte(std::uint8_t v) {
    static constexpr char kDigits[] = "0123456789abcdef";
    return {kDigits[v >> 4], kDigits[v & 15]};
}

}  // namespace

std::string writeGimp(std::span<const Rgb> colours, std::string_view name) {
    std::string oneLine(name);
    for (char& ch : oneLine)
        if (ch == '\n' || ch == '\r') ch = ' ';
    std::string out = "GIMP Palette\nName: " + oneLine + "\nColumns: 16\n#\n";
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const Rgb& c = colours[i];
        out += padded(c.r) + " " + padded(c.g) + " " + padded(c.b) + "\tIndex " +
               std::to_string(i) + "\n";
    }
    return out;
}

std::string writeJasc(std::span<const Rgb> colours) {
    std::string out = "JASC-PAL\r\n0100\r\n" + std::to_string(colours.size()) + "\r\n";
    for (const Rgb& c : colours)
        out += std::to_string(c.r) + " " + std::to_string(c.g) + " " + std::to_string(c.b) + "\r\n";
    return out;
}

std::string writeHexList(std::span<const Rgb> colours) {
    std::string out;
    for (const Rgb& c : colours) out += hexByte(c.r) + hexByte(c.g) + hexByte(c.b) + "\n";
    return out;
}

}  // namespace kararisu::foreign
