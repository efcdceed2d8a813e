#include <gtest/gtest.h>

#include <array>

#include "app/AppState.h"
#include "app/Startup.h"
#include "target/ChipChange.h"
#include "target/ChipSeries.h"

namespace korvel {
namespace {

class ChipChangeTest : public ::testing::Test {
 protected:
  ChipChangeTest() : clock_(MakeTime(2026, 12, 5, 7, 14, 11)), app_(clock_) {
    hooks_.ResetOptionBuffer = [this] { ++resets_; };
    hooks_.SetLoadRange = [this](uint32_t lo, uint32_t hi) {
      loadLow_ = lo;
      loadHigh_ = hi;
    };
    hooks_.ClearFlashView = [this] { ++cleared_; };
    hooks_.RebuildDataView = [this] { ++dataRebuilt_; };
  }

  ChipChangeContext Ctx() {
    return {chip_, app_.Flags, app_.Settings, app_.Controls, app_.Log, prompts_, options_, hooks_};
  }

  // Picks the chip in the dialog as an operator would, then OK.
  void Pick(const std::string& name) {
    const ChipLocation loc = FindChip(name);
    ASSERT_TRUE(loc.Found()) << name;
    ChipSelectModel dialog;
    dialog.Show(app_.Flags.Stm32Family);
    dialog.SetFamily(loc.Stm32);
    dialog.SelectSeries(loc.Series);
    dialog.SelectChip(loc.Index);
    auto ctx = Ctx();
    ApplyChipDialogOk(ctx, dialog);
  }

  bool Visible(const char* name) { return app_.Controls.Action(name).Visible; }
  bool Enabled(const char* name) { return app_.Controls.Action(name).Enabled; }

