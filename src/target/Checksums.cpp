#include "target/Checksums.h"

#include <array>

namespace korvel {

namespace {

std::span<const uint8_t> Clamp(std::span<const uint8_t> buffer, uint32_t first, uint32_t last) {
  if (last < first || first >= buffer.size()) return {};
  size_t end = std::min<size_t>(size_t{last} + 1, buffer.size());
  return buffer.subspan(first, end - first);
}

constexpr std::array<uint16_t, 256> MakeCrcTable() {
  std::array<uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    uint16_t c = static_cast<uint16_t>(i << 8);
    for (int b = 0; b < 8; ++b) c = static_cast<uint16_t>((c & 0x8000) ? (c << 1) ^ 0x1021 : c << 1);
    table[i] = c;
  }
  return table;
}

constexpr std::array<uint16_t, 256> kCrcTable = MakeCrcTable();

uint32_t Sum(std::span<const uint8_t> bytes) {
  // Four independent accumulators let the compiler keep the loop busy.
  uint32_t s0 = 0, s1 = 0, s2 = 0, s3 = 0;
  size_t i = 0, n = bytes.size();
  for (; i + 4 <= n; i += 4) {
    s0 += bytes[i];
    s1 += bytes[i + 1];
    s2 += bytes[i + 2];
    s3 += bytes[i + 3];
  }
  for (; i < n; ++i) s0 += bytes[i];
  return s0 + s1 + s2 + s3;
}

}  // namespace

uint16_t Crc16CcittFalse(const uint8_t* data, size_t size, uint16_t crc) {
  for (size_t i = 0; i < size; ++i)
    crc = static_cast<uint16_t>((crc << 8) ^ kCrcTable[((crc >> 8) ^ data[i]) & 0xFF]);
  return crc;
}

uint16_t GetBinaryCheckSum(std::span<const uint8_t> buffer, uint32_t first, uint32_t last) {
  return static_cast<uint16_t>(Sum(Clamp(buffer, first, last)));
}

uint16_t GetBrevanCheckSum(std::span<const uint8_t> buffer, uint32_t first, uint32_t last) {
  auto bytes = Clamp(buffer, first, last);
  return Crc16CcittFalse(bytes.data(), bytes.size());
}

uint16_t SumValue(std::span<const uint8_t> buffer, uint32_t first, uint32_t last) {
  return static_cast<uint16_t>(0x10000u - GetBinaryCheckSum(buffer, first, last));
}

uint32_t ByteSum32(std::span<const uint8_t> buffer, uint32_t first, uint32_t last) {
  return Sum(Clamp(buffer, first, last));
}

}  // namespace korvel
