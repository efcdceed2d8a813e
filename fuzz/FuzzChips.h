#pragma once
// A few listed chips, one per option-byte family the editors and files
// treat differently; the fuzz input picks one.
#include <array>

#include "optionbytes/OptionDefaults.h"
#include "target/ChipSelect.h"
#include "target/ChipSeries.h"

namespace korvel::fuzz {

struct PickedChip {
  ChipInfo Info;
  bool Stm32 = false;
};

inline PickedChip PickChip(uint8_t which) {
  static constexpr std::array<const char*, 10> kNames = {
      "STM32F103xB", "STM32F407xG", "STM32G071xB", "STM32G474xE", "STM32L476xG",
      "STM32L152xB", "STM8S105K4",  "STM8L152C6",  "STM32F030x6", "STM32F429xI"};
  PickedChip c;
  const char* name = kNames[which % kNames.size()];
  const ChipLocation at = FindChip(name);
  if (!at.Found()) std::abort();  // the list above must name listed chips
  c.Stm32 = at.Stm32;
  ConfirmChip(c.Info, at.Stm32, at.Series, at.Index, name);
  return c;
}

}  // namespace korvel::fuzz
