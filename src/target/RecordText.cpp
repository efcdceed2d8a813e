#include "target/RecordText.h"

#include <cstdio>
#include <cstring>

#include "target/HexDigits.h"

namespace korvel::recordtext {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }
}  // namespace

bool LineCursor::Next(std::string_view& line) {
  if (p_ >= end_) return false;
  const char* nl = static_cast<const char*>(std::memchr(p_, '\n', end_ - p_));
  const char* stop = nl ? nl : end_;
  const char* b = p_;
  const char* e = stop;
  while (b < e && IsBlank(*b)) ++b;
  while (e > b && IsBlank(e[-1])) --e;
  line = std::string_view(b, e - b);
  p_ = nl ? nl + 1 : end_;
  ++line_;
  return true;
}

namespace {

inline unsigned IsNotHex(unsigned char c) {
  return !((unsigned(c - '0') < 10) | (unsigned((c | 0x20) - 'a') < 6));
}

// Valid only for hex digits: '0'..'9' have 0 in bit 6, letters 1 and a
// low nibble one less than their value's.
inline unsigned Nibble(unsigned char c) { return (c & 0xF) + 9 * (c >> 6); }

}  // namespace

// Branch-free arithmetic, so the compiler can run the loop over many
// characters at once; validity is checked for all of them together.
bool DecodeBytes(std::string_view digits, uint8_t* out) {
  const size_t n = digits.size() / 2;
  const auto* s = reinterpret_cast<const unsigned char*>(digits.data());
  unsigned bad = 0;
  for (size_t i = 0; i < n; ++i) {
    const unsigned char h = s[2 * i], l = s[2 * i + 1];
    bad |= IsNotHex(h) | IsNotHex(l);
    out[i] = static_cast<uint8_t>((Nibble(h) << 4) | Nibble(l));
  }
  return bad == 0;
}

bool AllHexDigits(std::string_view digits) {
  for (unsigned char c : digits)
    if (hexdigits::kValue[c] == hexdigits::kBad) return false;
  return true;
}

void RegionStore::Store(uint64_t address, const uint8_t* data, size_t size, int line) {
  if (size == 0) return;
  const uint64_t last = address + size - 1;
  if (last > 0xFFFFFFFFull) {
    result_.AddIssue(line, "address beyond 32 bits");
    return;
  }
  if (!result_.HasData || address < result_.Low) result_.Low = static_cast<uint32_t>(address);
  if (!result_.HasData || last > result_.High) result_.High = static_cast<uint32_t>(last);
  result_.HasData = true;
  if (sink_) {
    (*sink_)(static_cast<uint32_t>(address), data, size);
    return;
  }

  size_t stored = 0;
  for (const auto& r : regions_) {
    // The part of [address, last] that falls into this region.
    const uint64_t rb = r.Base, re = rb + r.Bytes.size();  // re exclusive
    const uint64_t b = std::max<uint64_t>(address, rb), e = std::min<uint64_t>(last + 1, re);
    if (b >= e) continue;
    std::memcpy(r.Bytes.data() + (b - rb), data + (b - address), e - b);
    stored += e - b;
  }
  if (stored < size) {
    char what[64];
    std::snprintf(what, sizeof what, "address 0x%08llx outside the buffer",
                  static_cast<unsigned long long>(address));
    result_.AddIssue(line, what);
  }
}

}  // namespace korvel::recordtext
