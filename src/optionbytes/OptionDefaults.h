#pragma once
#include "optionbytes/OptionBuffer.h"
#include "optionbytes/OptionFamily.h"
#include "target/ChipInfo.h"

namespace korvel {

// Fills the buffer with the family's default (runs on every chip change).
void ResetOptionBuffer(OptionBuffer& buffer, const ChipInfo& chip, bool stm32);

// Writes the complement bytes of the family's rule (after every file load).
void FillComplements(OptionBuffer& buffer, const ChipInfo& chip, bool stm32);
void FillComplements(OptionBuffer& buffer, ComplementRule rule);

}  // namespace korvel
