// Fixed serial-number data written through TConfigSNForm's model.
#include <gtest/gtest.h>

#include "BufferTestJob.h"
#include "target/Checksums.h"
#include "target/FixedSnData.h"

namespace korvel {
namespace {

using testjob::TestJob;

TEST(FixedDataBytes, TextAndHexadecimalTokens) {
  using V = std::vector<uint8_t>;
  EXPECT_EQ(FixedDataBytes("12 34 AB", true), (V{0x12, 0x34, 0xAB}));
  EXPECT_EQ(FixedDataBytes("AB", false), (V{0x41, 0x42}));
  // Modulo 256, other characters count as 0, blanks only separate.
  EXPECT_EQ(FixedDataBytes("  123 G1  ff ", true), (V{0x23, 0x01, 0xFF}));
}

TEST(ConfigSN, OpensOnTheFlashAndTheAreaChoosesTheStart) {
  ConfigSNModel m;
  EXPECT_EQ(m.Caption, "Config S/N Constant");
  EXPECT_FALSE(m.ChkBoxSNEndin.Visible);
  EXPECT_EQ(m.RadioGrpSN.ItemIndex, 0);
  EXPECT_EQ(m.RadioGroupFM.ItemIndex, 0);
  const ChipInfo stm8 = testjob::Stm8S105K4();
  m.Show(stm8);
  EXPECT_EQ(m.AddrEditSN.Text, "0x00008000");
  m.RadioGrpSN.ItemIndex = 1;
  m.AreaClicked(stm8);
  EXPECT_EQ(m.AddrEditSN.Text, "0x00004000");
  m.SetData("ab 1f");
  EXPECT_EQ(m.EditDataSN.Text, "AB 1F");
}

TEST(ConfigSN, OkWritesTheDataAndRefusesNone) {
  TestJob t(testjob::Stm32F103xB(), true);
  ImageJob job = t.Job();
  int flashRedrawn = 0;
  job.Views.FlashViewChanged = [&flashRedrawn] { ++flashRedrawn; };
  ConfigSNModel m;
  m.Show(t.Chip);
  EXPECT_FALSE(m.Ok(job));
  ASSERT_EQ(t.Prompts.Messages.size(), 1u);
  EXPECT_EQ(t.Prompts.Messages[0].Text, "请输入有效的序列号数据!");
  EXPECT_EQ(m.FocusBack, ConfigSNModel::Field::Data);

  m.AddrEditSN.Text = "0x08000100";
  m.SetData("12 34 AB");
  m.RadioGroupFM.ItemIndex = 1;
  ASSERT_TRUE(m.Ok(job));
  EXPECT_EQ(t.Buffers.Main[0x100], 0x12);
  EXPECT_EQ(t.Buffers.Main[0x101], 0x34);
  EXPECT_EQ(t.Buffers.Main[0x102], 0xAB);
  EXPECT_EQ(flashRedrawn, 1);
  EXPECT_EQ(t.Buffers.FlashCrc, GetBrevanCheckSum(t.Buffers.Main, 0, 0x1FFFF));

  // An address below the flash of an STM32 is outside the buffer.
  const std::vector<uint8_t> before = t.Buffers.Main;
  m.AddrEditSN.Text = "0x00000010";
  ASSERT_TRUE(m.Ok(job));
  EXPECT_EQ(t.Buffers.Main, before);
}

TEST(ConfigSN, EepromDataIsDataToProgram) {
  TestJob t(testjob::Stm8S105K4(), false);
  ImageJob job = t.Job();
  ConfigSNModel m;
  m.RadioGrpSN.ItemIndex = 1;
  m.AreaClicked(t.Chip);
  m.SetData("AB");
  ASSERT_TRUE(m.Ok(job));
  EXPECT_EQ(t.Buffers.Main[0x4000], 0x41);
  EXPECT_EQ(t.Buffers.Main[0x4001], 0x42);
  EXPECT_TRUE(t.App.Controls.EnWrtEep.Checked);
  EXPECT_EQ(t.Buffers.EepSum, SumValue(t.Buffers.Main, 0x4000, 0x43FF));
}

}  // namespace
}  // namespace korvel
