#include "optionbytes/OptionFamily.h"

namespace korvel {

namespace {

struct Stm32Row {
  uint8_t Code;
  OptionFamily Family;
};

// The file base addresses of L4, F3, G0 and G4 are borrowed from the F0/F1
// and F2/F4 rows; option files for those families are read that way.
constexpr Stm32Row kStm32Rows[] = {
    {0x10, {OptionEditor::Stm32F1x, 0x1FFFF800, ComplementRule::BytePairs}},
    {0x00, {OptionEditor::Stm32F1x, 0x1FFFF800, ComplementRule::BytePairs}},
    {0x50, {OptionEditor::Stm32F1x, 0x1FFFC000, ComplementRule::BytePairs}},
    {0x30, {OptionEditor::Stm32F1x, 0x08040800, ComplementRule::BytePairs}},
    {0x40, {OptionEditor::Stm32F2x, 0x1FFFC000, ComplementRule::None}},
    {0x60, {OptionEditor::Stm32F2x, 0x1FFFC000, ComplementRule::None}},
    {0x28, {OptionEditor::Stm32Lx, 0x1FF80000, ComplementRule::WordHalves8}},
    {0x20, {OptionEditor::Stm32Lx, 0x1FF80000, ComplementRule::WordHalves10}},
    {0x08, {OptionEditor::Stm32L4x, 0x1FFFF800, ComplementRule::None}},
    {0x70, {OptionEditor::Stm32G0x, 0x1FFFC000, ComplementRule::None}},
    {0x71, {OptionEditor::Stm32G0x, 0x1FFFC000, ComplementRule::None}},
    {0x72, {OptionEditor::Stm32xG4, 0x1FFFC000, ComplementRule::None}},
    {0xB8, {OptionEditor::BlueNrg, 0x1FFFC000, ComplementRule::None}},
    {0xB9, {OptionEditor::BlueNrg, 0x1FFFC000, ComplementRule::None}},
};

}  // namespace

OptionFamily OptionFamilyOf(const ChipInfo& chip, bool stm32) {
  if (!stm32) {
    if (chip.FamilyCode >= 0xE0) return {OptionEditor::Stm8Lx, 0x4800, ComplementRule::None};
    return {OptionEditor::Stm8Ax, 0x4800, ComplementRule::Stm8};
  }
  for (const auto& row : kStm32Rows)
    if (row.Code == chip.FamilyCode) return row.Family;
  // A code of no listed family (only a hand-made project can carry one).
  return {OptionEditor::Stm32Lx, chip.OptionByteAddr, ComplementRule::None};
}

const char* EditorFormName(OptionEditor editor) {
  switch (editor) {
    case OptionEditor::Stm32F1x: return "TSTM32F1xOptByteForm";
    case OptionEditor::Stm32F2x: return "TSTM32F2xOptByteForm";
    case OptionEditor::Stm32Lx: return "TSTM32LxOptByteForm";
    case OptionEditor::Stm32L4x: return "TSTM32L4xOptByteForm";
    case OptionEditor::Stm32G0x: return "TSTM32G0xOptByteForm";
    case OptionEditor::Stm32xG4: return "TSTM32xG4OptBForm";
    case OptionEditor::BlueNrg: return "TBlugNrgSetForm";
    case OptionEditor::Stm8Ax: return "TOptionByteM8AxForm";
    case OptionEditor::Stm8Lx: return "TSTM8LxOptionByteForm";
  }
  return "";
}

}  // namespace korvel