  FixedClock clock_;
  AppState app_;
  ChipInfo chip_;
  RecordingPrompts prompts_;
  std::array<uint8_t, 128> options_{};
  ChipChangeHooks hooks_;
  int resets_ = 0, cleared_ = 0, dataRebuilt_ = 0;
  uint32_t loadLow_ = 0, loadHigh_ = 0;
};

TEST_F(ChipChangeTest, Stm8ChipWithEepromLaysOutTheWindow) {
  app_.Flags.ImageLoaded = true;
  Pick("STM8S105K4");
  const MainControls& c = app_.Controls;
  EXPECT_TRUE(app_.Flags.ChipSelected);
  EXPECT_FALSE(app_.Flags.ImageLoaded);
  EXPECT_FALSE(app_.Flags.Stm32Family);
  EXPECT_EQ(c.MCUNameEdit, "STM8S105K4");
  EXPECT_EQ(c.lbFlashSize, "16K");
  EXPECT_EQ(c.lbEEPSize, "1024Byte");
  EXPECT_EQ(c.ActivePage, "ChipSett");
  EXPECT_EQ(app_.Settings.ModeFlags, 0x78);
  EXPECT_EQ(c.RadioGpVolt.ItemIndex, kVolt50);
  EXPECT_TRUE(c.RadioGpVolt.Enabled);
  EXPECT_TRUE(c.EnWrtEep.Visible);
  EXPECT_FALSE(c.EnWrtEep.Checked);
  EXPECT_EQ(c.EnWrtEep.Caption, "允许写EEP数据。");
  EXPECT_TRUE(c.EepTabVisible);
  EXPECT_EQ(c.EepTabCaption, "EEP Data");
  EXPECT_EQ(c.LabelEep, "Data EEP: ");
  EXPECT_FALSE(Visible("SpdBtnBlankChk"));
  EXPECT_FALSE(Visible("SpdBtnErase"));
  EXPECT_TRUE(Visible("LoadEEPDataFile1"));
  EXPECT_TRUE(Visible("WriteEEPMemory1"));
  EXPECT_FALSE(Visible("LoadSTM32F2xx4xxOTPdata1"));
  EXPECT_FALSE(Enabled("BlankCheck1"));
  EXPECT_TRUE(Enabled("ReadOptionByte1"));
  EXPECT_EQ(resets_, 1);
  EXPECT_EQ(cleared_, 1);
  EXPECT_EQ(dataRebuilt_, 1);
  EXPECT_EQ(loadLow_, 0x8000u);
  EXPECT_EQ(loadHigh_, 0xBFFFu);
  ASSERT_FALSE(app_.Log.Lines().empty());
  EXPECT_EQ(app_.Log.Lines().back(), "> 07:14:11 Chip \"STM8S105K4\" is selectd at 2026-12-05");
  EXPECT_TRUE(prompts_.Messages.empty());
}

TEST_F(ChipChangeTest, Stm8LChipsRunAt33VAndCarryNoModeBits) {
  Pick("STM8L152C6");
  EXPECT_EQ(app_.Controls.RadioGpVolt.ItemIndex, kVolt33);
  EXPECT_TRUE(app_.Controls.RadioGpVolt.Enabled);
  EXPECT_EQ(app_.Settings.ModeFlags, 0x70);
  Pick("STM8AF5168");
  EXPECT_EQ(app_.Settings.ModeFlags, 0x7C);
}

TEST_F(ChipChangeTest, Stm32WithOtpShowsTheOtpItems) {
  Pick("STM32F429xI");
  const MainControls& c = app_.Controls;
  EXPECT_TRUE(app_.Flags.Stm32Family);
  EXPECT_EQ(app_.Settings.ModeFlags, 0x70);
  EXPECT_EQ(c.RadioGpVolt.ItemIndex, kVolt33);
  EXPECT_FALSE(c.RadioGpVolt.Enabled);
  EXPECT_TRUE(c.EnWrtEep.Visible);
  EXPECT_EQ(c.EnWrtEep.Caption, "允许写OTP数据。");
  EXPECT_EQ(c.EepTabCaption, "OTP Data");
  EXPECT_EQ(c.LabelEep, "OTP Memory: ");
  EXPECT_EQ(c.lbEEPSize, "528Byte");
  EXPECT_EQ(c.lbFlashSize, "2048K");
  EXPECT_FALSE(Visible("LoadEEPDataFile1"));
  EXPECT_TRUE(Visible("LoadSTM32F2xx4xxOTPdata1"));
  EXPECT_TRUE(Visible("VerifyOTPMemory1"));
  EXPECT_TRUE(Enabled("BlankCheck1"));
  EXPECT_TRUE(Visible("SpdBtnBlankChk"));
  EXPECT_EQ(loadHigh_, 0x081FFFFFu);
}

TEST_F(ChipChangeTest, Stm32WithoutDataMemoryHidesTab) {
  Pick("STM8S105K4");
  Pick("STM32F103xB");
  const MainControls& c = app_.Controls;
  EXPECT_FALSE(c.EnWrtEep.Visible);
  EXPECT_FALSE(c.EepTabVisible);
  EXPECT_FALSE(Visible("LoadEEPDataFile1"));
  EXPECT_FALSE(Visible("ReadOTPMemory1"));
  EXPECT_EQ(c.lbEEPSize, "NILL");
}

TEST_F(ChipChangeTest, AdapterNoticeOnlyWhenTheNameChanges) {
  Pick("STM32F038x6");
  ASSERT_EQ(prompts_.Messages.size(), 1u);
  EXPECT_EQ(prompts_.Messages[0].Text, kAdapterNotice);
  EXPECT_FALSE(chip_.Needs18V);
  EXPECT_EQ(app_.Log.Lines().size(), 2u);
  Pick("STM32F038x6");
  EXPECT_EQ(prompts_.Messages.size(), 1u);

  app_.Flags.Supports18V = true;
  Pick("STM32F048x6");
  EXPECT_EQ(prompts_.Messages.size(), 1u);
}

TEST_F(ChipChangeTest, BlueToothChipsHideOptionBytesUntilAnotherChip) {
  options_.fill(0x12);
  Pick("BlueNRG-232");
  EXPECT_EQ(resets_, 0);
  for (uint8_t b : options_) ASSERT_EQ(b, 0xFF);
  EXPECT_FALSE(Visible("SpdBtnWrtOPB"));
  EXPECT_FALSE(Enabled("ReadOptionByte1"));
  EXPECT_FALSE(Enabled("WriteOptionByte1"));
  EXPECT_EQ(loadLow_, 0x10040000u);
  EXPECT_EQ(loadHigh_, 0x1007FFFFu);
  EXPECT_EQ(app_.Controls.EepTabCaption, "OTP Data");
  EXPECT_EQ(app_.Controls.lbEEPSize, "NILL");
  EXPECT_FALSE(app_.Controls.EepTabVisible);

  Pick("STM32F103xB");
  EXPECT_TRUE(Visible("SpdBtnWrtOPB"));
  EXPECT_TRUE(Enabled("WriteOptionByte1"));

  app_.Flags.CommandLineMode = true;
  Pick("STM32F103xC");
  EXPECT_FALSE(Visible("SpdBtnWrtOPB"));
}

TEST_F(ChipChangeTest, ConfirmingTheSameBlueToothChipAgainKeepsItsLayout) {
  Pick("BlueNRG-232");
  const ChipInfo adapted = chip_;
  ASSERT_EQ(adapted.FlashBase, 0x10040000u);
  options_.fill(0x5A);  // the protection word as the BlueNRG dialog left it
  const size_t lines = app_.Log.Lines().size();

  Pick("BlueNRG-232");
  EXPECT_EQ(chip_.FlashBase, adapted.FlashBase);
  EXPECT_EQ(chip_.FlashEnd, adapted.FlashEnd);
  EXPECT_EQ(chip_.EepSize, adapted.EepSize);
  EXPECT_EQ(chip_.BlockSize, adapted.BlockSize);
  EXPECT_EQ(options_[0], 0x5A);
  EXPECT_FALSE(Visible("SpdBtnWrtOPB"));
  EXPECT_FALSE(Enabled("WriteOptionByte1"));
  EXPECT_EQ(app_.Log.Lines().size(), lines);
  EXPECT_EQ(cleared_, 1);
}

TEST_F(ChipChangeTest, TheCurrentNameTypedUnderAnotherSeriesIsAnotherChip) {
  Pick("STM32F103xB");
  ChipSelectModel dialog;
  dialog.Show(true);
  dialog.SelectSeries(4);  // STM32F4xxxx
  dialog.SetEditSelChip("STM32F103xB");
  auto ctx = Ctx();
  ApplyChipDialogOk(ctx, dialog);
  EXPECT_EQ(chip_.FamilyCode, 0x60);
  EXPECT_EQ(resets_, 2);
  EXPECT_EQ(cleared_, 2);
}

TEST_F(ChipChangeTest, ReadChipIdFollowsTheFamilyAsAtStartUp) {
  struct Case {
    const char* Chip;
    bool Stm32;
  };
  for (const Case& k : {Case{"STM8S105K4", false}, Case{"STM32F103xB", true},
                        Case{"STM8L152C6", false}, Case{"BlueNRG-232", true}}) {
    Pick(k.Chip);
    MainControls atStartUp;
    ApplyFamilyMenus(atStartUp, k.Stm32);
    for (const char* n : {"ReadSTM32xChipID1", "BlankCheck1", "EraseChip1", "WriteOTPMemory1",
                          "ReadOTPMemory1", "VerifyOTPMemory1"}) {
      EXPECT_EQ(Visible(n), atStartUp.Action(n).Visible) << k.Chip << " " << n;
      EXPECT_EQ(Enabled(n), atStartUp.Action(n).Enabled) << k.Chip << " " << n;
    }
    EXPECT_EQ(Visible("ReadSTM32xChipID1"), k.Stm32) << k.Chip;
  }
}

TEST_F(ChipChangeTest, CommandLineKeepsItsButtonsHiddenWhateverTheChip) {
  app_.Flags.CommandLineMode = true;
  for (auto& entry : app_.Controls.Actions) entry.second.Visible = true;
  for (const char* chip : {"STM32F103xB", "STM8S105K4", "BlueNRG-232", "STM32F429xI"}) {
    Pick(chip);
    for (const char* n : kCommandLineHiddenButtons) EXPECT_FALSE(Visible(n)) << chip << " " << n;
    EXPECT_TRUE(Visible("SpdBtnDownLoad")) << chip;
  }
}

TEST_F(ChipChangeTest, TypedNameTakesTheSelectedSeriesCode) {
  ChipSelectModel dialog;
  dialog.Show(false);
  dialog.SetFamily(true);
  dialog.SelectSeries(4);  // STM32F4xxxx
  EXPECT_EQ(dialog.EditSelChip(), "STM32F401xB");
  dialog.SetEditSelChip("STM32F4XXxE");
  auto ctx = Ctx();
  ApplyChipDialogOk(ctx, dialog);
  EXPECT_EQ(app_.Controls.MCUNameEdit, "STM32F4XXxE");
  EXPECT_EQ(chip_.FamilyCode, 0x60);
  EXPECT_EQ(chip_.FlashSizeKB, 512);
}

TEST_F(ChipChangeTest, ChoosingUnsupported18VWarnsAndKeepsTheChoice) {
  OnVoltageChosen(app_.Controls, app_.Flags, prompts_, kVolt18);
  EXPECT_EQ(app_.Controls.RadioGpVolt.ItemIndex, kVolt18);
  ASSERT_EQ(prompts_.Messages.size(), 1u);
  EXPECT_EQ(prompts_.Messages[0].Text, "Current Programmer do not Support 1.8V!");
  app_.Flags.Supports18V = true;
  OnVoltageChosen(app_.Controls, app_.Flags, prompts_, kVolt18);
  EXPECT_EQ(prompts_.Messages.size(), 1u);
}

}  // namespace
}  // namespace korvel
