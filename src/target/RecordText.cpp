#include "target/RecordText.h"

#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Table decode for the few bytes the vector loop does not cover. Every
// valid value fits in the low nibble and kBad has the high one set, so one
// OR over all the values tells whether any character was not a hex digit.
bool DecodeScalar(const unsigned char* s, size_t n, uint8_t* out) {
  unsigned seen = 0;
  for (size_t i = 0; i < n; ++i) {
    const unsigned h = hexdigits::kValue[s[2 * i]], l = hexdigits::kValue[s[2 * i + 1]];
    seen |= h | l;
    out[i] = static_cast<uint8_t>((h << 4) | (l & 0xF));
  }
  return (seen & 0xF0) == 0;
}

#if defined(__SSE2__)
// 32 characters to 16 bytes; false when one of them is not a hex digit.
inline bool Decode16(const unsigned char* s, uint8_t* out) {
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16));
  const __m128i lowNibble = _mm_set1_epi8(0x0F), nine = _mm_set1_epi8(9);
  const __m128i beforeZero = _mm_set1_epi8('0' - 1), afterNine = _mm_set1_epi8('9' + 1);
  const __m128i beforeA = _mm_set1_epi8('a' - 1), afterF = _mm_set1_epi8('f' + 1);
  const __m128i lower = _mm_set1_epi8(0x20), lowByte = _mm_set1_epi16(0x00FF);
  // Signed compares: characters from 0x80 up are negative and match neither.
  auto nibbles = [&](__m128i c, __m128i& valid) {
    const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(c, beforeZero), _mm_cmplt_epi8(c, afterNine));
    const __m128i folded = _mm_or_si128(c, lower);
    const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(folded, beforeA), _mm_cmplt_epi8(folded, afterF));
    valid = _mm_or_si128(digit, letter);
    // 'A'..'F' and 'a'..'f' have 1..6 in their low nibble.
    return _mm_add_epi8(_mm_and_si128(c, lowNibble), _mm_and_si128(letter, nine));
  };
  __m128i va, vb;
  const __m128i na = nibbles(a, va), nb = nibbles(b, vb);
  // Each 16-bit lane holds the high digit's nibble in its low byte.
  auto pairs = [&](__m128i n) {
    return _mm_or_si128(_mm_slli_epi16(_mm_and_si128(n, lowByte), 4), _mm_srli_epi16(n, 8));
  };
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(pairs(na), pairs(nb)));
  return _mm_movemask_epi8(_mm_and_si128(va, vb)) == 0xFFFF;
}
#endif

}  // namespace

bool DecodeBytes(std::string_view digits, uint8_t* out) {
  const size_t n = digits.size() / 2;
  const auto* s = reinterpret_cast<const unsigned char*>(digits.data());
#if defined(__SSE2__)
  if (n >= 16) {
    bool ok = true;
    size_t i = 0;
    for (; i + 16 <= n; i += 16) ok &= Decode16(s + 2 * i, out + i);
    // The tail as one more block ending at the last byte, overlapping bytes
    // already decoded with the same values.
    if (i < n) ok &= Decode16(s + 2 * (n - 16), out + n - 16);
    return ok;
  }
#endif
  return DecodeScalar(s, n, out);
}

bool AllHexDigits(std::string_view digits) {
  for (unsigned char c : digits)
    if (hexdigits::kValue[c] == hexdigits::kBad) return false;
  return true;
}

void RegionStore::Append(uint32_t address, const uint8_t* data, size_t size) {
  std::vector<ImageChunk>& runs = *runs_;
  if (runs.empty() || uint64_t{runs.back().Address} + runs.back().Bytes.size() != address) {
    runs.push_back({address, {}});
    if (runs.size() == 1) runs.back().Bytes.reserve(firstRunReserve_);
  }
  auto& bytes = runs.back().Bytes;
  bytes.insert(bytes.end(), data, data + size);
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
  if (runs_) {
    Append(static_cast<uint32_t>(address), data, size);
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
