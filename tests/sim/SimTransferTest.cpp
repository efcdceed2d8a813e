// A simulated unit against the host's real request builders: what the host
// downloads is the unit's job, what it programs is what it reads back.
#include <gtest/gtest.h>

#include "sim/SimDriver.h"
#include "target/Checksums.h"

namespace korvel::test {
namespace {

struct ChipCase {
  const char* Name;
  ChipInfo Chip;
  bool Stm32;
};

const ChipCase kChips[] = {
    {"F103xB", Stm32F103xB(), true},
    {"S105K4_eeprom", Stm8S105K4(), false},
    {"G071xB_otp", Stm32G071xB(), true},
    {"L152xB_data_memory_after_main", Stm32L152xB(), true},
};

class SimTransfer : public testing::TestWithParam<ChipCase> {
 protected:
  SimTransfer() : d(GetParam().Chip, GetParam().Stm32) {
    FillPattern(d.buffers);
    d.settings.EepEnabled = true;
    d.Reset();
  }
  // Image offsets of the second memory in the host's main buffer.
  uint32_t SecondOffset() const { return ImageOffsetOf(d.job, d.chip.EepBase); }
  uint32_t MainOffset() const { return ImageOffsetOf(d.job, d.chip.FlashBase); }
  SimDriver d;
};

TEST_P(SimTransfer, DownloadKeepsTheJobAndItsImages) {
  ASSERT_EQ(d.Download(), 6);
  EXPECT_EQ(CheckReply(d.Reply(d.Restart()), 12), 6);
  const SimJob& job = d.unit.Job();
  ASSERT_TRUE(job.Complete());
  EXPECT_EQ(job.Layout.ChipCode, d.chip.FamilyCode);
  EXPECT_EQ(job.Layout.FlashSizeKB, d.chip.FlashSizeKB);
  EXPECT_EQ(job.Layout.SecondSize, d.chip.EepSize);
  EXPECT_EQ(job.Layout.SecondIsOtp, d.chip.HasOtp);
  EXPECT_TRUE(std::equal(job.OptionBytes.begin(), job.OptionBytes.end(), d.buffers.Options.begin()));
  const size_t main = d.chip.FlashSizeKB * 1024u;
  EXPECT_TRUE(std::equal(d.buffers.Main.begin() + MainOffset(), d.buffers.Main.begin() + MainOffset() + main,
                         job.Image.begin() + MainOffset()));
  if (d.chip.HasOtp) {
    ASSERT_EQ(job.SecondImage.size(), 1024u);
    EXPECT_TRUE(std::equal(job.SecondImage.begin(), job.SecondImage.end(), d.buffers.Second.begin()));
  } else if (d.chip.EepSize) {
    EXPECT_TRUE(std::equal(d.buffers.Main.begin() + SecondOffset(),
                           d.buffers.Main.begin() + SecondOffset() + d.chip.EepSize,
                           job.Image.begin() + SecondOffset()));
    // Nothing past the end of the memory was taken from the 4 KB blocks.
    if (d.chip.EepSize < 4096) {
      EXPECT_EQ(job.Image[SecondOffset() + d.chip.EepSize], 0xFF);
    }
  }
}

TEST_P(SimTransfer, WhatIsProgrammedReadsBackAndSumsUp) {
  if (d.stm32) {
    ASSERT_EQ(d.Status(d.Command(kCmdChipOperation, kSubBlankCheck)), 0);
  }
  ASSERT_EQ(d.Program(), 6);
  int differing = -1;
  EXPECT_EQ(d.ReadBack(differing), 0);
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(d.Status(d.Command(kCmdChipOperation, kSubBlankCheck)), 21);

  const Bytes sums = d.Reply(d.Command(kCmdChipOperation, kSubChipChecksum));
  ASSERT_EQ(sums.size(), 14u);
  const uint32_t first = MainOffset(), last = first + d.chip.FlashSizeKB * 1024u - 1;
  EXPECT_EQ(sums[8] | sums[9] << 8, GetBrevanCheckSum(d.buffers.Main, first, last));
  EXPECT_EQ(sums[10] | sums[11] << 8, SumValue(d.buffers.Main, first, last));

  EXPECT_EQ(d.Status(d.Command(kCmdChipOperation, kSubErase)), 6);
  EXPECT_EQ(d.Status(d.Command(kCmdChipOperation, kSubBlankCheck)), 0);
}

INSTANTIATE_TEST_SUITE_P(Chips, SimTransfer, testing::ValuesIn(kChips),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(SimTransfer, EepromOfFifteenHundredBytesTakesOneRequestAndNoMore) {
  ChipInfo chip = Stm8S105K4();
  chip.EepSize = 1500;
  chip.EepEnd = chip.EepBase + 1499;
  SimDriver d(chip, false);
  FillPattern(d.buffers);
  d.settings.EepEnabled = true;
  d.Reset();
  const int before = d.unit.Requests();
  ASSERT_EQ(d.Program(), 6);
  EXPECT_EQ(d.unit.Requests() - before, 4 + 1);
  SimTarget& t = d.unit.Target();
  EXPECT_TRUE(std::equal(t.Flash.begin() + 0x4000, t.Flash.begin() + 0x4000 + 1500, d.buffers.Main.begin() + 0x4000));
  EXPECT_EQ(t.Flash[0x4000 + 1500], 0xFF);
}

TEST(SimTransfer, StmThirtyTwoFlashOnlyClearsBitsUntilErased) {
  SimDriver d(Stm32F103xB(), true);
  FillPattern(d.buffers);
  d.Reset();
  ASSERT_EQ(d.Program(), 6);
  for (auto& b : d.buffers.Main) b = static_cast<uint8_t>(~b);
  int differing = 0;
  ASSERT_EQ(d.Program(), 6);
  d.ReadBack(differing);
  EXPECT_GT(differing, 0);
  EXPECT_EQ(d.Status(d.Command(kCmdChipOperation, kSubErase)), 6);
  ASSERT_EQ(d.Program(), 6);
  d.ReadBack(differing);
  EXPECT_EQ(differing, 0);
}

TEST(SimChipOperations, OptionBytesUniqueIdAndOtpFromTheMenu) {
  SimDriver d(Stm32G071xB(), true);
  FillPattern(d.buffers);
  d.Reset();
  EXPECT_EQ(d.Status(OptionBytesPacket(d.job, 7)), 6);
  const Bytes options = d.Reply(d.Command(kCmdChipOperation, kSubReadOptionBytes));
  ASSERT_EQ(options.size(), 8u + 128 + 2);
  EXPECT_TRUE(std::equal(options.begin() + 8, options.end() - 2, d.buffers.Options.begin()));

  const Bytes uid = d.Reply(d.Command(kCmdChipOperation, kSubUniqueId));
  EXPECT_EQ(Bytes(uid.begin() + 8, uid.end() - 2), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));

  EXPECT_EQ(d.Status(SecondImagePacket(d.job, kSubOtpArea, 3)), 6);
  const Bytes otp = d.Reply(d.Command(kCmdReadSecond, kSubOtpArea));
  ASSERT_EQ(otp.size(), 8u + 1024 + 2);
  EXPECT_TRUE(std::equal(otp.begin() + 8, otp.end() - 2, d.buffers.Second.begin()));
}

TEST(SimChipOperations, StmEightLOptionBytesReadBackFifteen) {
  ChipInfo chip = Stm8S105K4();
  chip.FamilyCode = 0xE5;
  SimDriver d(chip, false);
  const Bytes options = d.Reply(d.Command(kCmdChipOperation, kSubReadOptionBytes));
  EXPECT_EQ(options.size(), 8u + 15 + 2);
}

}  // namespace
}  // namespace korvel::test
