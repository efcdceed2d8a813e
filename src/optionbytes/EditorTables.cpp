#include "optionbytes/EditorTables.h"

namespace korvel {

const EditorTable& EditorTableFor(OptionEditor editor) {
  switch (editor) {
    case OptionEditor::Stm32F1x: return Stm32F1EditorTable();
    case OptionEditor::Stm32F2x: return Stm32F2EditorTable();
    case OptionEditor::Stm32Lx: return Stm32LxEditorTable();
    case OptionEditor::Stm32L4x: return Stm32L4EditorTable();
    case OptionEditor::Stm32G0x: return Stm32G0EditorTable();
    case OptionEditor::Stm32xG4: return Stm32G4EditorTable();
    case OptionEditor::BlueNrg: return BlueNrgEditorTable();
    case OptionEditor::Stm8Ax: return Stm8AxEditorTable();
    case OptionEditor::Stm8Lx: return Stm8LxEditorTable();
  }
  return Stm32F1EditorTable();
}

EditorChip EditorChipOf(const ChipInfo& chip, bool stm32) {
  EditorChip view;
  view.ChipName = chip.ChipName;
  view.FamilyCode = chip.FamilyCode;
  view.SubCode = chip.ChipSubCode;
  view.FlashSizeKB = chip.FlashSizeKB;
  view.DualBank = chip.DualBank;
  view.VariantFlag = chip.VariantFlag;
  view.Stm32 = stm32;
  return view;
}

}  // namespace korvel
