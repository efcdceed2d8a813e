// The serial-number group's click rules and the command line's settings.
#include <gtest/gtest.h>

#include "BufferTestJob.h"
#include "target/SerialControls.h"

namespace korvel {
namespace {

TEST(SerialControls, CheckBoxSnEnablesTheGroupAndSetsTheMode) {
  MainControls c;
  JobSettings s;
  EXPECT_FALSE(c.SNEdit.Enabled || c.ButtonCfgSN.Enabled || c.SNOrderChk.Enabled);
  EXPECT_TRUE(c.ChkBoxSNDP.Enabled);
  c.CheckBoxSN.Checked = true;
  OnCheckBoxSNClick(c, s);
  EXPECT_TRUE(c.AddrEdit.Enabled && c.SNEdit.Enabled && c.GainEdit.Enabled && c.SNOrderChk.Enabled &&
              c.ChkBoxPCSN.Enabled && c.ChkBoxStrSN.Enabled && c.ButtonCfgSN.Enabled);
  EXPECT_EQ(s.SnMode, kSnHex);
  c.CheckBoxSN.Checked = false;
  OnCheckBoxSNClick(c, s);
  EXPECT_FALSE(c.AddrEdit.Enabled);
  EXPECT_EQ(s.SnMode, kSnOff);
}

TEST(SerialControls, DisplayFormFollowsTheDecimalAndAsciiBoxes) {
  MainControls c;
  RecordingPrompts prompts;
  c.SNEdit.Text = "0x00000100";
  c.ChkBoxSNDP.Checked = true;
  OnChkBoxSNDPClick(c, prompts);
  EXPECT_EQ(c.SNEdit.Text, "256");
  c.ChkBoxSNDP.Checked = false;
  OnChkBoxSNDPClick(c, prompts);
  EXPECT_EQ(c.SNEdit.Text, "0x00000100");
  // ASCII numbers are shown in decimal.
  c.ChkBoxStrSN.Checked = true;
  OnChkBoxStrSNClick(c, prompts);
  EXPECT_TRUE(c.ChkBoxSNDP.Checked);
  EXPECT_EQ(c.SNEdit.Text, "256");
  EXPECT_TRUE(prompts.Messages.empty());
  // Not a number: the conversion error, and the text stays.
  c.SNEdit.Text = "12Z";
  c.ChkBoxSNDP.Checked = false;
  OnChkBoxSNDPClick(c, prompts);
  EXPECT_EQ(c.SNEdit.Text, "12Z");
  ASSERT_EQ(prompts.Messages.size(), 1u);
  EXPECT_EQ(prompts.Messages[0].Text, "'12Z' is not a valid integer value");
}

TEST(SerialControls, LeavingAnAddressOutsideTheChipWarns) {
  MainControls c;  // AddrEdit holds the default 0x0000FFF0
  JobFlags flags;
  const ChipInfo stm8 = testjob::Stm8S105K4();
  RecordingPrompts prompts;
  EXPECT_FALSE(OnAddrEditExit(c, flags, stm8, prompts));  // no chip yet: no check
  EXPECT_TRUE(prompts.Messages.empty());
  flags.ChipSelected = true;
  EXPECT_TRUE(OnAddrEditExit(c, flags, stm8, prompts));  // OK: back to AddrEdit
  ASSERT_EQ(prompts.Messages.size(), 1u);
  EXPECT_EQ(prompts.Messages[0].Kind, PromptKind::Warning);
  EXPECT_EQ(prompts.Messages[0].Text, "序列号地址超出了芯片的有效地址空间，请核对清楚并重新设定！");
  EXPECT_EQ(prompts.Messages[0].Buttons, (std::vector<PromptButton>{PromptButton::Ok, PromptButton::Ignore}));
  prompts.Answers = {PromptButton::Ignore};
  EXPECT_FALSE(OnAddrEditExit(c, flags, stm8, prompts));
  c.AddrEdit.Text = "0x4000";
  EXPECT_FALSE(OnAddrEditExit(c, flags, stm8, prompts));
  EXPECT_EQ(prompts.Messages.size(), 2u);
}

TEST(SerialControls, FixedDataNeedsAChipAndAnImage) {
  JobFlags flags;
  RecordingPrompts prompts;
  flags.ChipSelected = true;
  EXPECT_FALSE(OnButtonCfgSNClick(flags, prompts));
  ASSERT_EQ(prompts.Messages.size(), 1u);
  EXPECT_EQ(prompts.Messages[0].Text, "请先选择芯片并加载数据文件！");
  flags.ImageLoaded = true;
  EXPECT_TRUE(OnButtonCfgSNClick(flags, prompts));
  EXPECT_EQ(prompts.Messages.size(), 1u);
}

TEST(SerialControls, CommandLineOptionsSetTheGroup) {
  MainControls c;
  JobSettings s;
  SerialOptions o;
  o.On = true;
  o.Value = 1000;
  o.Step = 3;
  o.Address = 0x0800FFF0;
  o.Ascii = o.LsbFirst = true;
  ASSERT_FALSE(ApplySerialOptions(c, s, testjob::Stm32F103xB(), o));
  EXPECT_TRUE(c.CheckBoxSN.Checked && c.ChkBoxPCSN.Checked && c.ChkBoxStrSN.Checked && c.ChkBoxSNDP.Checked);
  EXPECT_FALSE(c.SNOrderChk.Checked);
  EXPECT_EQ(c.SNEdit.Text, "1000");
  EXPECT_EQ(c.GainEdit.Text, "0x03");
  EXPECT_EQ(c.AddrEdit.Text, "0x0800fff0");
  EXPECT_TRUE(c.SNEdit.Enabled);

  // The default address lies outside an STM8S105K4.
  MainControls d;
  o = SerialOptions{};
  o.On = true;
  auto why = ApplySerialOptions(d, s, testjob::Stm8S105K4(), o);
  ASSERT_TRUE(why);
  EXPECT_NE(why->find("0x0000fff0"), std::string::npos) << *why;
  EXPECT_FALSE(d.CheckBoxSN.Checked);
}

}  // namespace
}  // namespace korvel
