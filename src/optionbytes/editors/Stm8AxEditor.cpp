// TOptionByteM8AxForm: STM8S, STM8AF, STM8AH, STM8AL and STM8TL. Laid out
// like the chip's option area, one row per option byte (value at 0x4800 + N,
// complement right after it); the TMU keys are the only bytes OK writes.
#include <string>

#include "optionbytes/EditorRows.h"
#include "optionbytes/EditorTables.h"

namespace korvel {
namespace {

// The automotive lines (0xC0, 0xCA) against the STM8S codes (0xD0..0xD9).
bool IsAuto(const EditorChip& c) { return c.FamilyCode < 0xD0; }
// An STM8 selection keeps the sub code the last STM32 chip or project left,
// and the form tells the two automotive layouts apart by it.
bool IsAutoHigh(const EditorChip& c) { return IsAuto(c) && c.SubCode >= 100; }
bool NotAutoHigh(const EditorChip& c) { return !IsAutoHigh(c); }
// The smallest 0xC0 parts have neither TMU nor a boot-loader byte.
bool BigEnough(const EditorChip& c) { return c.FamilyCode != 0xC0 || c.FlashSizeKB > 8; }
bool HasTmuKeys(const EditorChip& c) { return IsAuto(c) && BigEnough(c); }
bool HasTrim(const EditorChip& c) { return IsAutoHigh(c) || c.FamilyCode == 0xD6 || c.FamilyCode == 0xD9; }
bool HasWaitState(const EditorChip& c) { return IsAuto(c) || c.FamilyCode == 0xD0 || c.FamilyCode == 0xD3; }
bool HasBootLoader(const EditorChip& c) { return IsAuto(c) ? BigEnough(c) : c.FamilyCode != 0xD9; }

int Stm8Complement(int offset) {
  if (offset == 126) return 127;
  return offset >= 1 && offset <= 13 && offset % 2 == 1 ? offset + 1 : -1;
}

ControlRow AfrMenu(int n, const char* cleared, const char* set, ChipRule applies = nullptr) {
  const std::string bit = std::to_string(n);
  // The form's own spelling of the AFR7 menu.
  ControlRow row = BitMenu(n == 7 ? "PopMenuARF7" : "PopMenuAFR" + bit, "PanelAFR", 3, static_cast<uint8_t>(n),
                           cleared, set, "lbAFR" + bit, "AFR" + bit + "=0", "AFR" + bit + "=1");
  if (n >= 2) row.Visible = NotAutoHigh;
  row.Applies = applies;
  return row;
}

ControlRow CheckRow(std::string name, std::string group, std::string caption, int offset, uint8_t ticked) {
  ControlRow row;
  row.Name = std::move(name);
  row.Kind = ControlKind::CheckBox;
  row.Group = std::move(group);
  row.Caption = caption;
  row.Offset = offset;
  row.Items = ValueItems(0xFF, {{caption, 0x00}, {caption, ticked}});
  return row;
}

ControlRow KeyRow(std::string name, int offset) {
  ControlRow row;
  row.Name = std::move(name);
  row.Kind = ControlKind::KeyEdit;
  row.Group = "TMU_Panel";
  row.Offset = offset;
  row.MaxLength = 2;
  row.EditFormat = "%0.2x";
  row.OkOnly = true;
  // The STM8S have no TMU: their OK leaves offsets 16..24 alone.
  row.WriteRule = IsAuto;
  return row;
}

EditorTable Build() {
  EditorTable t;
  t.FormName = "TOptionByteM8AxForm";
  t.ComplementOf = Stm8Complement;
  t.Groups = {
      {"PanelROP", "ROP", "0x4800", "", -1, "", -1, nullptr},
      {"PanelUBC", "UBC", "0x4801", "lbOPT1V", 1, "lbOPT1NV", 2, nullptr},
      {"PanelAFR", "AFR", "0x4803", "lbOPT2V", 3, "lbOPT2NV", 4, nullptr},
      {"PanelWDT", "WDT", "0x4805", "lbOPT3V", 5, "lbOPT3NV", 6, nullptr},
      {"PanelCLK", "Clock Option", "0x4807", "lbOPT4V", 7, "lbOPT4NV", 8, nullptr},
      {"PanelHSE", "HSE CLK", "0x4809", "lbOPT5V", 9, "lbOPT5NV", 10, nullptr},
      {"PanelOPT6", "", "0x480B", "lbOPT6V", 11, "lbOPT6NV", 12, nullptr},
      {"PanelWAT", "Flash wait State", "0x480D", "lbOPT7V", 13, "lbOPT7NV", 14, HasWaitState},
      {"TMU_Panel", "TMU", "", "", -1, "", -1, HasTmuKeys},
      {"PanelBot", "Bootloader", "0x487E", "plBootV", 126, "plBootNV", 127, HasBootLoader},
  };

  // ROP has no complement. Its value panel reads "0xAA" / "0x00" after a
  // button and the byte itself when the form is shown; it hangs on the
  // "otherwise" button, the one that changes state whatever ROP held.
  t.Rows.push_back(RopRadio("RadioBtnRopEn", "PanelROP", "Enable Read Out Protection", 0xAA, true));
  ControlRow dn = RopRadio("RadioBtnRopDn", "PanelROP", "Disable Read Out Protection", 0xAA, false);
  dn.Label = "lbOPT0V";
  dn.LabelTexts = {"0xAA", "0x00"};
  dn.ShowLabelTexts = {"0x%0.2x", "0x%0.2x"};
  t.Rows.push_back(dn);

  t.Rows.push_back(SpinRow("SpinEditUBC", "PanelUBC", 1, 0xFF, 255));
  t.Rows.push_back(LabelRow("LabelUBC0", "PanelUBC", "0x00: No UBC, No Write protection"));
  t.Rows.push_back(LabelRow("LabelUBC1", "PanelUBC", "0x01: Page0,Page1 use as UBC Write Protection"));
  t.Rows.push_back(LabelRow("LabelUBC2", "PanelUBC", "0x02~0xFF: Page2-Page255 use as UBC Write Protection"));

  // Alternate functions. AFR1 and AFR0 mean other pins on the second
  // automotive layout, where AFR7..AFR2 are not offered at all.
  t.Rows.push_back(AfrMenu(7, "&0: Port D4 =TIM2_CC1", "&1: Port D4=BEEP"));
  t.Rows.push_back(AfrMenu(6, "&0: Port B5=AIN5, B4=AIN4", "&1: Port B5=I2C_SDA, B4=I2C_SCL"));
  t.Rows.push_back(AfrMenu(5, "&0: Port B3=AIN3, B2=AIN2, B1=AIN1, B0=AIN0",
                           "&1: Port B3=TIM1_ETR, B2=TIM1_NCC3, B1=TIM1_NCC2, B0=TIM1_NCC1"));
  t.Rows.push_back(AfrMenu(4, "&0: Port D7=TLi", "&1: Port D7=TIM1_CC4"));
  t.Rows.push_back(AfrMenu(3, "&0: Port D0=TIM3_CC2", "&1: Port D0=TIM1_BKIN"));
  t.Rows.push_back(AfrMenu(2, "&0: Port D0=TIM3_CC2", "&1: Port D0=CLK_CCO"));
  t.Rows.push_back(AfrMenu(1, "&0: Port A3=TIM2_CC3, Port D2=TIM3_CC1", "&1: Port A3=TIM3_CC1, Port D2=TIM2_CC3",
                           NotAutoHigh));
  t.Rows.push_back(AfrMenu(1, "&0: Port D4=TIM2_CC1", "&1: Port D4=Beeper", IsAutoHigh));
  t.Rows.push_back(AfrMenu(0, "&0: Port D3=TIM2_CC2", "&1: Port D3=ADC_ETR", NotAutoHigh));
  t.Rows.push_back(AfrMenu(0, "&0: I2C Function on Ports I4/I5", "&1: I2C Function on Ports J4/J5", IsAutoHigh));

  // Watchdogs, LSI and HSI trimming.
  t.Rows.push_back(BitMenu("PopMenuWWDGH", "PanelWDT", 5, 0, "&0:WWDG no Reset in Halt", "&1:WWDG has Reset in Halt",
                           "lbHALT", "_HALT", "_RST"));
  t.Rows.push_back(BitMenu("PopMenuWWDGS", "PanelWDT", 5, 1, "&0:WWDG Activated by Software",
                           "&1:WWDG Activated by Hardware", "lbWWDGSH", "_SW", "_HW"));
  t.Rows.push_back(BitMenu("PopMenuIWDG", "PanelWDT", 5, 2, "&0:IWDG Activated by Software",
                           "&1:IWDG Activated by Hardware", "lbSHW", "_SW", "_HW"));
  t.Rows.push_back(BitMenu("PopMenuLSIEN", "PanelWDT", 5, 3, "&0:LSI Clock is not avaiable to CPU",
                           "&1:LSI Clock is avaiable to CPU", "PanelLSI", "LSI_EN", "LSI_DN"));
  ControlRow trim = BitMenu("PopupMenuTRIM", "PanelWDT", 5, 4, "&0: 3-bit on-the-fly trimming",
                            "&1: 4-bit on-the-fly trimming", "LabelTRIM", "3-Bit TRIM", "4-Bit TRIM");
  trim.Visible = HasTrim;
  t.Rows.push_back(trim);

  // Clock option byte.
  t.Rows.push_back(ComboRow("ComboBoxPRSE", "PanelCLK", 7, 0x03,
                            IndexItems(0x03, {"24MHz to 128KHz", "16MHz to 128KHz", "8MHz to 128KHz",
                                              "4MHz to 128KHz"})));
  t.Rows.push_back(BitMenu("PopMenuAWU", "PanelCLK", 7, 2, "&0:LSI Clcok Source for AWU && IWDG",
                           "&1:HSE Clock Source for AWU && IWDG", "lbLHSI", "LSI", "HSE"));
  t.Rows.push_back(BitMenu("PopMenuCLK", "PanelCLK", 7, 3, "&0:External Crystal", "&1:External Clock",
                           "panelExtClk", "EXT OSC", "EXT CLK"));

  // HSE stabilisation: any value but the first three reads as 2048 cycles.
  ControlRow hse = ComboRow("ComboBoxHSE", "PanelHSE", 9, 0xFF,
                            ValueItems(0xFF, {{"0.5 HSE Cycle", 0xE1},
                                              {"8 HSE Cycle", 0xD2},
                                              {"128 HSE Cycle", 0xB4},
                                              {"2048 HSE Cycle", 0x00}}));
  hse.Fallback = 3;
  t.Rows.push_back(hse);

  // OPT6: reserved, except on the second automotive layout, where it
  // switches the TMU read-out protection off.
  ControlRow opt6 = LabelRow("lbOPT6", "PanelOPT6", "Reserved");
  opt6.Applies = NotAutoHigh;
  t.Rows.push_back(opt6);
  ControlRow tmu = CheckRow("CheckBoxTMU", "PanelOPT6", "Disable TMU Read Out Protection", 11, 0x05);
  tmu.Visible = IsAutoHigh;
  t.Rows.push_back(tmu);

  // Flash wait state: the whole byte is written, bit 0 is what is shown.
  ControlRow wait;
  wait.Name = "PopMenuWait";
  wait.Kind = ControlKind::PopupMenu;
  wait.Group = "PanelWAT";
  wait.Offset = 13;
  wait.Mask = 0x01;
  wait.Items = ValueItems(0xFF, {{"&0: No Wait State", 0x00}, {"&1: 1 Wait State", 0x01}});
  wait.Label = "lbWait";
  wait.LabelTexts = {"No Wait", " 1 Wait"};
  wait.ShowLabelTexts = {"No Wait", "1 Wait"};
  wait.Hint = kRightClickHint;
  t.Rows.push_back(wait);

  // Temporary unprotection keys and their attempt counter.
  t.Rows.push_back(LabelRow("LabelTMUKey", "TMU_Panel", "0x4810-4817 : TMU Key 1-8 :  "));
  for (int k = 1; k <= 8; ++k) t.Rows.push_back(KeyRow("EditKey" + std::to_string(k), 15 + k));
  t.Rows.push_back(LabelRow("LabelTMUMax", "TMU_Panel", "0x4818 : TMU MAX_ATT:  "));
  t.Rows.push_back(KeyRow("EditTMU_MAX", 24));

  t.Rows.push_back(CheckRow("CheckBoxBootLd", "PanelBot", "ENable Bootload ", 126, 0x55));
  return t;
}

}  // namespace

const EditorTable& Stm8AxEditorTable() {
  static const EditorTable table = Build();
  return table;
}

}  // namespace korvel
