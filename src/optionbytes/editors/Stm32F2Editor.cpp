// TSTM32F2xOptByteForm: STM32F2 and F4. Offsets 0 to 3 are the option
// control word in chip order (0 USER, 1 RDP, 2 and 3 nWRP with SPRMOD in
// bit 7 of 3); dual-bank chips keep the second word at 4 to 7, its nWRP bits
// for sectors 12 to 23 at offsets 6 and 7. No complements.
#include <string>

#include "optionbytes/EditorRows.h"
#include "optionbytes/EditorTables.h"
#include "optionbytes/OptionEditorModel.h"

namespace korvel {
namespace {

bool DualBank(const EditorChip& c) { return c.DualBank; }
bool SingleBank(const EditorChip& c) { return !c.DualBank; }
template <int KB>
bool Above(const EditorChip& c) {
  return c.FlashSizeKB > KB;
}
// Every F2/F4 but the F42x/F43x and the last four F4 entries keeps bit 4 of
// the USER byte set whenever the reset and watchdog boxes write it.
bool SetsUserBit4(const EditorChip& c) { return c.SubCode < 32; }

// Where the nWRP bit of a sector lives: sectors 0..11 in offsets 2 and 3,
// the second bank's 12..23 in offsets 6 and 7 (bits 0..3 of the odd byte).
int SectorOffset(int sector) {
  const int base = sector < 12 ? 2 : 6;
  const int n = sector % 12;
  return base + (n < 8 ? 0 : 1);
}
uint8_t SectorMask(int sector) { return static_cast<uint8_t>(1u << ((sector % 12) % 8)); }

std::string SingleBankCaption(const OptionBuffer& b, const EditorChip&) {
  return FormatHex(" nWRPi = 0x%0.4x ", unsigned{b[3]} * 256 + b[2]);
}
std::string SingleBankShowCaption(const OptionBuffer& b, const EditorChip&) {
  return " nWRPi = 0x" + FormatHex("%0.2x", b[3]) + FormatHex("%0.2x", b[2]);
}
std::string DualBankCaption(const OptionBuffer& b, const EditorChip&) {
  std::string s = " nWRPi =";
  for (int o : {2, 3, 6, 7}) s += FormatHex(" %0.2x", b[static_cast<std::size_t>(o)]);
  return s + " ";
}

// A USER bit box whose "1" item also sets the bits of also1; every write of
// it sets bit 4 on the chips that keep it set.
ControlRow UserBitCombo(std::string name, uint8_t bit, uint8_t also1, std::string text0,
                        std::string text1) {
  auto items = BitItems(bit, std::move(text0), std::move(text1));
  items[1].Set |= also1;
  ControlRow row = ComboRow(std::move(name), "GroupUSER", 0, static_cast<uint8_t>(1u << bit), std::move(items));
  row.Extra = {0, 0, 0x10, SetsUserBit4};
  return row;
}

// A ticked box protects its sector (clears its nWRP bit).
ControlRow SectorBox(std::string name, std::string group, std::string caption, int sector,
                     ChipRule visible) {
  ControlRow row;
  row.Name = std::move(name);
  row.Kind = ControlKind::CheckBox;
  row.Group = std::move(group);
  row.Caption = std::move(caption);
  row.Offset = SectorOffset(sector);
  row.Mask = SectorMask(sector);
  const auto items = BitItems(static_cast<uint8_t>((sector % 12) % 8), "", "");
  row.Items = {items[1], items[0]};  // unticked sets the bit, ticked clears it
  row.Visible = visible;
  return row;
}

ChipRule SectorVisible(int sector) {
  const int n = sector % 12;
  if (sector >= 12 || n >= 8) return Above<512>;
  if (n >= 6) return Above<256>;
  return nullptr;
}

ControlRow Caption(std::string name, std::string group, DisplayText text, DisplayText show) {
  ControlRow row;
  row.Name = std::move(name);
  row.Kind = ControlKind::Display;
  row.Group = std::move(group);
  row.Text = text;
  row.ShowText = show;
  return row;
}

EditorTable Build() {
  EditorTable t;
  t.FormName = "TSTM32F2xOptByteForm";
  t.Groups = {
      {"GroupROP", "Read Out Protection", "", "EditROP2x1", 1, "", -1, nullptr},
      {"GroupUSER", "User Option Byte", "", "EditOPT2x1", 0, "", -1, nullptr},
      {"GroupWRP", "Write Protection", "", "", -1, "", -1, SingleBank},
      {"GroupWRP4x", "Write Protection", "", "", -1, "", -1, DualBank},
  };

  t.Rows.push_back(RdpShortCombo("ComF2xBoxROP", "GroupROP", 1, kOtpWarning));

  t.Rows.push_back(UserBitCombo("ComF2xBoxSTDBY", 7, 0x01, "0 : Reset generated when entering the Standby mode",
                                "1 : No reset generated"));
  t.Rows.push_back(UserBitCombo("ComF2xBoxSTOP", 6, 0x03, "0 : Reset generated when entering the stop mode",
                                "1 : No reset generated."));
  t.Rows.push_back(UserBitCombo("ComF2xBoxWDG", 5, 0x03, "0 : hardware watchdog", "1 : software watchdog"));
  t.Rows.push_back(ComboRow("ComBox4xBFB2", "GroupUSER", 0, 0x10,
                         BitItems(4, "0 : Boot from flash bank1 or system memory according to boot pin",
                                  "1 : Boot always from system memory(Dual bank boot mode)"),
                         DualBank));
  // The level goes into bits 3:2; bit 1 is cleared with it.
  auto bor = IndexItems(0x0C, {"00 : BOR level3(VBOR3). reset threshold level from 2.70 to 3.60V",
                               "01 : BOR level2(VBOR2). reset threshold level from 2.40 to 2.70V",
                               "10 : BOR level1(VBOR1). reset threshold level from 2.10 to 2.40V",
                               "11 : BOR off(VBOR0). reset threshold level from 1.80 to 2.10V"});
  for (auto& item : bor) item.Clear = 0x0E;
  t.Rows.push_back(ComboRow("ComF2xBoxBOR", "GroupUSER", 0, 0x0C, bor));

  // Single bank: twelve sectors, SPRMOD chooses write or PCROP protection.
  t.Rows.push_back(Caption("RadioGroupWRP", "GroupWRP", SingleBankCaption, SingleBankShowCaption));
  for (int s = 0; s < 12; ++s)
    t.Rows.push_back(SectorBox("ChkBoxWRP" + std::to_string(s), "GroupWRP",
                               "Write protect active on sector " + std::to_string(s) + ".", s,
                               SectorVisible(s)));
  t.Rows.push_back(LabelRow("LabelSPRMOD", "GroupWRP", "SPRMOD"));
  t.Rows.push_back(ComboRow("ComBox411SPRM", "GroupWRP", 3, 0x80,
                         IndexItems(0x80, {"0 : nWRPi bits used for Write Protection on sector i (default)",
                                           "1 : nWRPi bits used for PcROP Protection on sector i"})));

  // Dual bank: 24 sectors over both banks.
  t.Rows.push_back(Caption("RadioGrpWRP4x", "GroupWRP4x", DualBankCaption, nullptr));
  t.Rows.push_back(
      ComboRow("ComBoxSPRMOD", "GroupWRP4x", 3, 0x80,
            IndexItems(0x80, {"0:PcROP Disabled,nWRPi bits used for Write Protection on setor i",
                              "1:PcROP Enabled,nWRPi bits used for PcROP Protection on setor i"})));
  for (int s = 0; s < 24; ++s)
    t.Rows.push_back(SectorBox("ChkBoxPcROP" + std::to_string(s), "GroupWRP4x",
                               "Write protected or RcROP active on sector " + std::to_string(s) + ".", s,
                               SectorVisible(s)));
  return t;
}

}  // namespace

const EditorTable& Stm32F2EditorTable() {
  static const EditorTable table = Build();
  return table;
}

}  // namespace korvel
