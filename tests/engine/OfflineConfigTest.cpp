#include <gtest/gtest.h>

#include "app/CaptureJobSettings.h"
#include "engine/OfflineConfig.h"

namespace korvel {
namespace {

std::array<bool, 7> Ticked(const OfflineConfigForm& f) {
  std::array<bool, 7> t{};
  for (size_t i = 0; i < t.size(); ++i) t[i] = f.Steps[i].Checked;
  return t;
}

TEST(OfflineConfig, ShowTicksTheStepsWhoseSkipBitIsClear) {
  JobSettings s;
  s.OptionFlags = 0x25;  // blank check, main flash programming, EEP verification skipped
  OfflineConfigForm f;
  f.Show(s);
  EXPECT_EQ(Ticked(f), (std::array<bool, 7>{false, true, false, true, true, false, true}));
  EXPECT_FALSE(f.ChkBoxROP.Checked);
  MainControls main;
  f.Ok(s, main);
  EXPECT_EQ(s.OptionFlags, 0x25);
  EXPECT_EQ(s.PowerFlags & 0x80, 0);
}

// Ticked, ChkBoxROP stores 0xFF whatever the boxes show, and the next show
// unticks every step; unticking it gives all seven back.
TEST(OfflineConfig, ReadOutProtectionOnlyOverridesTheSteps) {
  JobSettings s;
  s.PowerFlags = 0x01;
  MainControls main;
  OfflineConfigForm f;
  f.Show(s);
  f.ClickRop(true);
  for (const CheckBoxState& b : f.Steps) EXPECT_FALSE(b.Checked || b.Enabled);
  f.Steps[2].Checked = true;  // what the widget may still show
  f.Ok(s, main);
  EXPECT_EQ(s.OptionFlags, 0xFF);
  EXPECT_EQ(s.PowerFlags, 0x81);

  OfflineConfigForm again;
  again.Show(s);
  EXPECT_TRUE(again.ChkBoxROP.Checked);
  EXPECT_EQ(Ticked(again), (std::array<bool, 7>{}));
  again.ClickRop(false);
  for (const CheckBoxState& b : again.Steps) EXPECT_TRUE(b.Checked && b.Enabled);
  again.Ok(s, main);
  EXPECT_EQ(s.OptionFlags, 0);
  EXPECT_EQ(s.PowerFlags, 0x01);
}

// The option-byte step shares its bit with "忽略Option Byte烧写", which every
// capture writes: the dialog sets that box, so a download keeps the choice.
TEST(OfflineConfig, TheNextCaptureKeepsWhatTheDialogChose) {
  for (bool rop : {false, true}) {
    SCOPED_TRACE(rop ? "rop only" : "options skipped");
    JobSettings s;
    MainControls main;
    OfflineConfigForm f;
    f.Show(s);
    if (rop) f.ClickRop(true);
    else f.Steps[6].Checked = false;
    f.Ok(s, main);
    EXPECT_TRUE(main.ChkBoxIgnOptB.Checked);
    const uint8_t chosen = s.OptionFlags;
    ASSERT_FALSE(CaptureJobSettings(main, s, CaptureChip{}));
    EXPECT_EQ(s.OptionFlags, chosen);
    EXPECT_EQ((s.PowerFlags & 0x80) != 0, rop);
  }
}

TEST(OfflineConfig, CommandLineStepsGoThroughTheDialog) {
  struct Case {
    const char* Text;
    uint8_t OptionFlags;
    bool Rop;
  } cases[] = {
      {"blank,erase,program,verify,options", 0x00, false},
      {"program-flash,verify-flash", 0x6B, false},
      {"erase,program", 0x71, false},
      {"rop-only", 0xFF, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    std::string error;
    const auto steps = ParseOfflineSteps(c.Text, error);
    ASSERT_TRUE(steps) << error;
    JobSettings s;
    s.PowerFlags = 0x80;  // left from an earlier choice
    MainControls main;
    ApplyOfflineSteps(*steps, s, main);
    EXPECT_EQ(s.OptionFlags, c.OptionFlags);
    EXPECT_EQ((s.PowerFlags & 0x80) != 0, c.Rop);
    EXPECT_EQ(main.ChkBoxIgnOptB.Checked, (c.OptionFlags & 0x40) != 0);
  }
}

}  // namespace
}  // namespace korvel
