#pragma once
#include <array>
#include <cstdint>
#include <span>

#include "app/JobSettings.h"
#include "target/ChipInfo.h"

namespace korvel {

// What the reply handlers read and write of the job: the confirmed chip, the
// settings of the last capture and the buffers. All channels share it; it
// must not change while any channel is busy.
struct JobView {
  const ChipInfo* Chip = nullptr;
  const JobSettings* Settings = nullptr;
  bool Stm32 = false;
  std::span<uint8_t> Image;      // main buffer, byte A & 0xFFFFFF holds address A
  std::span<uint8_t> DataImage;  // OTP image, index 0 = EepBase
  std::array<uint8_t, 128>* Options = nullptr;

  // Image offset of a target address: STM32 addresses masked to 20 bits.
  uint32_t ImageOffset(uint32_t address) const {
    return Stm32 ? (address & 0xFFFFF) : address;
  }
  // Offset of the main flash's first block.
  uint32_t MainStart() const { return Stm32 ? 0 : Chip->FlashBase; }
  uint16_t SecondSize() const { return Chip->EepSize; }
  bool SecondIsOtp() const { return Chip->HasOtp; }
  // Image offset of the data EEPROM (STM32 addresses lose 0x08000000).
  uint32_t SecondStart() const {
    return Stm32 ? Chip->EepBase - 0x08000000u : Chip->EepBase;
  }
  bool SecondToWrite() const { return Chip->EepSize != 0 && Settings->EepEnabled; }
  bool SkipOptionBytes() const { return (Settings->OptionFlags & kOptionSkipOptionBytes) != 0; }
};

}  // namespace korvel
