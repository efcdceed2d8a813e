#include "engine/ShowJobSettings.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "target/ProjectFormat.h"

namespace korvel {

namespace {

// A stored value outside the control's range shows as the nearest one the
// control can hold, as the window's spin box would.
void ShowSpin(SpinEditState& spin, int64_t value) {
  if (spin.Max > spin.Min) value = std::clamp<int64_t>(value, spin.Min, spin.Max);
  spin.Value = static_cast<int>(value);
}

void ShowItem(RadioGroupState& group, int index) {
  const int last = group.Items.empty() ? index : static_cast<int>(group.Items.size()) - 1;
  group.ItemIndex = std::clamp(index, 0, std::max(last, 0));
}

std::string Hex8(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08x", v);
  return text;
}

std::string StepText(uint16_t step) {
  // GainEdit holds four characters: "0x" and two digits, else decimal.
  if (step <= 0xFF) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", step);
    return text;
  }
  return std::to_string(step);
}

}  // namespace

void ShowJobSettings(MainControls& c, const JobSettings& s, uint8_t snDisplay) {
  ShowItem(c.RadioGrpSpdF, (s.ModeFlags & kModeHighSpeed) ? 1 : 0);
  c.VfyChkBox.Checked = (s.ModeFlags & kModeVerifyAfter) != 0;
  c.ChkBoxSNDP.Checked = (snDisplay & kProjectSnDecimal) != 0;
  c.SNOrderChk.Checked = (snDisplay & kProjectSnStOrder) != 0;

  ShowItem(c.RadioGpVolt, s.PowerFlags & kPowerVoltMask);
  c.ChkBoxNotBlk.Checked = (s.PowerFlags & kPowerNotBlankError) != 0;
  c.EnWrtEep.Checked = s.EepEnabled;
  c.ChkBoxIgnOptB.Checked = (s.OptionFlags & kOptionSkipOptionBytes) != 0;

  c.ChkBoxAuto.Checked = s.AutoDetect != 0;
  ShowSpin(c.SpinEditIn, int64_t{s.InsertSettleTime} * 30);
  ShowSpin(c.SpinEditOut, int64_t{s.RemoveSettleTime} * 30);
  ShowSpin(c.SpinEditVddTim, int64_t{s.PowerUpDelay} * 10);
  ShowSpin(c.SpinEditRstTim, int64_t{s.PowerDownDelay} * 10);

  c.ChkBoxVDD.Checked = (s.SignalFlags & 0x30) == 0;
  ShowItem(c.RadioGrpRST, s.SignalFlags & 0x03);
  c.CheckBoxRun.Checked = (s.SignalFlags & 0x04) != 0;

  c.CheckBoxCtrl.Checked = s.LimitFlag != 0;
  if (c.CheckBoxCtrl.Checked) ShowSpin(c.SpinEditNum, s.MaxCount);

  c.CheckBoxSN.Checked = s.SnMode != kSnOff;
  c.ChkBoxStrSN.Checked = s.SnMode == kSnAscii;
  c.GainEdit.Text = StepText(s.SnStep);
  if (c.CheckBoxSN.Checked) {
    c.SNEdit.Text = c.ChkBoxSNDP.Checked ? std::to_string(s.SnValue) : Hex8(s.SnValue);
    c.AddrEdit.Text = Hex8(s.SnAddress);
  }
  c.ApplyEnablingRules();
  c.Changed();
}

}  // namespace korvel
