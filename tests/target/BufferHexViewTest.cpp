#include <gtest/gtest.h>

#include "BufferTestJob.h"
#include "target/HexViewLayout.h"

namespace korvel {
namespace {

using namespace testjob;

TEST(HexViewLayout, FlashRowsAddressesBytesAndCharacters) {
  MemoryBuffers b;
  const char text[] = "Hi!\x1f\x7f\x80";
  std::copy(text, text + 6, b.Main.begin() + 0x10);
  ChipInfo chip = Stm32F103xB();
  auto v = FlashViewLayout(chip, b);
  EXPECT_EQ(v.Rows, 0x20000u / 16);
  EXPECT_EQ(v.CellText(1, 0), "0x8000010");
  EXPECT_EQ(v.CellText(1, 1), "48");
  EXPECT_EQ(v.CellText(1, 4), "1f");
  EXPECT_EQ(v.CellText(1, 17), "Hi!.\x7f...........");
  EXPECT_EQ(HexViewLayout::HeaderText(0), "");
  EXPECT_EQ(HexViewLayout::HeaderText(1), "  0");
  EXPECT_EQ(HexViewLayout::HeaderText(16), "  f");

  // STM8 addresses are indices; six digits at least.
  auto stm8 = FlashViewLayout(Stm8S105K4(), b);
  EXPECT_EQ(stm8.Rows, 0x400u);
  EXPECT_EQ(stm8.CellText(0, 0), "0x008000");

  // A BlueNRG image starts at buffer row 0 whatever its base.
  chip.BlueNrgMode = true;
  chip.FlashBase = 0x10040000;
  chip.FlashEnd = 0x1007FFFF;
  EXPECT_EQ(FlashViewLayout(chip, b).CellText(1, 1), "48");

  // A 0 KB chip has no rows; a 2 MB chip fills the buffer exactly.
  chip = Stm32F103xB();
  chip.FlashEnd = chip.FlashBase - 1;
  EXPECT_EQ(FlashViewLayout(chip, b).Rows, 0u);
  chip.FlashEnd = chip.FlashBase + 0x1FFFFF;
  auto big = FlashViewLayout(chip, b);
  EXPECT_EQ(big.Rows, 0x20000u);
  EXPECT_EQ(big.CellText(0x1FFFF, 16), "00");
}

TEST(HexViewLayout, DataViewFollowsTheKindOfDataMemory) {
  MemoryBuffers b;
  b.Main[0x4000] = 0xAB;
  b.Data[0] = 0xCD;
  auto eep = DataViewLayout(Stm8S105K4(), b);
  EXPECT_EQ(eep.Rows, 64u);
  EXPECT_EQ(eep.CellText(0, 0), "0x00004000");
  EXPECT_EQ(eep.CellText(0, 1), "ab");
  EXPECT_EQ(DataViewCaption(Stm8S105K4()), "EEP Data");

  auto otp = DataViewLayout(Stm32F407xG(), b);
  EXPECT_EQ(otp.Rows, 33u);  // 528 bytes
  EXPECT_EQ(otp.CellText(0, 0), "0x1fff7800");
  EXPECT_EQ(otp.CellText(0, 1), "cd");
  EXPECT_EQ(DataViewCaption(Stm32F407xG()), "OTP Data");

  EXPECT_EQ(DataViewLayout(Stm32F103xB(), b).Rows, 0u);
}

}  // namespace
}  // namespace korvel
