#pragma once
#include <cstdint>
#include <vector>

#include "engine/JobView.h"

namespace korvel::test {

// Hand-made chip descriptors for a few parts; the vectors below were
// computed from these fields.
inline ChipInfo Stm32F103xB() {
  ChipInfo c;
  c.ChipName = "STM32F103xB";
  c.FamilyCode = 0x00;
  c.ChipSubCode = 23;
  c.FlashSizeKB = 128;
  c.FlashBlocks = 128;
  c.FlashBase = 0x08000000;
  c.FlashEnd = 0x0801FFFF;
  return c;
}

inline ChipInfo Stm8S105K4() {
  ChipInfo c;
  c.ChipName = "STM8S105K4";
  c.FamilyCode = 0xD6;
  c.ChipSubCode = 0x05;
  c.FlashSizeKB = 16;
  c.FlashBlocks = 16;
  c.FlashBase = 0x8000;
  c.FlashEnd = 0xBFFF;
  c.EepSize = 1024;
  c.EepBase = 0x4000;
  c.EepEnd = 0x43FF;
  c.OptionByteAddr = 0x4800;
  return c;
}

inline ChipInfo Stm32G071xB() {
  ChipInfo c;
  c.ChipName = "STM32G071xB";
  c.FamilyCode = 0x71;
  c.ChipSubCode = 9;
  c.FlashSizeKB = 128;
  c.FlashBlocks = 128;
  c.FlashBase = 0x08000000;
  c.EepSize = 1024;
  c.EepBase = 0x1FFF7000;
  c.HasOtp = true;
  c.SectorMapCode = 1;
  c.FlashVariantCode = 2;
  c.VariantFlag = true;
  return c;
}

inline ChipInfo Stm32L152xB() {
  ChipInfo c;
  c.ChipName = "STM32L152xB";
  c.FamilyCode = 0x20;
  c.ChipSubCode = 4;
  c.FlashSizeKB = 128;
  c.FlashBlocks = 128;
  c.FlashBase = 0x08000000;
  c.EepSize = 4096;
  c.EepBase = 0x08080000;
  return c;
}

// Owns the buffers a JobView points into.
struct JobBuffers {
  std::vector<uint8_t> Main = std::vector<uint8_t>(2 * 1024 * 1024, 0xFF);
  std::vector<uint8_t> Second = std::vector<uint8_t>(4096, 0xFF);
  std::vector<uint8_t> Options = std::vector<uint8_t>(128, 0);
  std::vector<uint8_t> Defaults = std::vector<uint8_t>(128, 0);

  JobView View(const ChipInfo& chip, bool stm32) const {
    JobView v;
    v.Chip = chip;
    v.Stm32 = stm32;
    v.ChipName = chip.ChipName;
    v.MainImage = Main;
    v.SecondImage = Second;
    v.OptionBuffer = Options;
    v.DefaultTable = Defaults;
    return v;
  }
};

}  // namespace korvel::test
