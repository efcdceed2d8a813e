// TSTM32F1xOptByteForm: STM32F0, F1, F3 and W, eight value/complement pairs
// (RDP, USER, Data0, Data1, WRP0..WRP3).
#include <string>

#include "optionbytes/EditorRows.h"
#include "optionbytes/EditorTables.h"

namespace korvel {
namespace {

bool IsF1(const EditorChip& c) { return c.FamilyCode < 0x10; }
bool IsF0OrF3(const EditorChip& c) { return c.FamilyCode == 0x10 || c.FamilyCode == 0x50; }
// STM32F04x and STM32F09x set their boot pins through option bits.
bool HasBootBits(const EditorChip& c) {
  return c.FamilyCode == 0x10 && (c.NameChar(8) == '4' || c.NameChar(8) == '9');
}
bool HasBoot1Radios(const EditorChip& c) { return IsF0OrF3(c) && !HasBootBits(c); }
bool NotW(const EditorChip& c) { return c.FamilyCode != 0x30; }

int PairComplement(int offset) { return offset >= 0 && offset < 16 && offset % 2 == 0 ? offset + 1 : -1; }

ControlRow RadioRow(std::string name, std::string group, std::string caption, uint8_t bit, bool set,
                    ChipRule visible = nullptr, ChipRule enabled = nullptr) {
  ControlRow row;
  row.Name = std::move(name);
  row.Kind = ControlKind::Radio;
  row.Group = std::move(group);
  row.Caption = caption;
  row.Offset = 2;
  row.Mask = static_cast<uint8_t>(1u << bit);
  row.Items = {BitItems(bit, caption, caption)[set ? 1 : 0]};
  row.Visible = visible;
  row.Enabled = enabled;
  return row;
}

// One byte set bit by bit on eight right-click panels, PnlD0B7 .. PnlD0B0.
void AddBitPanels(EditorTable& table, const std::string& prefix, const std::string& group,
                  int offset) {
  for (int bit = 7; bit >= 0; --bit) {
    ControlRow row;
    row.Name = prefix + "B" + std::to_string(bit);
    row.Kind = ControlKind::BitPanel;
    row.Group = group;
    row.Offset = offset;
    row.Mask = static_cast<uint8_t>(1u << bit);
    row.Items = BitItems(static_cast<uint8_t>(bit), "0", "1");
    const std::string stem = "Bit" + std::to_string(bit) + "=";
    row.LabelTexts = {stem + "0", stem + "1"};
    row.Hint = kRightClickHint;
    table.Rows.push_back(std::move(row));
  }
}

EditorTable Build() {
  EditorTable t;
  t.FormName = "TSTM32F1xOptByteForm";
  t.ComplementOf = PairComplement;
  t.Groups = {
      {"GroupROP", "Read Out Protection", "", "PanelSTM32xROP", 0, "PanelSTM32xROPN", 1, nullptr},
      {"GroupUSER", "USER", "", "STM32xOptUSER", 2, "STM32xOptUSERN", 3, nullptr},
      {"BootPanel", "BOOT", "", "", -1, "", -1, HasBootBits},
      {"GroupData0", "Data0", "", "STM32xOptD0", 4, "STM32xOptD0N", 5, nullptr},
      {"GroupData1", "Data1", "", "STM32xOptD1", 6, "STM32xOptD1N", 7, nullptr},
      {"GroupWRP0", "WRP0", "", "STM32xOptP0", 8, "STM32xOptP0N", 9, nullptr},
      {"GroupWRP1", "WRP1", "", "STM32xOptP1", 10, "STM32xOptP1N", 11, nullptr},
      {"GroupWRP2", "WRP2", "", "STM32xOptP2", 12, "STM32xOptP2N", 13, nullptr},
      {"GroupWRP3", "WRP3", "", "STM32xOptP3", 14, "STM32xOptP3N", 15, nullptr},
  };

  // Read-out protection: a radio pair on F1, a level box on F0/F3, nothing
  // on W.
  ControlRow drop = RopRadio("STM32xDROP", "GroupROP", "Disable Read Out Protection", 0xA5, true);
  drop.Items[0].PanelText = "0xA5";
  drop.Panel = "PanelSTM32xROP";
  drop.Visible = IsF1;
  t.Rows.push_back(drop);
  // Writes 0x00, shown for anything but 0xA5.
  ControlRow erop = RopRadio("STM32xEROP", "GroupROP", "Enable Read Out Protection", 0xA5, false);
  erop.Items[0].PanelText = "0x00";
  erop.Panel = "PanelSTM32xROP";
  erop.Visible = IsF1;
  t.Rows.push_back(erop);
  // This form's warning has its own word order.
  t.Rows.push_back(
      RdpShortCombo("ComBoxM0ROP", "GroupROP", 0, "警告：选择此设置芯片将不能再擦除和编程（OTP）!", IsF0OrF3));

  // USER bits.
  t.Rows.push_back(RadioRow("RadBtnIWGSW", "GroupUSER", "1 : Software watcchdog.", 0, true, nullptr, NotW));
  t.Rows.push_back(RadioRow("RadBtnIWGHW", "GroupUSER", "0 : Hardware watchdog.", 0, false, nullptr, NotW));
  t.Rows.push_back(RadioRow("RadBtnNtRstStp", "GroupUSER", "1 : No reset generated.", 1, true, nullptr, NotW));
  t.Rows.push_back(RadioRow("RadBtnRstStp", "GroupUSER", "0 : Reset generated when Entering Stop.", 1, false,
                            nullptr, NotW));
  t.Rows.push_back(RadioRow("RadBtnNtRstStb", "GroupUSER", "1 : No reset generated.", 2, true, nullptr, NotW));
  t.Rows.push_back(RadioRow("RadBtnRstStb", "GroupUSER", "0 : Reset generated when Entering Standby.", 2, false,
                            nullptr, NotW));
  t.Rows.push_back(RadioRow("RadioBtnBotE1", "GroupUSER", "1 : nBOOT1=1", 4, true, HasBoot1Radios));
  t.Rows.push_back(RadioRow("RadioBtnBotE0", "GroupUSER", "0 : nBOOT1=0", 4, false, HasBoot1Radios));
  t.Rows.push_back(RadioRow("RadioBtnVssEN", "GroupUSER", "1 : VDDA power supply supervisor enabled", 5, true,
                            IsF0OrF3));
  t.Rows.push_back(RadioRow("RadioBtnVssDN", "GroupUSER", "0 : VDDA power supply supervisor disabled", 5, false,
                            IsF0OrF3));
  t.Rows.push_back(RadioRow("RadioBtnRPCDn", "GroupUSER", "1 : RAM Parity check disabled", 6, true, IsF0OrF3));
  t.Rows.push_back(RadioRow("RadioBtnRPCEn", "GroupUSER", "0 : RAM Parity check enabled", 6, false, IsF0OrF3));

  // Boot bits of the F04x/F09x.
  t.Rows.push_back(ComboRow("ComBoxBT0", "BootPanel", 2, 0x08,
                            IndexItems(0x08, {"nBOOT0 Bit = 0", "nBOOT0 Bit = 1"}), HasBootBits));
  t.Rows.push_back(ComboRow("ComBoxBT1", "BootPanel", 2, 0x10,
                            IndexItems(0x10, {"nBOOT1 Bit = 0", "nBOOT1 Bit = 1"}), HasBootBits));
  t.Rows.push_back(ComboRow("ComBoxBTS", "BootPanel", 2, 0x80,
                            IndexItems(0x80, {"BOOT_SEL = 0", "BOOT_SEL = 1"}), HasBootBits));

  AddBitPanels(t, "PnlD0", "GroupData0", 4);
  AddBitPanels(t, "PnlD1", "GroupData1", 6);
  AddBitPanels(t, "PnlP0", "GroupWRP0", 8);
  AddBitPanels(t, "PnlP1", "GroupWRP1", 10);
  AddBitPanels(t, "PnlP2", "GroupWRP2", 12);
  AddBitPanels(t, "PnlP3", "GroupWRP3", 14);
  return t;
}

}  // namespace

const EditorTable& Stm32F1EditorTable() {
  static const EditorTable table = Build();
  return table;
}

}  // namespace korvel
