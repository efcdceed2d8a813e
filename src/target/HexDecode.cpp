// Hex digit decoding for the record readers, where nearly all of a large
// file's load time goes.
#include "target/HexDigits.h"
#include "target/RecordText.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace korvel::recordtext {

namespace {

// Table decode for records too short for the vector loop. Every valid
// value fits in the low nibble and kBad has the high one set, so one OR
// over all the values tells whether any character was not a hex digit.
bool DecodeScalar(const unsigned char* s, size_t n, uint8_t* out, uint8_t& sum) {
  unsigned seen = 0, total = 0;
  for (size_t i = 0; i < n; ++i) {
    const unsigned h = hexdigits::kValue[s[2 * i]], l = hexdigits::kValue[s[2 * i + 1]];
    seen |= h | l;
    const unsigned byte = ((h << 4) | (l & 0xF)) & 0xFF;
    out[i] = static_cast<uint8_t>(byte);
    total += byte;
  }
  sum = static_cast<uint8_t>(total);
  return (seen & 0xF0) == 0;
}

#if defined(__SSE2__)
// 32 characters to 16 bytes. valid has all bits set where both digits of
// a byte were hex digits.
inline __m128i Decode16(const unsigned char* s, __m128i& valid) {
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16));
  const __m128i lowNibble = _mm_set1_epi8(0x0F), nine = _mm_set1_epi8(9);
  const __m128i beforeZero = _mm_set1_epi8('0' - 1), afterNine = _mm_set1_epi8('9' + 1);
  const __m128i beforeA = _mm_set1_epi8('a' - 1), afterF = _mm_set1_epi8('f' + 1);
  const __m128i lower = _mm_set1_epi8(0x20), lowByte = _mm_set1_epi16(0x00FF);
  // Signed compares: characters from 0x80 up are negative and match neither.
  auto nibbles = [&](__m128i c, __m128i& ok) {
    const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(c, beforeZero), _mm_cmplt_epi8(c, afterNine));
    const __m128i folded = _mm_or_si128(c, lower);
    const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(folded, beforeA), _mm_cmplt_epi8(folded, afterF));
    ok = _mm_or_si128(digit, letter);
    // 'A'..'F' and 'a'..'f' have 1..6 in their low nibble.
    return _mm_add_epi8(_mm_and_si128(c, lowNibble), _mm_and_si128(letter, nine));
  };
  __m128i va, vb;
  const __m128i na = nibbles(a, va), nb = nibbles(b, vb);
  valid = _mm_and_si128(va, vb);
  // Each 16-bit lane holds the high digit's nibble in its low byte.
  auto pairs = [&](__m128i n) {
    return _mm_or_si128(_mm_slli_epi16(_mm_and_si128(n, lowByte), 4), _mm_srli_epi16(n, 8));
  };
  return _mm_packus_epi16(pairs(na), pairs(nb));
}

// Loaded at 16 - k: zero for the first k bytes, all ones for the rest.
constexpr uint8_t kSkipFirst[32] = {
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

bool DecodeVector(const unsigned char* s, size_t n, uint8_t* out, uint8_t& sum) {
  const __m128i zero = _mm_setzero_si128();
  __m128i valid = _mm_set1_epi8(-1), total = zero, ok;
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m128i v = Decode16(s + 2 * i, ok);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), v);
    valid = _mm_and_si128(valid, ok);
    total = _mm_add_epi64(total, _mm_sad_epu8(v, zero));
  }
  if (i < n) {
    // The tail as one more block ending at the last byte. It overlaps
    // bytes already decoded (and stores the same values there) but adds
    // only the new ones to the sum.
    const __m128i v = Decode16(s + 2 * (n - 16), ok);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n - 16), v);
    valid = _mm_and_si128(valid, ok);
    const __m128i fresh =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(kSkipFirst + 16 - (i - (n - 16))));
    total = _mm_add_epi64(total, _mm_sad_epu8(_mm_and_si128(v, fresh), zero));
  }
  total = _mm_add_epi64(total, _mm_unpackhi_epi64(total, total));
  sum = static_cast<uint8_t>(_mm_cvtsi128_si32(total));
  return _mm_movemask_epi8(valid) == 0xFFFF;
}
#endif

}  // namespace

bool DecodeBytes(std::string_view digits, uint8_t* out, uint8_t& sum) {
  const size_t n = digits.size() / 2;
  const auto* s = reinterpret_cast<const unsigned char*>(digits.data());
#if defined(__SSE2__)
  if (n >= 16) return DecodeVector(s, n, out, sum);
#endif
  return DecodeScalar(s, n, out, sum);
}

bool AllHexDigits(std::string_view digits) {
  for (unsigned char c : digits)
    if (hexdigits::kValue[c] == hexdigits::kBad) return false;
  return true;
}

}  // namespace korvel::recordtext
