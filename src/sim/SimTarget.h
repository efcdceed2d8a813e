#pragma once
#include <array>
#include <cstdint>
#include <vector>

namespace korvel {

// The chip in a simulated unit's socket. The unit's commands act on it;
// it holds what a real chip would keep between them.
struct SimTarget {
  std::vector<uint8_t> Flash = std::vector<uint8_t>(2 * 1024 * 1024, 0xFF);
  std::array<uint8_t, 128> OptionBytes{};
  std::array<uint8_t, 12> UniqueId = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06,
                                      0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C};
  bool ReadProtected = false;
  bool Present = true;
};

}  // namespace korvel
