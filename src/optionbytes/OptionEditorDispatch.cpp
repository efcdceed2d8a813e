#include "optionbytes/OptionEditorDispatch.h"

#include "optionbytes/OptionDisplay.h"

namespace korvel {

OptionEditor EditorFor(const ChipInfo& chip, bool stm32) {
  if (stm32 && chip.BlueNrgMode) return OptionEditor::BlueNrg;
  return OptionFamilyOf(chip, stm32).Editor;
}

void OnOptionConfigClicked(OptionEditorContext& ctx) {
  if (!ctx.Flags.ChipSelected) {
    ctx.Prompts.Message(PromptKind::Information, kSelectChipTypeFirst);
    return;
  }
  const bool stm32 = ctx.Flags.Stm32Family;
  const OptionEditor editor = EditorFor(ctx.Chip, stm32);
  if (ctx.Hooks.ShowEditor) ctx.Hooks.ShowEditor(editor);
  if (editor == OptionEditor::BlueNrg) {
    if (ctx.Chip.FamilyCode == 0xB8 && ctx.Hooks.CopyProtectionToFlash)
      ctx.Hooks.CopyProtectionToFlash(ctx.Buffer);
    return;
  }
  ShowOptionLines(ctx.Log, ctx.Buffer, ctx.Chip, stm32);
}

}  // namespace korvel
