// TSTM32G0xOptByteForm: STM32G0x0 and G0x1. The buffer holds the option
// registers as little-endian words at their offset from OPTR: OPTR 0,
// PCROP1ASR 4, PCROP1AER 8, WRP1AR 12, WRP1BR 16, PCROP1BSR 20,
// PCROP1BER 24, SECR 96. The G0x1 parts add brown-out, reset-pin, PCROP and
// securable-area options; on G0x0 those controls stay hidden.
#include <cstdio>
#include <string>

#include "optionbytes/EditorRows.h"
#include "optionbytes/EditorTables.h"

namespace korvel {
namespace {

bool IsG0x1(const EditorChip& c) { return c.FamilyCode == 0x71; }

// One byte of a protection register; the edit takes four characters and
// keeps the low byte of what they read as.
ControlRow ByteEdit(std::string name, std::string caption, std::string group, int offset,
                    std::string designText, ChipRule visible = nullptr) {
  ControlRow row;
  row.Name = std::move(name);
  row.Kind = ControlKind::IntEdit;
  row.Group = std::move(group);
  row.Caption = std::move(caption);
  row.Offset = offset;
  row.MaxLength = 4;
  row.EditFormat = "0x%0.2x";
  row.DesignText = std::move(designText);
  row.Visible = visible;
  return row;
}

// The words the option line prints for the chip, each followed by a blank.
std::string WordText(const OptionBuffer& b, const EditorChip& chip) {
  static const int kG0x0[] = {0, 12, 16};
  static const int kG0x1[] = {0, 4, 8, 12, 16, 20, 24, 96};
  std::string s;
  auto add = [&](int w) {
    char t[12];
    std::snprintf(t, sizeof t, "%02x%02x%02x%02x ", b[static_cast<std::size_t>(w + 3)],
                  b[static_cast<std::size_t>(w + 2)], b[static_cast<std::size_t>(w + 1)],
                  b[static_cast<std::size_t>(w)]);
    s += t;
  };
  if (IsG0x1(chip))
    for (int w : kG0x1) add(w);
  else
    for (int w : kG0x0) add(w);
  return s;
}

EditorTable Build() {
  EditorTable t;
  t.FormName = "TSTM32G0xOptByteForm";
  t.Groups = {
      {"GroupOPTR", "OPTR", "", "", -1, "", -1, nullptr},
      {"GroupPCROP1A", "PCROP1A", "", "", -1, "", -1, IsG0x1},
      {"GroupWRP1A", "WRP1A", "", "", -1, "", -1, nullptr},
      {"GroupWRP1B", "WRP1B", "", "", -1, "", -1, nullptr},
      {"GroupPCROP1B", "PCROP1B", "", "", -1, "", -1, IsG0x1},
      {"GroupSECR", "SECR", "", "", -1, "", -1, IsG0x1},
      {"GroupOptBV", "", "", "", -1, "", -1, nullptr},
  };

  t.Rows.push_back(RdpLevelCombo("ComBoxROP", "GroupOPTR", "RDP", 0));

  const std::string g = "GroupOPTR";
  t.Rows.push_back(FieldCombo("ComBoxBOREN", "BOREN", g, 1, 0x01,
                              {"0: Configurable brown out reset disabled, power-on reset defined by POR/PDR levels",
                               "1: Configurable brown out reset enabled, values of BORR_LEV and BORF_LEV taken "
                               "into account"},
                              IsG0x1));
  // The third text of both BOR boxes says "01" but the item writes 2.
  t.Rows.push_back(FieldCombo("ComBoxBORFL", "BORF_LEV", g, 1, 0x06,
                              {"00: BOR falling level 1 with threshold around 2.0 V",
                               "01: BOR falling level 2 with threshold around 2.2 V",
                               "01: BOR falling level 3 with threshold around 2.5 V",
                               "11: BOR falling level 4 with threshold around 2.8 V"},
                              IsG0x1));
  t.Rows.push_back(FieldCombo("ComBoxBORRL", "BORR_LEV", g, 1, 0x18,
                              {"00: BOR rising level 1 with threshold around 2.1 V",
                               "01: BOR rising level 2 with threshold around 2.3 V",
                               "01: BOR rising level 3 with threshold around 2.6 V",
                               "11: BOR rising level 4 with threshold around 2.9 V"},
                              IsG0x1));
  t.Rows.push_back(FieldCombo("ComBoxNSTP", "nRST_STOP", g, 1, 0x20,
                              {"0: Reset generated when entering the Stop mode",
                               "1: No reset generated when entering the Stop mode"}));
  t.Rows.push_back(FieldCombo("ComBoxNSTB", "nRST_STDBY", g, 1, 0x40,
                              {"0: Reset generated when entering the Standby mode",
                               "1: No reset generate when entering the Standby mode"}));
  t.Rows.push_back(FieldCombo("ComBoxNSHW", "nRST_SHDW", g, 1, 0x80,
                              {"0: Reset generated when entering the Shutdown mode",
                               "1: No reset generated when entering the Shutdown mode"},
                              IsG0x1));
  t.Rows.push_back(FieldCombo("ComBoxIWGSW", "IWDG_SW", g, 2, 0x01,
                              {"0: Hardware independent watchdog", "1: Software independent watchdog"}));
  t.Rows.push_back(FieldCombo("ComBoxIWGSTP", "IWDG_STOP", g, 2, 0x02,
                              {"0: Independent watchdog counter is frozen in Stop mode",
                               "1: Independent watchdog counter is running in Stop mode"}));
  t.Rows.push_back(FieldCombo("ComBoxIWGSTB", "IWDG_STDBY", g, 2, 0x04,
                              {"0: Independent watchdog counter is frozen in Standby mode",
                               "1: Independent watchdog counter is running in Standby mode"}));
  t.Rows.push_back(FieldCombo("ComBoxWWDGSW", "WWDG_SW", g, 2, 0x08,
                              {"0: Hardware window watchdog", "1: Software window watchdog"}));
  t.Rows.push_back(FieldCombo("ComBoxRAMPCHK", "RAM_PARITY_CHECK", g, 2, 0x40,
                              {"0: SRAM2 parity check enable", "1: SRAM2 parity check disable"}));
  t.Rows.push_back(FieldCombo("ComBoxNBOTS", "nBOOT_SEL", g, 3, 0x01,
                              {"0: BOOT0 signal is defined by BOOT0 pin value",
                               "1: BOOT0 signal is defined by nBOOT0 option bit"}));
  t.Rows.push_back(FieldCombo("ComBoxnBT1", "nBOOT1", g, 3, 0x02, {"0: nBOOT1 = 0", "1: nBOOT1 = 1"}));
  t.Rows.push_back(FieldCombo("ComBoxnBT0", "nBOOT0", g, 3, 0x04, {"0: nBOOT0 = 0", "1: nBOOT0 = 1"}));
  t.Rows.push_back(FieldCombo("ComBoxNRSTM", "NRST_MODE", g, 3, 0x18,
                              {"00: Reserved", "01: Reset Input only", "10: GPIO: standard GPIO pad functionality",
                               "11: Bidirectional reset"},
                              IsG0x1));
  t.Rows.push_back(FieldCombo("ComBoxIRHEN", "IRHEN", g, 3, 0x20,
                              {"0: Internal resets are propagated as simple pulse on NRST pin",
                               "1: Internal resets drives NRST pin low until it is seen as low level"},
                              IsG0x1));

  t.Rows.push_back(ByteEdit("EditPCROP1AS", "PCROP1A_STRT", "GroupPCROP1A", 4, "0xFF", IsG0x1));
  t.Rows.push_back(ByteEdit("EditPCROP1AE", "PCROP1A_END", "GroupPCROP1A", 8, "0xFF", IsG0x1));
  t.Rows.push_back(FieldCombo(
      "ComBoxPCROP1", "PCROP_RDP", "GroupPCROP1A", 11, 0x80,
      {"0: PCROP area is not erased when the RDP level is decreased from Level 1 to Level 0.",
       "1: PCROP area is erased when the RDP level is decreased from Level 1 to Level 0 (full mass erase)"},
      IsG0x1));
  t.Rows.push_back(ByteEdit("EditWRP1AS", "WRP1A_STRT", "GroupWRP1A", 12, "0x3F"));
  t.Rows.push_back(ByteEdit("EditWRP1AE", "WRP1A_END", "GroupWRP1A", 14, "0x3F"));
  t.Rows.push_back(ByteEdit("EditWRP1BS", "WRP1B_STRT", "GroupWRP1B", 16, "0x3F"));
  t.Rows.push_back(ByteEdit("EditWRP1BE", "WRP1B_END", "GroupWRP1B", 18, "0x3F"));
  t.Rows.push_back(ByteEdit("EditPCROP1BS", "PCROP1B_STRT", "GroupPCROP1B", 20, "0xFF", IsG0x1));
  t.Rows.push_back(ByteEdit("EditPCROP1BE", "PCROP1B_END", "GroupPCROP1B", 24, "0xFF", IsG0x1));
  t.Rows.push_back(ByteEdit("EditSecSZ", "SEC_SIZE", "GroupSECR", 96, "0xFF", IsG0x1));
  t.Rows.push_back(FieldCombo("ComBoxBOTLCK", "BOOT_LOCK", "GroupSECR", 98, 0x01,
                              {"0: Boot based on the pad/option bit configuration",
                               "1: Boot forced from Main Flash memory "},
                              IsG0x1));

  t.Rows.push_back(OptionWordsDisplay("OPTION Byte:  ", WordText));
  return t;
}

}  // namespace

const EditorTable& Stm32G0EditorTable() {
  static const EditorTable table = Build();
  return table;
}

}  // namespace korvel
