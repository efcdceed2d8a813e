#pragma once
#include <array>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/OperatorPrompts.h"
#include "target/ChipInfo.h"
#include "target/ImageJob.h"
#include "target/MemoryBuffers.h"

// A job around two telling chips, with recorded prompts and a fixed clock.
namespace korvel::testjob {

inline ChipInfo Stm8S105K4() {
  ChipInfo c;
  c.ChipName = "STM8S105K4";
  c.FamilyCode = 0xD6;
  c.FlashSizeKB = 16;
  c.FlashBase = 0x8000;
  c.FlashEnd = 0xBFFF;
  c.EepSize = 1024;
  c.EepBase = 0x4000;
  c.EepEnd = 0x43FF;
  c.OptionByteAddr = 0x4800;
  return c;
}

inline ChipInfo Stm32F103xB() {
  ChipInfo c;
  c.ChipName = "STM32F103xB";
  c.FamilyCode = 0x00;
  c.ChipSubCode = 23;
  c.FlashSizeKB = 128;
  c.FlashBase = 0x08000000;
  c.FlashEnd = 0x0801FFFF;
  c.OptionByteAddr = 0x1FFFF800;
  return c;
}

inline ChipInfo Stm32F407xG() {
  ChipInfo c = Stm32F103xB();
  c.ChipName = "STM32F407xG";
  c.FamilyCode = 0x60;
  c.FlashSizeKB = 1024;
  c.FlashEnd = 0x080FFFFF;
  c.HasOtp = true;
  c.EepSize = 528;
  c.EepBase = 0x1FFF7800;
  c.EepEnd = 0x1FFF7A0F;
  c.OptionByteAddr = 0x1FFFC000;
  return c;
}

struct TestJob {
  explicit TestJob(ChipInfo chip, bool stm32)
      : Clock(MakeTime(2026, 12, 5, 7, 14, 11)), App(Clock), Chip(std::move(chip)) {
    App.Flags.ChipSelected = true;
    App.Flags.Stm32Family = stm32;
    Option.fill(0xEE);
  }
  ImageJob Job() {
    ImageJob j{App, Chip, Buffers, Option, Prompts, nullptr, {}};
    j.AskBinOffset = [this](const std::string& initial) {
      OffsetShown.push_back(initial);
      return OffsetAnswer;
    };
    return j;
  }
  // The log texts without "> time ".
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& l : App.Log.Lines()) t.push_back(l.substr(std::string("> 07:14:11 ").size()));
    return t;
  }

  FixedClock Clock;
  AppState App;
  ChipInfo Chip;
  MemoryBuffers Buffers;
  std::array<uint8_t, 128> Option{};
  RecordingPrompts Prompts;
  std::optional<std::string> OffsetAnswer;
  std::vector<std::string> OffsetShown;
};

}  // namespace korvel::testjob
