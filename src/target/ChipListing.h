#pragma once
#include <string>
#include <vector>

#include "target/ChipInfo.h"

namespace korvel {

// One line per listed chip as confirmed from a fresh job, in display order
// (STM8 series first), tab-separated, for scripts that check the rules.
std::string ChipListingHeader();
std::vector<std::string> ChipListingLines();

// A descriptor confirmed from all-zero fields, with the BlueTooth layout
// where the window applies it. Bounds-checked: series and index must exist.
ChipInfo FreshConfirmation(bool stm32, int series, int index);

// "none", "eeprom" or "otp".
const char* EepKind(const ChipInfo& chip);

}  // namespace korvel
