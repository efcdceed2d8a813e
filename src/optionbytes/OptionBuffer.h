#pragma once
#include <array>
#include <cstdint>

namespace korvel {

inline constexpr std::size_t kOptionBufferSize = 128;

// The job's option-byte image, laid out by the chip's family code and shared
// by all channels.
using OptionBuffer = std::array<uint8_t, kOptionBufferSize>;

}  // namespace korvel
