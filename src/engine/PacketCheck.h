#pragma once
#include <cstdint>
#include <span>

namespace korvel {

// The check word of a packet or job header range: bytes in order, one
// right shift per byte, 0x4A12 folded in when the bit shifted out was set.
uint16_t PacketCheckWord(std::span<const uint8_t> bytes);

}  // namespace korvel
