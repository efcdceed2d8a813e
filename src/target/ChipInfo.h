#pragma once
#include <cstdint>
#include <string>

namespace korvel {

// The descriptor of the confirmed chip. Everything past the series' family
// code is derived from the chip's name by the family rules.
struct ChipInfo {
  std::string ChipName;
  uint8_t FamilyCode = 0;
  uint8_t ChipSubCode = 0;
  uint16_t FlashSizeKB = 0;
  uint32_t FlashBase = 0;
  uint32_t FlashEnd = 0;
  uint16_t BlockSize = 1024;
  uint16_t FlashBlocks = 128;
  uint16_t EepSize = 0;
  uint32_t EepBase = 0;
  uint32_t EepEnd = 0;
  uint32_t OptionByteAddr = 0;
  bool HasOtp = false;
  uint8_t SectorMapCode = 0;
  uint8_t FlashVariantCode = 0;
  bool VariantFlag = false;
  bool DualBank = false;
  bool Needs18V = false;
  bool BlueNrgMode = false;
};

}  // namespace korvel
