#include "app/IntegerText.h"

#include <cctype>

namespace korvel {

std::optional<int64_t> ParseInteger(const std::string& text) {
  size_t b = 0, e = text.size();
  while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
  if (b == e) return std::nullopt;
  bool negative = false;
  if (text[b] == '-' || text[b] == '+') {
    negative = text[b] == '-';
    ++b;
  }
  int base = 10;
  if (b < e && text[b] == '$') {
    base = 16;
    ++b;
  } else if (e - b > 2 && text[b] == '0' && (text[b + 1] == 'x' || text[b + 1] == 'X')) {
    base = 16;
    b += 2;
  }
  if (b == e) return std::nullopt;
  int64_t value = 0;
  for (size_t i = b; i < e; ++i) {
    int c = std::tolower(static_cast<unsigned char>(text[i]));
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else return std::nullopt;
    value = value * base + d;
    if (value > 0xFFFFFFFFLL) return std::nullopt;
  }
  // Hexadecimal text names a 32-bit pattern; decimal text a signed number.
  if (base == 10 && value > 0x7FFFFFFFLL + (negative ? 1 : 0)) return std::nullopt;
  return negative ? -value : value;
}

std::optional<uint32_t> ParseUnsigned32(const std::string& text) {
  if (auto v = ParseInteger(text)) return static_cast<uint32_t>(*v);
  size_t b = 0, e = text.size();
  while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
  if (b == e || e - b > 10) return std::nullopt;
  uint64_t value = 0;
  for (size_t i = b; i < e; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + uint64_t(text[i] - '0');
  }
  if (value > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<uint32_t>(value);
}

std::string NotAnIntegerMessage(const std::string& text) {
  return "'" + text + "' is not a valid integer value";
}

}  // namespace korvel
