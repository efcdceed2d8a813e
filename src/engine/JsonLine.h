#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvel {

// Text as a JSON string: quotes, backslashes and control characters
// escaped (\u00XX), valid UTF-8 as it is. Bytes that are not UTF-8 (a file
// name may be anything) become U+FFFD, so that the line stays valid JSON.
std::string JsonString(std::string_view text);

// One JSON object on one line, members in the order they are added.
class JsonLine {
 public:
  JsonLine& Add(std::string_view name, std::string_view text);
  JsonLine& Add(std::string_view name, const char* text) { return Add(name, std::string_view(text)); }
  JsonLine& Add(std::string_view name, int64_t number);
  JsonLine& Add(std::string_view name, int number) { return Add(name, static_cast<int64_t>(number)); }
  JsonLine& Add(std::string_view name, uint32_t number) { return Add(name, static_cast<int64_t>(number)); }
  JsonLine& Add(std::string_view name, bool value);
  // null when empty.
  JsonLine& Add(std::string_view name, std::optional<int64_t> number);
  // Already JSON (an array or an object built elsewhere).
  JsonLine& AddRaw(std::string_view name, std::string_view json);

  // The object, without a line end.
  std::string Text() const { return body_ + "}"; }

 private:
  void Name(std::string_view name);
  std::string body_ = "{";
};

}  // namespace korvel
