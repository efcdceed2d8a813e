#pragma once
#include <cstdint>

#include "optionbytes/OptionBuffer.h"

namespace korvel {

// The option bytes' check values kept with the job and in project files.
struct OptionChecksums {
  uint16_t OptSum = 0;  // 0x10000 minus the byte sum, in 16 bits
  uint16_t OptCrc = 0;  // GetBrevanCheckSum
};

// Both values over offsets 0..127.
OptionChecksums ComputeOptionChecksums(const OptionBuffer& buffer);

}  // namespace korvel
