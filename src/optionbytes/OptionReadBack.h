#pragma once
#include <cstdint>
#include <span>

#include "optionbytes/OptionBuffer.h"
#include "target/ChipInfo.h"

namespace korvel {

// How many bytes an option-byte read must carry for the chip.
std::size_t ReadBackLength(const ChipInfo& chip, bool stm32);

// Replaces the buffer with the bytes a chip sent back (the reply data after
// its header). Bytes past the replaced range keep their contents and no
// complement rule runs. A reply shorter than ReadBackLength replaces
// nothing and returns false: half an image would print as the chip's.
bool ReplaceWithReadBack(OptionBuffer& buffer, const ChipInfo& chip, bool stm32,
                         std::span<const uint8_t> reply);

}  // namespace korvel
