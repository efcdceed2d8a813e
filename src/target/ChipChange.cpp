#include "target/ChipChange.h"

#include "app/Startup.h"
#include "target/ChipRules.h"

namespace korvel {

namespace {

const char* const kEepItems[] = {"LoadEEPDataFile1", "SaveEEPData1", "ReadEEPMemory1",
                                 "WriteEEPMemory1"};
const char* const kOtpItems[] = {"LoadSTM32F2xx4xxOTPdata1", "SaveOTPDatatoFile1",
                                 "ReadOTPMemory1", "WriteOTPMemory1", "VerifyOTPMemory1"};
const char* const kOptionItems[] = {"ReadOptionByte1", "WriteOptionByte1"};

void Run(const std::function<void()>& hook) {
  if (hook) hook();
}

std::string BytesLabel(uint16_t size) {
  return size > 0 ? std::to_string(size) + " Bytes" : "NILL";
}

void SetOptionItemsEnabled(MainControls& c, bool enabled) {
  for (const char* n : kOptionItems) c.Action(n).Enabled = enabled;
}

void OtpTexts(MainControls& c) {
  c.EepTabCaption = "OTP Data";
  c.EnWrtEep.Caption = "允许写OTP数据。";
  c.lbEEPSize = "NILL";
  c.LabelEep = "OTP Memory: ";
}

void DataMemoryLayout(MainControls& c, const ChipInfo& chip) {
  const bool any = chip.EepSize > 0;
  c.EnWrtEep.Visible = any;
  c.EepTabVisible = any;
  if (!chip.HasOtp) {
    for (const char* n : kEepItems) c.Action(n).Visible = any;
    for (const char* n : kOtpItems) c.Action(n).Visible = false;
    c.EepTabCaption = "EEP Data";
    c.EnWrtEep.Caption = "允许写EEP数据。";
    c.LabelEep = "Data EEP: ";
  } else {
    for (const char* n : kEepItems) c.Action(n).Visible = false;
    for (const char* n : kOtpItems) c.Action(n).Visible = true;
    OtpTexts(c);
  }
}

void Stm32Layout(ChipChangeContext& ctx) {
  ChipInfo& chip = ctx.Chip;
  MainControls& c = ctx.Controls;
  if (chip.Needs18V && !ctx.Flags.Supports18V) {
    ctx.Log.HostLine(kAdapterNotice);
    ctx.Prompts.Message(PromptKind::Warning, kAdapterNotice);
  }
  c.RadioGpVolt.ItemIndex = kVolt33;
  c.RadioGpVolt.Enabled = false;
  if (!chip.BlueNrgMode) {
    Run(ctx.Hooks.ResetOptionBuffer);
    chip.Needs18V = false;
    ctx.Settings.ModeFlags &= static_cast<uint8_t>(~0x0C);
    SetOptionItemsEnabled(c, true);
    // A BlueTooth chip before this one hid the button.
    c.Action("SpdBtnWrtOPB").Visible = true;
    c.lbFlashSize = std::to_string(chip.FlashSizeKB) + " KB.";
  } else {
    ApplyBlueNrgLayout(chip, ctx.OptionBytes);
    c.Action("SpdBtnWrtOPB").Visible = false;
    SetOptionItemsEnabled(c, false);
    OtpTexts(c);
  }
}

void Stm8Layout(ChipChangeContext& ctx) {
  ChipInfo& chip = ctx.Chip;
  MainControls& c = ctx.Controls;
  Run(ctx.Hooks.ResetOptionBuffer);
  ctx.Settings.ModeFlags = static_cast<uint8_t>((ctx.Settings.ModeFlags & ~0x0C) |
                                                ChipModeBits(chip, false));
  chip.Needs18V = false;
  SetOptionItemsEnabled(c, true);
  c.Action("SpdBtnWrtOPB").Visible = true;
  if (chip.FamilyCode >= 0xE0) c.RadioGpVolt.ItemIndex = kVolt33;
  c.lbFlashSize = std::to_string(chip.FlashSizeKB) + " KB.";
  c.lbEEPSize = BytesLabel(chip.EepSize);
}

}  // namespace

bool SetMCUNameEdit(ChipChangeContext& ctx, const std::string& name) {
  if (ctx.Controls.MCUNameEdit == name) return false;
  ctx.Controls.MCUNameEdit = name;
  OnChipNameChanged(ctx);
  return true;
}

void OnChipNameChanged(ChipChangeContext& ctx) {
  ChipInfo& chip = ctx.Chip;
  MainControls& c = ctx.Controls;
  const bool stm32 = ctx.Flags.Stm32Family;

  ctx.Flags.ChipSelected = true;
  ctx.Flags.ImageLoaded = false;
  Run(ctx.Hooks.ClearFlashView);
  Run(ctx.Hooks.RebuildDataView);
  ctx.Settings.ModeFlags = 0x70;
  c.ActivePage = "ChipSett";
  Run(ctx.Hooks.SetupHexGrids);
  c.EnWrtEep.Checked = false;
  // The same rule as at start-up, so the menu does not depend on whether a
  // chip was ever chosen.
  ApplyFamilyMenus(c, stm32);

  if (!stm32) {
    c.RadioGpVolt.Enabled = true;
    c.RadioGpVolt.ItemIndex = kVolt50;
    c.EnWrtEep.Visible = true;
    c.EepTabVisible = true;
    c.Action("SpdBtnBlankChk").Visible = false;
    c.Action("SpdBtnErase").Visible = false;
  } else {
    c.RadioGpVolt.ItemIndex = kVolt33;
    c.EnWrtEep.Visible = false;
    c.Action("SpdBtnBlankChk").Visible = true;
    c.Action("SpdBtnErase").Visible = true;
    c.EepTabVisible = false;
  }

  DataMemoryLayout(c, chip);

  ctx.Log.HostLine("Chip \"" + chip.ChipName + "\" is selectd at " + ctx.Log.clock().DateText());
  if (stm32)
    Stm32Layout(ctx);
  else
    Stm8Layout(ctx);

  if (ctx.Hooks.SetLoadRange) ctx.Hooks.SetLoadRange(chip.FlashBase, chip.FlashEnd);
  if (chip.EepSize > 0) chip.EepEnd = chip.EepBase + chip.EepSize - 1;
  c.lbEEPSize = BytesLabel(chip.EepSize);
  // The family layout shows buttons the unattended job has no use for; the
  // command line keeps them hidden for its whole run.
  if (ctx.Flags.CommandLineMode)
    for (const char* n : kCommandLineHiddenButtons) c.Action(n).Visible = false;
  c.Changed();
}

void ApplyChipDialogOk(ChipChangeContext& ctx, const ChipSelectModel& dialog) {
  ChipInfo confirmed = ctx.Chip;
  const bool stm32 = dialog.Confirm(confirmed);
  // The descriptor in use carries what the chip change did to it (the
  // BlueTooth memory layout, the 1.8 V notice given). Confirming the same
  // chip again must not put the bare rule values back under a window that
  // no longer adapts, since its name did not change.
  const bool sameChip = ctx.Flags.ChipSelected && confirmed.ChipName == ctx.Controls.MCUNameEdit &&
                        stm32 == ctx.Flags.Stm32Family &&
                        confirmed.FamilyCode == ctx.Chip.FamilyCode;
  if (!sameChip) {
    ctx.Chip = confirmed;
    ctx.Flags.Stm32Family = stm32;
    // A typed name that is the current one, under another series, is
    // another chip all the same.
    if (!SetMCUNameEdit(ctx, ctx.Chip.ChipName)) OnChipNameChanged(ctx);
  }
  MainControls& c = ctx.Controls;
  c.lbFlashSize = std::to_string(ctx.Chip.FlashSizeKB) + "K";
  c.lbEEPSize = ctx.Chip.EepSize > 0 ? std::to_string(ctx.Chip.EepSize) + "Byte" : "NILL";
  c.Changed();
}

void OnVoltageChosen(MainControls& controls, const JobFlags& flags, OperatorPrompts& prompts,
                     int itemIndex) {
  controls.RadioGpVolt.ItemIndex = itemIndex;
  if (itemIndex == kVolt18 && !flags.Supports18V)
    prompts.Message(PromptKind::Information, kNo18VNotice);
}

}  // namespace korvel
