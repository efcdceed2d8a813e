// TSTM32xG4OptBForm: STM32G4. The buffer holds the option registers as
// little-endian words at their register offset minus OPTR's: OPTR 0,
// PCROP1SR 4, PCROP1ER 8, WRP1AR 12, WRP1BR 16, PCROP2SR 36, PCROP2ER 40,
// WRP2AR 44, WRP2BR 48, SEC1R 80, SEC2R 84. No complements; every control
// writes at once, OK and Cancel write nothing.
#include <cstdio>
#include <initializer_list>
#include <string>

#include "optionbytes/EditorRows.h"
#include "optionbytes/EditorTables.h"

namespace korvel {
namespace {

bool Never(const EditorChip&) { return false; }
// The second bank's panel and the loading of its edits use two different
// size limits; chips between them show the panel with the design texts.
bool ShowsBank2Panel(const EditorChip& c) { return c.FlashSizeKB > 150; }
bool LoadsBank2Edits(const EditorChip& c) { return c.FlashSizeKB > 256; }

// The option words as the option lines print them, so the operator sees
// here what the log will show.
std::string WordText(const OptionBuffer& b, const EditorChip& chip) {
  std::string s;
  auto add = [&](int w, bool blank) {
    char t[12];
    std::snprintf(t, sizeof t, "%02x%02x%02x%02x", b[w + 3], b[w + 2], b[w + 1], b[w]);
    s += t;
    if (blank) s += ' ';
  };
  if (chip.FlashSizeKB >= 150) {
    for (int w : {0, 4, 8, 12, 16, 36, 40, 44, 48, 80, 84}) add(w, true);
  } else {
    for (int w : {0, 4, 8, 12, 16}) add(w, true);
    add(80, false);
  }
  return s;
}

// One OPTR field on a combo box without a caption: the item index is the
// field value.
ControlRow FieldBox(std::string name, int offset, uint8_t mask, std::vector<std::string> texts,
                    std::string group = "GroupOPTR") {
  return FieldCombo(std::move(name), "", std::move(group), offset, mask, std::move(texts));
}

// An address edit: one byte, or two with the high byte masked.
ControlRow AddressEdit(std::string name, std::string group, int offset, int width, uint8_t highMask,
                       std::string design, ChipRule loads = nullptr) {
  ControlRow row;
  row.Name = std::move(name);
  row.Kind = ControlKind::IntEdit;
  row.Group = std::move(group);
  row.Offset = offset;
  row.Width = width;
  row.HighMask = highMask;
  row.MaxLength = width > 1 ? 6 : 4;
  row.EditFormat = width > 1 ? "0x%0.4x" : "0x%0.2x";
  row.DesignText = std::move(design);
  row.ShowRule = loads;
  return row;
}

EditorTable Build() {
  EditorTable t;
  t.FormName = "TSTM32xG4OptBForm";
  t.Groups = {
      {"GroupOPTR", "OPTR", "", "", -1, "", -1, nullptr},
      {"GroupBank1", "PCROP1 / WRP1A / SEC1", "", "", -1, "", -1, nullptr},
      {"PanelBK2", "", "", "", -1, "", -1, ShowsBank2Panel},
      {"GroupOptBV", "", "", "", -1, "", -1, nullptr},
  };

  t.Rows.push_back(RdpLevelCombo("ComBoxROP", "GroupOPTR", "", 0));

  t.Rows.push_back(FieldBox("ComBoxBORVL", 1, 0x07,
                            {"000: BOR Level 0. Reset level threshold is around 1.7 V",
                             "001: BOR Level 1. Reset level threshold is around 2.0 V",
                             "010: BOR Level 2. Reset level threshold is around 2.2 V",
                             "011: BOR Level 3. Reset level threshold is around 2.5 V",
                             "100: BOR Level 4. Reset level threshold is around 2.8 V",
                             "101: Reserved", "110: Reserved", "111: Reserved"}));
  ControlRow boren = FieldBox("ComBoxBOREN", 1, 0x08, {"", ""});
  boren.Visible = Never;
  t.Rows.push_back(boren);
  t.Rows.push_back(FieldBox("ComBoxNRSTP", 1, 0x10,
                            {"0: Reset generated when entering the Stop mode",
                             "1: No reset generated when entering the Stop mode"}));
  t.Rows.push_back(FieldBox("ComBoxNRSTB", 1, 0x20,
                            {"0: Reset generated when entering the Standby mode",
                             "1: No reset generate when entering the Standby mode"}));
  t.Rows.push_back(FieldBox("ComBoxNRSHW", 1, 0x40,
                            {"0: Reset generated when entering the Shutdown mode",
                             "1: No reset generated when entering the Shutdown mode"}));
  t.Rows.push_back(FieldBox("ComBoxIWGSW", 2, 0x01,
                            {"0: Hardware independent watchdog", "1: Software independent watchdog"}));
  t.Rows.push_back(FieldBox("ComBoxIWGSTP", 2, 0x02,
                            {"0: Independent watchdog counter is frozen in Stop mode",
                             "1: Independent watchdog counter is running in Stop mode"}));
  t.Rows.push_back(FieldBox("ComBoxIWGSTB", 2, 0x04,
                            {"0: Independent watchdog counter is frozen in Standby mode",
                             "1: Independent watchdog counter is running in Standby mode"}));
  t.Rows.push_back(FieldBox("ComBoxWWDGSW", 2, 0x08,
                            {"0: Hardware window watchdog", "1: Software window watchdog"}));
  t.Rows.push_back(FieldBox("ComBoxBFB2", 2, 0x10,
                            {"0: Dual-bank boot disable", "1: Dual-bank boot enable"}));
  t.Rows.push_back(FieldBox("ComBoxDBANK", 2, 0x40,
                            {"0: Single bank mode with 128 bits data read width",
                             "1: Dual bank mode with 64 bits data"}));
  t.Rows.push_back(FieldBox("ComBoxnBOT1", 2, 0x80, {"0: nBOOT1 = 0", "1: nBOOT1 = 1"}));
  t.Rows.push_back(FieldBox("ComBoxRAMPPE", 3, 0x01,
                            {"0: SRAM1 and CCM SRAM parity check enable",
                             "1: SRAM1 and CCM SRAM parity check disable"}));
  t.Rows.push_back(FieldBox("ComBoxCCMSRAM", 3, 0x02,
                            {"0: CCM SRAM erased when a system reset occurs",
                             "1: CCM SRAM is not erased when a system reset occurs"}));
  t.Rows.push_back(FieldBox("ComBoxnSWBOT", 3, 0x04,
                            {"0: BOOT0 taken from the option bit nBOOT0",
                             "1: BOOT0 taken from PB8/BOOT0 pin"}));
  t.Rows.push_back(FieldBox("ComBoxnBT0", 3, 0x08, {"0: nBOOT0 = 0", "1: nBOOT0 = 1"}));
  t.Rows.push_back(FieldBox("ComBoxP10G", 3, 0x30,
                            {"00: Reset Input/Output", "01: Reset Input only", "10: Reset GPIO",
                             "11: Reset Input/Output"}));
  t.Rows.push_back(FieldBox("ComBoxIRHEN", 3, 0x40, {"0: IRH disabled", "1: IRH enabled"}));

  // Bank 1: PCROP, WRP area A, securable area.
  t.Rows.push_back(AddressEdit("EditPCROP1AS", "GroupBank1", 4, 2, 0x7F, "0x7FFF"));
  t.Rows.push_back(AddressEdit("EditPCROP1AE", "GroupBank1", 8, 2, 0x7F, "0x7FFF"));
  t.Rows.push_back(FieldBox(
      "ComBoxPCROP1", 11, 0x80,
      {"0: PCROP area is not erased when the RDP level is decreased from Level 1 to Level 0.",
       "1: PCROP area is erased when the RDP level is decreased from Level 1 to Level 0 (full mass erase)"},
      "GroupBank1"));
  t.Rows.push_back(AddressEdit("EditWRP1AS", "GroupBank1", 12, 1, 0xFF, "0xFF"));
  t.Rows.push_back(AddressEdit("EditWRP1AE", "GroupBank1", 14, 1, 0xFF, "0xFF"));
  t.Rows.push_back(AddressEdit("EditSECSIZE1", "GroupBank1", 80, 1, 0xFF, "0xFF"));
  t.Rows.push_back(FieldBox("ComBoxBOTLCK", 82, 0x01,
                            {"0: Boot based on the pad/option bit configuration",
                             "1: Boot forced from Main Flash memory"},
                            "GroupBank1"));

  // WRP area B of bank 1 sits on the second bank's panel; only the
  // second-bank edits wait for a flash large enough to load them.
  t.Rows.push_back(AddressEdit("EditWRP1BS", "PanelBK2", 16, 1, 0xFF, "0xFF"));
  t.Rows.push_back(AddressEdit("EditWRP1BE", "PanelBK2", 18, 1, 0xFF, "0xFF"));
  t.Rows.push_back(AddressEdit("EditPCROP2S", "PanelBK2", 36, 2, 0xFF, "0xFFFF", LoadsBank2Edits));
  t.Rows.push_back(AddressEdit("EditPCROP2E", "PanelBK2", 40, 2, 0xFF, "0xFFFF", LoadsBank2Edits));
  t.Rows.push_back(AddressEdit("EditWRP2AS", "PanelBK2", 44, 1, 0xFF, "0xFF", LoadsBank2Edits));
  t.Rows.push_back(AddressEdit("EditWRP2AE", "PanelBK2", 46, 1, 0xFF, "0xFF", LoadsBank2Edits));
  t.Rows.push_back(AddressEdit("EditWRP2BS", "PanelBK2", 48, 1, 0xFF, "0xFF", LoadsBank2Edits));
  t.Rows.push_back(AddressEdit("EditWRP2BE", "PanelBK2", 50, 1, 0xFF, "0xFF", LoadsBank2Edits));
  t.Rows.push_back(AddressEdit("EditSECSIZE2", "PanelBK2", 84, 1, 0xFF, "0xFF", LoadsBank2Edits));

  t.Rows.push_back(OptionWordsDisplay("OPTION:  ", WordText));
  return t;
}

}  // namespace

const EditorTable& Stm32G4EditorTable() {
  static const EditorTable table = Build();
  return table;
}

}  // namespace korvel
