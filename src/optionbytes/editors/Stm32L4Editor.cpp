// TSTM32L4xOptByteForm: STM32L4 and L4+. The buffer holds the option
// registers as little-endian words without complements: OPTR at 0,
// PCROP1SR 4, PCROP1ER 8, WRP1AR 12, WRP1BR 16 and, for the second bank,
// PCROP2SR 20, PCROP2ER 24, WRP2AR 28, WRP2BR 32.
#include <cstdio>
#include <string>

#include "optionbytes/EditorRows.h"
#include "optionbytes/EditorTables.h"

namespace korvel {
namespace {

// Chips above 520 KB have a second bank of protection registers.
bool HasBank2(const EditorChip& c) { return c.FlashSizeKB > 520; }

// A protection-area edit; two bytes wide edits are 16-bit register halves.
ControlRow AreaEdit(std::string name, std::string caption, std::string group, int offset, int width,
                    ChipRule showRule = nullptr) {
  ControlRow row;
  row.Name = std::move(name);
  row.Kind = ControlKind::IntEdit;
  row.Group = std::move(group);
  row.Caption = std::move(caption);
  row.Offset = offset;
  row.Width = width;
  // The dialog sets no length of its own; ten characters hold any 32-bit
  // value with its prefix, and the value is cut to the field when written.
  row.MaxLength = 10;
  row.EditFormat = width > 1 ? "0x%0.4x" : "0x%0.2x";
  row.DesignText = width > 1 ? "0xFFFF" : "0xFF";
  row.ShowRule = showRule;
  return row;
}

std::string SummaryText(const OptionBuffer& b, const EditorChip& chip) {
  std::string s;
  auto add = [&](int offset) {
    char t[4];
    std::snprintf(t, sizeof t, "%02x ", b[static_cast<std::size_t>(offset)]);
    s += t;
  };
  for (int o : {0, 1, 2, 3}) add(o);
  // Then the protection bytes in the summary's long-standing selection,
  // (11, 12) and (14, 16) included: operators compare it with older jobs.
  for (int o : {4, 5, 8, 9, 11, 12, 14, 16, 18}) add(o);
  if (HasBank2(chip))
    for (int o : {20, 21, 24, 25, 28, 30, 32, 34}) add(o);
  return s;
}

EditorTable Build() {
  EditorTable t;
  t.FormName = "TSTM32L4xOptByteForm";
  t.Groups = {
      {"GroupOPTR", "OPTR", "", "", -1, "", -1, nullptr},
      {"PanelBANK1", "Bank 1", "", "", -1, "", -1, nullptr},
      // Shown for every chip; only its edits' texts depend on the flash size.
      {"PanelBANK2", "Bank 2", "", "", -1, "", -1, nullptr},
      {"GroupOptBV", "", "", "", -1, "", -1, nullptr},
  };

  t.Rows.push_back(RdpLevelCombo("ComBoxL4xROP", "GroupOPTR", "RDP", 0));

  const std::string g = "GroupOPTR";
  t.Rows.push_back(FieldCombo("ComBoxL4xBOV", "BOR_LEV", g, 1, 0x07,
                              {"000: BOR Level 0. Reset level threshold is around 1.7 V",
                               "001: BOR Level 1. Reset level threshold is around 2.0 V",
                               "010: BOR Level 2. Reset level threshold is around 2.2 V",
                               "011: BOR Level 3. Reset level threshold is around 2.5 V",
                               "100: BOR Level 4. Reset level threshold is around 2.8 V",
                               "101 : Reserved", "110 : Reserved", "111 : Reserved"}));
  t.Rows.push_back(FieldCombo("ComBoxL4xNSTP", "nRST_STOP", g, 1, 0x10,
                              {"0: Reset generated when entering the Stop mode",
                               "1: No reset generated when entering the Stop mode"}));
  t.Rows.push_back(FieldCombo("ComBoxL4xNSTB", "nRST_STDBY", g, 1, 0x20,
                              {"0: Reset generated when entering the Standby mode",
                               "1: No reset generate when entering the Standby mode"}));
  t.Rows.push_back(FieldCombo("ComBoxL4xNSHW", "nRST_SHDW", g, 1, 0x40,
                              {"0: Reset generated when entering the Shutdown mode",
                               "1: No reset generated when entering the Shutdown mode"}));
  t.Rows.push_back(FieldCombo("ComBoxL4xIWGSW", "IWDG_SW", g, 2, 0x01,
                              {"0: Hardware independent watchdog", "1: Software independent watchdog"}));
  t.Rows.push_back(FieldCombo("ComBoxL4xIWGSTP", "IWDG_STOP", g, 2, 0x02,
                              {"0: Independent watchdog counter is frozen in Stop mode",
                               "1: Independent watchdog counter is running in Stop mode"}));
  t.Rows.push_back(FieldCombo("ComBoxL4xIWGSTB", "IWDG_STDBY", g, 2, 0x04,
                              {"0: Independent watchdog counter is frozen in Standby mode",
                               "1: Independent watchdog counter is running in Standby mode"}));
  t.Rows.push_back(FieldCombo("ComBoxL4xWWDGSW", "WWDG_SW", g, 2, 0x08,
                              {"0: Hardware window watchdog", "1: Software window watchdog"}));
  t.Rows.push_back(FieldCombo("ComBoxL4xBFB2", "BFB2", g, 2, 0x10,
                              {"0: Dual-bank boot disable", "1: Dual-bank boot enable"}));
  t.Rows.push_back(FieldCombo("ComBoxL4xDBNK", "DUALBANK", g, 2, 0x20,
                              {"0: 256 KB/512 KB Single-bank Flash: Contiguous addresses in Bank 1",
                               "1: 256 KB/512 KB Dual-bank Flash."}));
  t.Rows.push_back(FieldCombo("ComBoxL4xnBT1", "nBOOT1", g, 2, 0x80, {"0: nBOOT1 = 0", "1: nBOOT1 = 1"}));
  t.Rows.push_back(FieldCombo("ComBoxL4xSRAMPE", "SRAM2_PE", g, 3, 0x01,
                              {"0: SRAM2 parity check enable", "1: SRAM2 parity check disable"}));
  t.Rows.push_back(FieldCombo("ComBoxL4xSRARS", "SRAM2_RST", g, 3, 0x02,
                              {"0: SRAM2 erased when a system reset occurs",
                               "1: SRAM2 is not erased when a system reset occurs"}));
  t.Rows.push_back(FieldCombo("ComBoxL4xSWBT0", "nSWBOOT0", g, 3, 0x04,
                              {"0: BOOT0 taken from the option bit nBOOT0", "1: BOOT0 taken from PH3/BOOT0 pin"}));
  t.Rows.push_back(FieldCombo("ComBoxL4xnBT0", "nBOOT0", g, 3, 0x08, {"0: nBOOT0 = 0", "1: nBOOT0 = 1"}));

  const std::string b1 = "PanelBANK1";
  t.Rows.push_back(AreaEdit("EditPCROP1S", "PCROP1_START", b1, 4, 2));
  t.Rows.push_back(AreaEdit("EditPCROP1E", "PCROP1_END", b1, 8, 2));
  t.Rows.push_back(FieldCombo(
      "ComBoxPCROP1", "PCROP_RDP", b1, 11, 0x80,
      {"0: PCROP area is not erased when the RDP level is decreased from Level 1 to Level 0.",
       "1: PCROP area is erased when the RDP level is decreased from Level 1 to Level 0 (full mass erase)"}));
  t.Rows.push_back(AreaEdit("EditQRP1AS", "WRP1A_START", b1, 12, 1));
  t.Rows.push_back(AreaEdit("EditQRP1AE", "WRP1A_END", b1, 14, 1));
  t.Rows.push_back(AreaEdit("EditQRP1BS", "WRP1B_START", b1, 16, 1));
  t.Rows.push_back(AreaEdit("EditQRP1BE", "WRP1B_END", b1, 18, 1));

  const std::string b2 = "PanelBANK2";
  t.Rows.push_back(AreaEdit("EditPCROP2S", "PCROP2_START", b2, 20, 2, HasBank2));
  t.Rows.push_back(AreaEdit("EditPCROP2E", "PCROP2_END", b2, 24, 2, HasBank2));
  t.Rows.push_back(AreaEdit("EditQRP2AS", "WRP2A_START", b2, 28, 1, HasBank2));
  t.Rows.push_back(AreaEdit("EditQRP2AE", "WRP2A_END", b2, 30, 1, HasBank2));
  t.Rows.push_back(AreaEdit("EditQRP2BS", "WRP2B_START", b2, 32, 1, HasBank2));
  t.Rows.push_back(AreaEdit("EditQRP2BE", "WRP2B_END", b2, 34, 1, HasBank2));

  t.Rows.push_back(OptionWordsDisplay("OPTION Byte:  ", SummaryText));
  return t;
}

}  // namespace

const EditorTable& Stm32L4EditorTable() {
  static const EditorTable table = Build();
  return table;
}

}  // namespace korvel
