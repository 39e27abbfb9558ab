#pragma once
// The batch tool's --json output: one JSON object a line, with the fields of
// the text output. Strings are UTF-8; a byte that is not (a file name from
// another encoding) becomes U+FFFD.

#include <cstdint>
#include <string>
#include <string_view>

namespace kararisu::cli {

// `text` as a JSON string, quotes included.
std::string jsonString(std::string_view text);

class JsonObject {
  public:
    JsonObject& add(std::string_view key, std::string_view text);
    JsonObject& add(std::string_view key, const char* text) { return add(key, std::string_view(text)); }
    JsonObject& addNumber(std::string_view key, std::int64_t number);
    // A value written as JSON already (an array, an object).
    JsonObject& addJson(std::string_view key, std::string_view json);
    // The object, "{...}".
    std::string str() const { return body_.empty() ? "{}" : body_ + "}"; }

  private:
    void key(std::string_view k);
    std::string body_;
};

}  // namespace kararisu::cli
