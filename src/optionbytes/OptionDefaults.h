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

// The family default tables that also travel, whole, in the job header and
// in every chip command.
enum class DefaultTableKind { L4, G0x0, G0x1, G4Small, G4Large };
OptionBuffer DefaultTableImage(DefaultTableKind kind);

}  // namespace korvel
