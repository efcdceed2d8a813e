// TSTM8LxOptionByteForm: STM8L101 (0xE0) and the other STM8L (0xE5). No
// complement bytes: every control writes its byte alone, and OK and Cancel
// write nothing.
#include <string>

#include "optionbytes/EditorRows.h"
#include "optionbytes/EditorTables.h"

namespace korvel {
namespace {

bool IsL101(const EditorChip& c) { return c.FamilyCode == 0xE0; }
// Bytes 9 to 12 and the window watchdog exist on every STM8L but the L101
// (the form's PanelL15x and WWDG panels).
bool NotL101(const EditorChip& c) { return !IsL101(c); }

ControlRow CountCombo(std::string name, uint8_t mask) {
  ControlRow row;
  row.Name = std::move(name);
  row.Kind = ControlKind::ComboBox;
  row.Group = "Panel4809";
  row.Offset = 9;
  row.Mask = mask;
  row.Items = IndexItems(mask, {"00:1 Clock", "01:16 Clocks", "10:512 Clocks", "11:4096 Clocks"});
  return row;
}

// A boot-loader check byte: disabled 0x00, enabled the key. The edit
// beside it reads the button's text after a click and the byte on show.
ControlRow BootCheck(std::string name, std::string group, int offset, std::string disabled, std::string enabled,
                     uint8_t key, std::string edit, std::string keyText) {
  ControlRow row;
  row.Name = std::move(name);
  row.Kind = ControlKind::RadioGroup;
  row.Group = std::move(group);
  row.Offset = offset;
  row.Items = ValueItems(0xFF, {{std::move(disabled), 0x00}, {std::move(enabled), key}});
  row.Fallback = 0;
  row.Label = std::move(edit);
  row.LabelTexts = {"0x00", std::move(keyText)};
  row.ShowLabelTexts = {"0x%0.2x", "0x%0.2x"};
  return row;
}

// Read-out protection is enabled by AA on the L101 and by anything but AA
// on the others: the button that writes AA is the one shown for AA.
ControlRow RopRow(std::string name, std::string caption, bool writesAA, ChipRule applies) {
  ControlRow row = RopRadio(std::move(name), "Panel4800", std::move(caption), 0xAA, writesAA);
  row.Applies = applies;
  return row;
}

EditorTable Build() {
  EditorTable t;
  t.FormName = "TSTM8LxOptionByteForm";
  t.Groups = {
      {"Panel4800", "ROP", "0x4800", "PanelV4800", 0, "", -1, nullptr},
      {"Panel4802", "UBC", "0x4802", "PanelV4802", 2, "", -1, nullptr},
      {"Panel4803", "DATASIZE", "0x4803", "PanelV4803", 3, "", -1, IsL101},
      {"Panel4808", "Watchdog", "0x4808", "PanelV4808", 8, "", -1, nullptr},
      {"Panel4809", "Clock stabilisation", "0x4809", "PanelV4809", 9, "", -1, NotL101},
      {"Panel480A", "Brownout reset", "0x480A", "PanelV480A", 10, "", -1, NotL101},
      {"Panel480B", "BootLoader Check 1", "0x480B", "", -1, "", -1, NotL101},
      {"Panel480C", "BootLoader Check 2", "0x480C", "", -1, "", -1, NotL101},
  };

  t.Rows.push_back(RopRow("STm8L_EROP", "Enable Read Out Protection", true, IsL101));
  t.Rows.push_back(RopRow("STm8L_DROP", "Disable Read Out Protection", false, IsL101));
  t.Rows.push_back(RopRow("STm8L_EROP", "Enable Read Out Protection", false, NotL101));
  t.Rows.push_back(RopRow("STm8L_DROP", "Disable Read Out Protection", true, NotL101));

  t.Rows.push_back(SpinRow("SpinUBC8L", "Panel4802", 2, 0xFF, 255));
  t.Rows.push_back(LabelRow("LabelUBC8L0", "Panel4802", "0 : No IBC ."));
  t.Rows.push_back(LabelRow("LabelUBC8L1", "Panel4802", "0x01-0x02 : UBC contain only in interrupt vectors."));
  t.Rows.push_back(
      LabelRow("LabelUBC8L2", "Panel4802", "other : number of pages for UBC , see datasheet for detail "));

  t.Rows.push_back(SpinRow("EEPSIZE8L", "Panel4803", 3, 0xFF, 32));
  t.Rows.push_back(LabelRow("LabelEEP8L0", "Panel4803", "0 : No EEP Data area."));
  t.Rows.push_back(LabelRow("LabelEEP8L1", "Panel4803", "other value : number of pages EEP Data ares.  "));

  t.Rows.push_back(BitMenu("Pop8L_WDT", "Panel4808", 8, 0, "0 : Independent Watchdog activated by software",
                           "1 : Independent Watchdog activated by hardware", "M8LISHW", "_SW", "_HW"));
  t.Rows.push_back(BitMenu("Pop8L_WdtHalt", "Panel4808", 8, 1, "0 : Independent Watchdog Running in Halt",
                           "1 : Independent Watchdog stopped in Halt", "M8LIHALT", "HALT=0", "HALT=1"));
  // The form's second item says "software" and sets the hardware bit.
  ControlRow wwdg = BitMenu("PopWDG8L_HW", "Panel4808", 8, 2, "0 : Window Watchdog activated by software",
                            "1 : Window Watchdog activated by software", "M8LMSHW", "_SW", "_HW");
  wwdg.Visible = NotL101;
  t.Rows.push_back(wwdg);
  ControlRow wwdgHalt = BitMenu("PopWDG8L_HALT", "Panel4808", 8, 3, "0 : Window Watchdog Running in Halt",
                                "1 : Window Watchdog Stopped in Halt", "M8LWHALT", "HALT=0", "HALT=1");
  wwdgHalt.Visible = NotL101;
  t.Rows.push_back(wwdgHalt);

  t.Rows.push_back(CountCombo("HSE8L_Comb", 0x03));
  t.Rows.push_back(CountCombo("LSE8L_Comb", 0x0C));

  ControlRow bor = BitMenu("Pop8L_BOR", "Panel480A", 10, 0, "0 : Brownout reset off", "1 : Brownout reset on",
                           "PlBorS", "BOR_Off", "BOR_ON");
  bor.ShowLabelTexts = {"BOR_Off", "BOR_On"};
  t.Rows.push_back(bor);
  t.Rows.push_back(SpinRow("SpinBORTH", "Panel480A", 10, 0x0E, 7));

  t.Rows.push_back(BootCheck("RadioGpBL1", "Panel480B", 11, "BootLoader Check 1 Disabled",
                             "BootLoader Check 1 Enabled", 0x55, "EditBOLL", "0x55"));
  t.Rows.push_back(BootCheck("RadioGpBL2", "Panel480C", 12, "BootLoader Check 2 Disabled",
                             "BootLoader Check 2 Enabled", 0xAA, "EditBOLH", "0xAA"));
  return t;
}

}  // namespace

const EditorTable& Stm8LxEditorTable() {
  static const EditorTable table = Build();
  return table;
}

}  // namespace korvel
