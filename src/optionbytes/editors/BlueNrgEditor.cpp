// TBlugNrgSetForm ("BlueNRG Config"): read-out protection of the BlueTooth
// chips, one check box written on OK. Offsets 0..7 hold the protection
// word that code 0xB8 also gets at the end of its flash image (the copy is
// the editor dispatch's, after the dialog closes).
#include <algorithm>
#include <array>

#include "optionbytes/EditorTables.h"

namespace korvel {
namespace {

constexpr std::array<uint8_t, 8> kB8Protection = {0x33, 0x55, 0xAA, 0x66, 0x99, 0x35, 0x69, 0x5A};

// Any protection word, whoever wrote it, reads as ticked.
int Protected(const OptionBuffer& b, const EditorChip&) { return b[0] < 0xFF ? 1 : 0; }

void WriteProtection(OptionBuffer& b, const EditorChip& chip, int ticked) {
  if (!ticked) {
    std::fill_n(b.begin(), 10, uint8_t{0xFF});
  } else if (chip.FamilyCode == 0xB8) {
    std::copy(kB8Protection.begin(), kB8Protection.end(), b.begin());
    b[8] = b[9] = 0xFF;
  } else {
    std::fill_n(b.begin(), 8, uint8_t{0xAA});  // offsets 8 and 9 stay as they are
  }
}

EditorTable Build() {
  EditorTable t;
  t.FormName = "TBlugNrgSetForm";
  t.Title = "BlueNRG Config";

  ControlRow box;
  box.Name = "CheckBoxNRG";
  box.Kind = ControlKind::CheckBox;
  box.Caption = "Enable Read Out Protection";
  box.Offset = 0;
  box.OkOnly = true;
  box.State = Protected;
  box.Write = WriteProtection;
  t.Rows.push_back(box);
  return t;
}

}  // namespace

const EditorTable& BlueNrgEditorTable() {
  static const EditorTable table = Build();
  return table;
}

}  // namespace korvel
