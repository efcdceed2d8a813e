#include <gtest/gtest.h>

#include <functional>

#include "app/CaptureJobSettings.h"

namespace korvel {
namespace {

struct CaptureCase {
  const char* Name;
  std::function<void(MainControls&)> Set;
  CaptureChip Chip;
  std::function<void(const JobSettings&, const MainControls&)> Check;
};

CaptureChip WithEep() {
  CaptureChip c;
  c.HasEep = true;
  c.SnAddressInDataMemory = [](uint32_t a) { return a < 0x8000; };
  return c;
}

TEST(CaptureJobSettings, TableOfControlStates) {
  const CaptureCase cases[] = {
      {"defaults", [](MainControls&) {}, {},
       [](const JobSettings& s, const MainControls&) {
         EXPECT_EQ(s.ModeFlags, 0x30);  // high speed + ST order
         EXPECT_EQ(s.PowerFlags, 0x01);  // 5.0 V
         EXPECT_EQ(s.OptionFlags, 0);
         EXPECT_EQ(s.AutoDetect, 0);
         EXPECT_EQ(s.InsertSettleTime, 17);
         EXPECT_EQ(s.RemoveSettleTime, 17);
         EXPECT_EQ(s.PowerUpDelay, 10);
         EXPECT_EQ(s.PowerDownDelay, 10);
         EXPECT_EQ(s.SignalFlags, 0);
         EXPECT_EQ(s.LimitFlag, 0);
         EXPECT_EQ(s.MaxCount, 0xFFFFFFFFu);
         EXPECT_EQ(s.SnMode, 0);
         EXPECT_EQ(s.SnStep, 1);
         EXPECT_EQ(s.SnValue, 0u);
         EXPECT_EQ(s.SnAddress, 0xFFFFFFFFu);
         EXPECT_FALSE(s.EepEnabled);
       }},
      {"limit 0 unticks the box but counts as a limit this time",
       [](MainControls& c) { c.CheckBoxCtrl.Checked = true; c.SpinEditNum.Value = 0; }, {},
       [](const JobSettings& s, const MainControls& c) {
         EXPECT_EQ(s.LimitFlag, 0x0F);
         EXPECT_EQ(s.MaxCount, 0u);
         EXPECT_FALSE(c.CheckBoxCtrl.Checked);
         EXPECT_FALSE(c.SpinEditNum.Enabled);
       }},
      {"limit 500", [](MainControls& c) { c.CheckBoxCtrl.Checked = true; c.SpinEditNum.Value = 500; }, {},
       [](const JobSettings& s, const MainControls& c) {
         EXPECT_EQ(s.LimitFlag, 0x0F);
         EXPECT_EQ(s.MaxCount, 500u);
         EXPECT_TRUE(c.CheckBoxCtrl.Checked);
       }},
      {"EnWrtEep without EEP memory", [](MainControls& c) { c.EnWrtEep.Checked = true; }, {},
       [](const JobSettings& s, const MainControls&) {
         EXPECT_FALSE(s.EepEnabled);
         EXPECT_EQ(s.PowerFlags & 0x10, 0);
       }},
      {"EnWrtEep with EEP memory", [](MainControls& c) { c.EnWrtEep.Checked = true; }, WithEep(),
       [](const JobSettings& s, const MainControls&) {
         EXPECT_TRUE(s.EepEnabled);
         EXPECT_EQ(s.PowerFlags & 0x10, 0x10);
       }},
      {"settle times round down to 30 ms units",
       [](MainControls& c) { c.ChkBoxAuto.Checked = true; c.SpinEditIn.Value = 1500; c.SpinEditOut.Value = 2000; }, {},
       [](const JobSettings& s, const MainControls&) {
         EXPECT_EQ(s.AutoDetect, 0x0F);
         EXPECT_EQ(s.InsertSettleTime, 50);
         EXPECT_EQ(s.RemoveSettleTime, 66);
       }},
      {"1.8 V and the signal flags 0x35",
       [](MainControls& c) {
         c.RadioGpVolt.ItemIndex = 2;
         c.ChkBoxVDD.Checked = false;
         c.RadioGrpRST.ItemIndex = 1;
         c.CheckBoxRun.Checked = true;
       }, {},
       [](const JobSettings& s, const MainControls&) {
         EXPECT_EQ(s.PowerFlags & 0x03, 2);
         EXPECT_EQ(s.SignalFlags, 0x35);
       }},
      {"low speed, decimal display, not-blank error, ignore option bytes",
       [](MainControls& c) {
         c.RadioGrpSpdF.ItemIndex = 0;
         c.ChkBoxSNDP.Checked = true;
         c.ChkBoxNotBlk.Checked = true;
         c.ChkBoxIgnOptB.Checked = true;
       }, {},
       [](const JobSettings& s, const MainControls&) {
         EXPECT_EQ(s.ModeFlags, 0xA0);
         EXPECT_EQ(s.PowerFlags, 0x09);
         EXPECT_EQ(s.OptionFlags, 0x40);
       }},
      {"serial numbers on, address in the data memory ticks EnWrtEep",
       [](MainControls& c) {
         c.CheckBoxSN.Checked = true;
         c.SNEdit.Text = "0x12345678";
         c.GainEdit.Text = "0x10";
         c.AddrEdit.Text = "0x4000";
       }, WithEep(),
       [](const JobSettings& s, const MainControls& c) {
         EXPECT_EQ(s.SnMode, 0x0F);
         EXPECT_EQ(s.SnStep, 0x10);
         EXPECT_EQ(s.SnValue, 0x12345678u);
         EXPECT_EQ(s.SnAddress, 0x4000u);
         EXPECT_TRUE(c.EnWrtEep.Checked);
         EXPECT_TRUE(s.EepEnabled);
         EXPECT_EQ(s.PowerFlags & 0x10, 0x10);
       }},
      {"ASCII serial numbers win over decimal",
       [](MainControls& c) { c.CheckBoxSN.Checked = true; c.ChkBoxStrSN.Checked = true; c.ChkBoxSNDP.Checked = true; }, {},
       [](const JobSettings& s, const MainControls&) { EXPECT_EQ(s.SnMode, 0xA5); }},
      {"decimal serial numbers",
       [](MainControls& c) { c.CheckBoxSN.Checked = true; c.ChkBoxSNDP.Checked = true; c.SNEdit.Text = "1000"; }, {},
       [](const JobSettings& s, const MainControls&) {
         EXPECT_EQ(s.SnMode, 0xA3);
         EXPECT_EQ(s.SnValue, 1000u);
       }},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.Name);
    MainControls c;
    JobSettings s;
    tc.Set(c);
    c.ApplyEnablingRules();
    ASSERT_FALSE(CaptureJobSettings(c, s, tc.Chip).has_value());
    tc.Check(s, c);
  }
}

TEST(CaptureJobSettings, KeepsBitsOwnedByOthers) {
  MainControls c;
  JobSettings s;
  s.ModeFlags = 0x4C;     // chip bits 2..3, verify-after bit 6
  s.PowerFlags = 0x80;    // only check read-out protection
  s.OptionFlags = 0x3F;   // off-line skip bits
  ASSERT_FALSE(CaptureJobSettings(c, s, {}).has_value());
  EXPECT_EQ(s.ModeFlags, 0x4C | 0x30);
  EXPECT_EQ(s.PowerFlags, 0x81);
  EXPECT_EQ(s.OptionFlags, 0x3F);
  c.ChkBoxIgnOptB.Checked = true;
  ASSERT_FALSE(CaptureJobSettings(c, s, {}).has_value());
  EXPECT_EQ(s.OptionFlags, 0x7F);
}

TEST(CaptureJobSettings, BadSerialNumberTextIsReportedAndChangesNothing) {
  struct Case {
    const char* Field;
    std::string Gain, Value, Address, Error;
  };
  const Case cases[] = {
      {"step", "x1", "0x10", "0x4000", "'x1' is not a valid integer value"},
      {"value", "0x02", "12x4", "0x4000", "'12x4' is not a valid integer value"},
      {"address", "0x02", "0x10", "0x4000z", "'0x4000z' is not a valid integer value"},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.Field);
    MainControls c;
    c.CheckBoxSN.Checked = true;
    c.CheckBoxCtrl.Checked = true;  // with limit 0: a capture would untick it
    c.ChkBoxIgnOptB.Checked = true;
    c.GainEdit.Text = tc.Gain;
    c.SNEdit.Text = tc.Value;
    c.AddrEdit.Text = tc.Address;
    JobSettings s;
    s.SnStep = 3;
    s.SnValue = 7;
    s.SnAddress = 0x100;
    const JobSettings before = s;
    auto err = CaptureJobSettings(c, s, {});
    ASSERT_TRUE(err.has_value());
    EXPECT_EQ(*err, tc.Error);
    EXPECT_EQ(s.SnStep, before.SnStep);
    EXPECT_EQ(s.SnValue, before.SnValue);
    EXPECT_EQ(s.SnAddress, before.SnAddress);
    EXPECT_EQ(s.SnMode, before.SnMode);
    EXPECT_EQ(s.OptionFlags, before.OptionFlags);
    EXPECT_TRUE(c.CheckBoxCtrl.Checked);
  }
}

}  // namespace
}  // namespace korvel
