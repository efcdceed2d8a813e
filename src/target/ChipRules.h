#pragma once
#include <cstdint>
#include <span>
#include <string_view>

#include "target/ChipInfo.h"

namespace korvel {

// The name rules that turn a chip name and its series' family code into
// the chip descriptor. Character positions in the comments count from 1.

// Main-flash size in KB of an STM8 name (0 for names of no known kind).
uint16_t Stm8FlashSize(std::string_view name);
// Data EEPROM size in bytes of an STM8 name; sets eepBase as well.
uint16_t Stm8EepSize(std::string_view name, uint16_t flashKB, uint32_t& eepBase);
// Main-flash size in KB of an STM32 or BlueTooth name.
uint16_t Stm32FlashSize(std::string_view name);
// Data EEPROM sizes of the L0 and L1 lines; both set the option-byte address.
uint16_t L0EepSize(std::string_view name, uint32_t& optionByteAddr);
uint16_t L1EepSize(std::string_view name, uint32_t& optionByteAddr);

// Confirmation of a chip: fills every field from the name, the series'
// family code and the chip's index in the series list.
void ApplyStm8Chip(ChipInfo& chip, std::string_view name, uint8_t seriesCode);
void ApplyStm32Chip(ChipInfo& chip, std::string_view name, uint8_t seriesCode, uint8_t index);

// The address layout of the "ST BlueTooth" chips. Clears the option-byte
// image to 0xFF as these chips keep their protection word in flash.
void ApplyBlueNrgLayout(ChipInfo& chip, std::span<uint8_t> optionBuffer);

// ModeFlags bits 2..3 that follow the final family code.
uint8_t ChipModeBits(const ChipInfo& chip, bool stm32);

}  // namespace korvel
