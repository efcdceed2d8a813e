#include "engine/PacketCheck.h"

namespace korvel {

// Kept here until the frame codec's CalcFrameCrc is on this branch; the two
// must agree byte for byte (see the "abc" and restart vectors in the tests).
uint16_t PacketCheckWord(std::span<const uint8_t> bytes) {
  uint16_t c = 0;
  for (uint8_t b : bytes) {
    const bool low = c & 1;
    c = static_cast<uint16_t>((c >> 1) ^ b);
    if (low) c ^= 0x4A12;
  }
  return c;
}

}  // namespace korvel
