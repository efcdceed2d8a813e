#pragma once
#include <array>
#include <cstdint>

#include "engine/JobView.h"

namespace korvel {

inline constexpr size_t kConfigBlockSize = 64;
using ConfigBlock = std::array<uint8_t, kConfigBlockSize>;

// The 64-byte block of job settings that leads every chip-operation and
// programming request and sits inside the job header. parameter is 0 for
// requests and a random word inside the job header; randomByte (0..254) is
// fresh for every request.
ConfigBlock BuildConfigBlock(const JobView& job, uint16_t parameter, uint8_t randomByte);

// Little-endian stores shared by the block builders.
inline void PutU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v) {
  PutU16(p, static_cast<uint16_t>(v));
  PutU16(p + 2, static_cast<uint16_t>(v >> 16));
}
inline uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace korvel
