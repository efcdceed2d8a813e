#pragma once
#include <string>
#include <vector>

#include "app/InfoLog.h"
#include "optionbytes/OptionBuffer.h"
#include "target/ChipInfo.h"

namespace korvel {

// The printed form of the buffer: "> Option Byte: " with the bytes that
// matter to the family and, for most families, "> Option Buffer: " with the
// raw start of the buffer. Each form gives nothing for the other kind of
// chip.
std::vector<std::string> Stm32OptionLines(const OptionBuffer& buffer, const ChipInfo& chip,
                                          bool stm32);
std::vector<std::string> Stm8OptionLines(const OptionBuffer& buffer, const ChipInfo& chip,
                                         bool stm32);

// Appends the form of the chip's kind to the information log (no time).
void ShowOptionLines(InfoLog& log, const OptionBuffer& buffer, const ChipInfo& chip, bool stm32);

// ShowOptionByte1: as ShowOptionLines, but nothing for the BlueTooth chips.
void ShowOptionByteCommand(InfoLog& log, const OptionBuffer& buffer, const ChipInfo& chip,
                           bool stm32);

}  // namespace korvel
