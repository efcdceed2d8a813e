#pragma once
#include <array>
#include <cstdint>

#include "engine/JobView.h"

namespace korvel {

inline constexpr size_t kJobHeaderSize = 512;
using JobHeaderBlock = std::array<uint8_t, kJobHeaderSize>;

// The random parts of one job header: the configuration block's random
// byte and parameter word, and the 64 random bytes at offset 304.
struct JobHeaderRandom {
  uint8_t ConfigByte = 0;
  uint16_t ConfigParameter = 0;
  std::array<uint8_t, 64> Filler{};
};

// The 512-byte record that describes the whole job to a unit; project files
// store the same record. Offsets 496..507 are zero.
JobHeaderBlock BuildJobHeaderBlock(const JobView& job, const JobHeaderRandom& random);

// The two mask bytes of the job header packet, from its parameter.
std::array<uint8_t, 2> JobHeaderMask(uint16_t parameter);

// XORs even bytes with mask[0] and odd ones with mask[1], counted from the
// start of data; applying it twice gives the data back.
void ScrambleJobData(uint8_t* data, size_t length, std::array<uint8_t, 2> mask);

}  // namespace korvel
