#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korvel {

struct ByteDifference {
  uint32_t Index = 0;  // within the compared range
  uint8_t Expected = 0;
  uint8_t Read = 0;
};

// The differing bytes of the first 16-byte row that holds a difference;
// empty when the ranges agree. A reply shorter than the expected range
// counts as a difference in the row where it ends (with no byte to show
// for the missing part).
struct RowDifferences {
  bool Differs = false;
  std::vector<ByteDifference> Bytes;
};
RowDifferences FirstDifferingRow(std::span<const uint8_t> expected, std::span<const uint8_t> read);

// Which memory a mismatch dialog names.
enum class VerifyArea { MainFlash, DataEeprom, OtpArea };

// The text of the mismatch dialog; it names the chip of the channel (index
// 0..9) that found the difference, "Chip 1" .. "Chip 10".
std::string VerifyMismatchText(int channel, VerifyArea area, uint32_t address, uint8_t expected,
                               uint8_t read);

// The verify mismatch status.
inline constexpr uint8_t kStatusVerifyMismatch = 0x31;

}  // namespace korvel
