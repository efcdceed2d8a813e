#include "app/CaptureJobSettings.h"

#include "app/IntegerText.h"

namespace korvel {

namespace {

uint8_t SettleUnits(int ms) { return static_cast<uint8_t>(ms / 30); }
uint8_t DelayUnits(int ms) { return static_cast<uint8_t>(ms / 10); }

uint8_t SnModeOf(const MainControls& c) {
  if (!c.CheckBoxSN.Checked) return kSnOff;
  if (c.ChkBoxStrSN.Checked) return kSnAscii;
  if (c.ChkBoxSNDP.Checked) return kSnDecimal;
  return kSnHex;
}

}  // namespace

std::optional<std::string> CaptureJobSettings(MainControls& c, JobSettings& s,
                                              const CaptureChip& chip) {
  // Every text field is read before anything is written: a field that is
  // not a number leaves the settings and the controls exactly as they were.
  const auto step = ParseInteger(c.GainEdit.Text);
  if (!step) return NotAnIntegerMessage(c.GainEdit.Text);
  std::optional<int64_t> address;
  std::optional<uint32_t> value;
  if (c.CheckBoxSN.Checked) {
    value = ParseUnsigned32(c.SNEdit.Text);
    if (!value) return NotAnIntegerMessage(c.SNEdit.Text);
    address = ParseInteger(c.AddrEdit.Text);
    if (!address) return NotAnIntegerMessage(c.AddrEdit.Text);
  }

  // ModeFlags: the chip bits (2..3) and verify-after (6) belong to others.
  uint8_t mode = s.ModeFlags & ~(kModeHighSpeed | kModeSnStOrder | kModeSnDecimal);
  if (c.RadioGrpSpdF.ItemIndex == 1) mode |= kModeHighSpeed;
  if (c.SNOrderChk.Checked) mode |= kModeSnStOrder;
  if (c.ChkBoxSNDP.Checked) mode |= kModeSnDecimal;
  s.ModeFlags = mode;

  uint8_t power = s.PowerFlags & ~(kPowerVoltMask | kPowerNotBlankError | kPowerEepEnabled);
  power |= static_cast<uint8_t>(c.RadioGpVolt.ItemIndex) & kPowerVoltMask;
  if (c.ChkBoxNotBlk.Checked) power |= kPowerNotBlankError;
  s.PowerFlags = power;  // bit 4 follows EepEnabled at the end

  if (c.ChkBoxIgnOptB.Checked) s.OptionFlags |= kOptionSkipOptionBytes;
  else s.OptionFlags &= ~kOptionSkipOptionBytes;

  s.AutoDetect = c.ChkBoxAuto.Checked ? 0x0F : 0;
  s.InsertSettleTime = SettleUnits(c.SpinEditIn.Value);
  s.RemoveSettleTime = SettleUnits(c.SpinEditOut.Value);
  s.PowerUpDelay = DelayUnits(c.SpinEditVddTim.Value);
  s.PowerDownDelay = DelayUnits(c.SpinEditRstTim.Value);

  uint8_t signal = 0;
  if (!c.ChkBoxVDD.Checked) signal |= 0x30;
  signal |= static_cast<uint8_t>(c.RadioGrpRST.ItemIndex) & 0x03;
  if (c.CheckBoxRun.Checked) signal |= 0x04;
  s.SignalFlags = signal;

  if (c.CheckBoxCtrl.Checked) {
    s.LimitFlag = 0x0F;
    s.MaxCount = static_cast<uint32_t>(c.SpinEditNum.Value);
    // A limit of nothing is no limit: untick so the operator sees it.
    if (c.SpinEditNum.Value == 0) {
      c.CheckBoxCtrl.Checked = false;
      c.ApplyEnablingRules();
    }
  } else {
    s.LimitFlag = 0;
    s.MaxCount = 0xFFFFFFFF;
  }

  s.SnWidth = 4;
  s.SnMode = SnModeOf(c);
  if (c.CheckBoxSN.Checked) {
    s.SnStep = static_cast<uint16_t>(*step);
    s.SnValue = *value;
    s.SnAddress = static_cast<uint32_t>(*address);
    if (chip.SnAddressInDataMemory && chip.SnAddressInDataMemory(s.SnAddress))
      c.EnWrtEep.Checked = true;
  } else {
    s.SnStep = static_cast<uint16_t>(*step);
    s.SnValue = 0;
    s.SnAddress = 0xFFFFFFFF;
  }

  s.EepEnabled = c.EnWrtEep.Checked && chip.HasEep;
  if (s.EepEnabled) s.PowerFlags |= kPowerEepEnabled;
  c.Changed();
  return std::nullopt;
}

}  // namespace korvel
