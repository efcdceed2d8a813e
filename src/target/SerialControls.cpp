#include "target/SerialControls.h"

#include <cstdio>

#include "app/IntegerText.h"
#include "target/SerialNumber.h"

namespace korvel {

namespace {

std::string Hex8(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08x", unsigned(v));
  return text;
}

}  // namespace

void OnCheckBoxSNClick(MainControls& c, JobSettings& s) {
  s.SnMode = c.CheckBoxSN.Checked ? kSnHex : kSnOff;
  c.ApplyEnablingRules();
  c.Changed();
}

void OnChkBoxSNDPClick(MainControls& c, OperatorPrompts& prompts) {
  c.ApplyEnablingRules();
  if (auto value = ParseUnsigned32(c.SNEdit.Text))
    c.SNEdit.Text = SerialText(*value, c.ChkBoxSNDP.Checked);
  else
    prompts.Message(PromptKind::Error, NotAnIntegerMessage(c.SNEdit.Text));
  c.Changed();
}

void OnChkBoxStrSNClick(MainControls& c, OperatorPrompts& prompts) {
  if (c.ChkBoxSNDP.Checked != c.ChkBoxStrSN.Checked) {
    c.ChkBoxSNDP.Checked = c.ChkBoxStrSN.Checked;
    return OnChkBoxSNDPClick(c, prompts);
  }
  c.ApplyEnablingRules();
  c.Changed();
}

bool OnAddrEditExit(const MainControls& c, const JobFlags& flags, const ChipInfo& chip,
                    OperatorPrompts& prompts) {
  if (!flags.ChipSelected) return false;
  const auto address = ParseUnsigned32(c.AddrEdit.Text);
  if (!address) {
    prompts.Message(PromptKind::Error, NotAnIntegerMessage(c.AddrEdit.Text));
    return true;
  }
  if (ValidSnAddress(chip, *address)) return false;
  return prompts.Message(PromptKind::Warning, kSnAddressOutsideChip, {PromptButton::Ok, PromptButton::Ignore}) ==
         PromptButton::Ok;
}

bool OnButtonCfgSNClick(const JobFlags& flags, OperatorPrompts& prompts) {
  if (flags.ChipSelected && flags.ImageLoaded) return true;
  prompts.Message(PromptKind::Warning, kSelectChipAndLoadFirst);
  return false;
}

std::optional<std::string> ApplySerialOptions(MainControls& c, JobSettings& s, const ChipInfo& chip,
                                              const SerialOptions& o) {
  const uint32_t address = o.Address ? *o.Address : ParseUnsigned32(c.AddrEdit.Text).value_or(0x0000FFF0);
  if (!ValidSnAddress(chip, address)) {
    std::string why = "serial-number address " + Hex8(address) + " lies outside " + chip.ChipName +
                      " (flash " + Hex8(chip.FlashBase) + ".." + Hex8(chip.FlashEnd);
    if (chip.EepSize > 0) why += ", data memory " + Hex8(chip.EepBase) + ".." + Hex8(chip.EepEnd);
    return why + ")";
  }
  c.CheckBoxSN.Checked = true;
  c.ChkBoxPCSN.Checked = true;
  c.ChkBoxStrSN.Checked = o.Ascii;
  c.ChkBoxSNDP.Checked = o.Decimal || o.Ascii;
  c.SNOrderChk.Checked = !o.LsbFirst;
  c.SNEdit.Text = SerialText(o.Value, c.ChkBoxSNDP.Checked);
  const uint16_t step = o.Step.value_or(1);
  char text[16];
  std::snprintf(text, sizeof text, step <= 0xFF ? "0x%02x" : "%u", unsigned(step));
  c.GainEdit.Text = text;
  c.AddrEdit.Text = Hex8(address);
  s.SnMode = kSnHex;  // the capture before the run settles the mode
  c.ApplyEnablingRules();
  c.Changed();
  return std::nullopt;
}

}  // namespace korvel
