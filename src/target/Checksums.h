#pragma once
#include <cstdint>
#include <span>

namespace korvel {

// Both check values run over the inclusive index range first..last. A range
// that is empty (last < first) or lies past the end of the buffer counts only
// the bytes that exist, so a wrong chip range can never read out of bounds.

// Byte sum modulo 0x10000. Displays show 0x10000 minus it (see SumValue).
uint16_t GetBinaryCheckSum(std::span<const uint8_t> buffer, uint32_t first, uint32_t last);

// The 16-bit check value shown as "CRC Sum" and stored in project files:
// CRC-16/CCITT-FALSE (polynomial 0x1021, initial value 0xFFFF, no reflection,
// no final xor; "123456789" gives 0x29B1). Every place that stores or compares
// the value uses this one function.
uint16_t GetBrevanCheckSum(std::span<const uint8_t> buffer, uint32_t first, uint32_t last);

// The "Sum" form of the check sum: 0x10000 minus the byte sum, in 16 bits,
// so a zero sum gives 0x0000.
uint16_t SumValue(std::span<const uint8_t> buffer, uint32_t first, uint32_t last);

// Plain 32-bit byte sum of the range.
uint32_t ByteSum32(std::span<const uint8_t> buffer, uint32_t first, uint32_t last);

// The continuation form of the CRC, for data that arrives in pieces.
uint16_t Crc16CcittFalse(const uint8_t* data, size_t size, uint16_t crc = 0xFFFF);

}  // namespace korvel
