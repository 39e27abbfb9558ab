#include "cli/json.h"

#include <cstdio>

#include "support/printable.h"

namespace kararisu::cli {

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    while (!text.empty()) {
        const std::size_t n = utf8CharLength(text);
        const auto b = static_cast<unsigned char>(text[0]);
        if (n == 0) {
            out += "\uFFFD";
            text.remove_prefix(1);
            continue;
        }
        if (b == '"' || b == '\\') {
            out += {'\\', char(b)};
        } else if (b < 0x20 || b == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned{b});
            out += escaped;
        } else {
            out.append(text.substr(0, n));
        }
        text.remove_prefix(n);
    }
    return out + "\"";
}

void JsonObject::key(std::string_view k) {
    body_ += body_.empty() ? "{" : ",";
    body_ += jsonString(k) + ":";
}

JsonObject& JsonObject::add(std::string_view k, std::string_view text) {
    key(k);
    body_ += jsonString(text);
    return *this;
}

JsonObject& JsonObject::addNumber(std::string_view k, std::int64_t number) {
    key(k);
    body_ += std::to_string(number);
    return *this;
}

JsonObject& JsonObject::addJson(std::string_view k, std::string_view json) {
    key(k);
    body_ += json;
    return *this;
}

}  // namespace kararisu::cli
