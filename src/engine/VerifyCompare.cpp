#include "engine/VerifyCompare.h"

#include <algorithm>
#include <cstdio>

namespace korvel {

RowDifferences FirstDifferingRow(std::span<const uint8_t> expected, std::span<const uint8_t> read) {
  RowDifferences r;
  const size_t n = expected.size();
  for (size_t row = 0; row < n && !r.Differs; row += 16) {
    const size_t end = std::min(row + 16, n);
    for (size_t i = row; i < end; ++i) {
      if (i >= read.size()) {
        r.Differs = true;
        break;
      }
      if (expected[i] != read[i]) {
        r.Differs = true;
        r.Bytes.push_back({static_cast<uint32_t>(i), expected[i], read[i]});
      }
    }
  }
  return r;
}

std::string VerifyMismatchText(int channel, VerifyArea area, uint32_t address, uint8_t expected,
                               uint8_t read) {
  const char* format = "Chip %d: Buffer Address 0x%.8x = 0x%.2x, Chip = 0x%.2x";
  if (area == VerifyArea::DataEeprom)
    format = "Chip %d:Buffer Address 0x%.8x = 0x%.2x, Chip = 0x%.2x";
  else if (area == VerifyArea::OtpArea)
    format = "Chip %d: OTP Buffer Address 0x%.8x = 0x%.2x, Chip = 0x%.2x";
  char buf[96];
  std::snprintf(buf, sizeof buf, format, channel + 1, address, expected, read);
  return buf;
}

}  // namespace korvel
