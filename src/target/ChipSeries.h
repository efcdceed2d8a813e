#pragma once
#include <cstdint>
#include <span>
#include <string_view>

namespace korvel {

// One row of the chip dialog's series list. LastIndex is the number of
// chips minus one: the dialog lists entries 0 up to and including it.
struct ChipSeries {
  const char* Name;
  uint8_t FamilyCode;
  uint8_t LastIndex;
  const char* const* Chips;

  std::span<const char* const> ChipNames() const {
    return {Chips, static_cast<std::size_t>(LastIndex) + 1};
  }
};

// The series of one family, in display order: 7 for STM8, 15 for STM32.
std::span<const ChipSeries> Stm8Series();
std::span<const ChipSeries> Stm32Series();
std::span<const ChipSeries> SeriesOf(bool stm32);

// Where a name stands in the lists; the first occurrence wins (a few names
// are listed twice).
struct ChipLocation {
  bool Stm32 = false;
  int Series = -1;
  int Index = -1;
  bool Found() const { return Series >= 0; }
};
ChipLocation FindChip(std::string_view name);

}  // namespace korvel
