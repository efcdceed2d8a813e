#pragma once
#include <cstdint>
#include <optional>
#include <span>

namespace korvel {

// Where a job's memories lie in a simulated chip, read from the 64-byte
// configuration block a request carries. Memories are addressed like the
// host's main buffer: an STM32 address keeps its low 20 bits (flash from 0,
// data EEPROM from 0x80000), an STM8 address is its own offset.
struct SimChipLayout {
  uint8_t ChipCode = 0;
  uint8_t ChipSubCode = 0;
  uint8_t AutoDetect = 0;  // 0x0F: automatic chip detection on
  bool Stm32 = false;
  uint32_t FlashBase = 0;
  uint16_t FlashSizeKB = 0;
  uint32_t MainOffset = 0;
  uint32_t MainSize = 0;
  uint16_t SecondSize = 0;
  uint32_t SecondOffset = 0;  // data EEPROM only
  bool SecondIsOtp = false;
  uint8_t PowerFlags = 0;
  uint8_t OptionFlags = 0;

  bool InMain(uint64_t offset) const { return offset >= MainOffset && offset < uint64_t{MainOffset} + MainSize; }
  // Codes 0x20 and 0x28 download their data memory as 0x55 blocks numbered
  // on from the main blocks.
  bool DataMemoryAfterMain() const { return ChipCode == 0x20 || ChipCode == 0x28; }
  bool SkipOptionBytes() const { return (OptionFlags & 0x40) != 0; }
  // The steps of a chip the unit programs alone: one skip bit each.
  bool Skips(uint8_t bit) const { return (OptionFlags & bit) != 0; }
  // It only checks the read-out protection of each chip.
  bool RopOnly() const { return (PowerFlags & 0x80) != 0; }
};

inline constexpr size_t kSimConfigSize = 64;
inline constexpr uint8_t kAutoDetectOn = 0x0F;

// nullopt when the block is shorter than 64 bytes, lacks its 0x0B marker,
// or names a flash that does not fit the 2 MB image.
std::optional<SimChipLayout> ReadChipLayout(std::span<const uint8_t> config);

}  // namespace korvel
