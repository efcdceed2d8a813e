#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "target/ImageJob.h"

namespace korvel {

// Both recompute the check values, write their lines to the information log
// as host lines and return the texts in the order written.

// EepSum/EepCrc over the data memory: the OTP buffer, or the EEPROM inside
// the main buffer.
std::vector<std::string> UpdateDataChecksums(ImageJob& job);

// The whole report after a load or a read-back: FlashSum/FlashCrc over the
// chip range, the address lines, the file range sums and the status panels.
std::vector<std::string> ReportChecksums(ImageJob& job);

// An inclusive main-buffer range, clipped to the buffer; empty when Count 0.
struct BufferRange {
  uint32_t First = 0;
  uint32_t Count = 0;
  uint32_t Last() const { return First + Count - 1; }
};
BufferRange ClipRange(uint64_t first, uint64_t last, size_t bufferSize);
// The check values over such a range; an empty range sums to 0 and its CRC
// is the CRC's initial value.
uint16_t RangeSum(std::span<const uint8_t> buffer, BufferRange r);
uint16_t RangeCrc(std::span<const uint8_t> buffer, BufferRange r);
uint32_t RangeSum32(std::span<const uint8_t> buffer, BufferRange r);
// The first size bytes of a buffer (empty for size 0).
BufferRange LeadingBytes(uint32_t size, size_t bufferSize);

}  // namespace korvel
