#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "target/ChipSeries.h"

namespace korvel {

// A chip name as a script types it. The exact spelling wins; otherwise a
// name that differs only in letter case is taken when exactly one listed
// chip fits, so "stm32f103xb" finds STM32F103xB but a name that fits two
// spellings is refused rather than guessed.
struct ChipNameMatch {
  std::string Name;   // the listed spelling; empty when none is taken
  std::string Error;  // why none is taken
};
ChipNameMatch MatchChipName(std::string_view typed, const std::vector<std::string>& listed);

// The same over the chip lists; At tells where the chip stands.
struct ChipByName {
  ChipLocation At;
  std::string Name;
  std::string Error;
};
ChipByName FindChipByName(std::string_view typed);

}  // namespace korvel
