#include "engine/JsonLine.h"

#include <cstdio>

namespace korvel {

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";

// The length of the valid UTF-8 sequence at text[i], 0 when there is none
// (overlong forms, surrogates and code points past U+10FFFF are not valid).
size_t Utf8Length(std::string_view text, size_t i) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
  const unsigned char c = b(0);
  size_t n = 0;
  uint32_t min = 0, cp = 0;
  if (c >= 0xC2 && c <= 0xDF) n = 2, min = 0x80, cp = c & 0x1F;
  else if (c >= 0xE0 && c <= 0xEF) n = 3, min = 0x800, cp = c & 0x0F;
  else if (c >= 0xF0 && c <= 0xF4) n = 4, min = 0x10000, cp = c & 0x07;
  else return 0;
  if (i + n > text.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((b(k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(k) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  out.reserve(text.size() + 2);
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      ++i;
    } else if (c < 0x20) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", c);
      out += esc;
      ++i;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
    } else if (const size_t n = Utf8Length(text, i)) {
      out.append(text.substr(i, n));
      i += n;
    } else {
      out += kReplacement;
      ++i;
    }
  }
  out += '"';
  return out;
}

void JsonLine::Name(std::string_view name) {
  if (body_.size() > 1) body_ += ',';
  body_ += JsonString(name);
  body_ += ':';
}

JsonLine& JsonLine::Add(std::string_view name, std::string_view text) {
  Name(name);
  body_ += JsonString(text);
  return *this;
}

JsonLine& JsonLine::Add(std::string_view name, int64_t number) {
  Name(name);
  body_ += std::to_string(number);
  return *this;
}

JsonLine& JsonLine::Add(std::string_view name, bool value) {
  Name(name);
  body_ += value ? "true" : "false";
  return *this;
}

JsonLine& JsonLine::Add(std::string_view name, std::optional<int64_t> number) {
  if (number) return Add(name, *number);
  Name(name);
  body_ += "null";
  return *this;
}

JsonLine& JsonLine::AddRaw(std::string_view name, std::string_view json) {
  Name(name);
  body_ += json;
  return *this;
}

}  // namespace korvel
