#pragma once
#include <array>
#include <cstdint>

namespace korvel::hexdigits {

inline constexpr uint8_t kBad = 0xFF;

constexpr std::array<uint8_t, 256> MakeValues() {
  std::array<uint8_t, 256> v{};
  for (auto& x : v) x = kBad;
  for (int c = '0'; c <= '9'; ++c) v[c] = static_cast<uint8_t>(c - '0');
  for (int c = 'a'; c <= 'f'; ++c) v[c] = static_cast<uint8_t>(c - 'a' + 10);
  for (int c = 'A'; c <= 'F'; ++c) v[c] = static_cast<uint8_t>(c - 'A' + 10);
  return v;
}

// Nibble value of a character, kBad for anything that is not a hex digit.
inline constexpr std::array<uint8_t, 256> kValue = MakeValues();

inline constexpr char kUpper[] = "0123456789ABCDEF";

// Appends the two upper-case digits of b.
inline char* PutByte(char* out, uint8_t b) {
  out[0] = kUpper[b >> 4];
  out[1] = kUpper[b & 15];
  return out + 2;
}

}  // namespace korvel::hexdigits
