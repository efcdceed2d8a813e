#include "optionbytes/OptionEditorDispatch.h"

#include <algorithm>

#include "optionbytes/OptionDisplay.h"

namespace korvel {

void CopyProtectionToFlash(MemoryBuffers& buffers, const ChipInfo& chip,
                           const OptionBuffer& buffer) {
  if (chip.FlashEnd < chip.FlashBase) return;
  const std::size_t at = std::size_t{(chip.FlashEnd - chip.FlashBase) / 16} * 16 + 8;
  if (at + 8 > buffers.Main.size()) return;
  std::copy_n(buffer.begin(), 8, buffers.Main.begin() + static_cast<std::ptrdiff_t>(at));
}

OptionEditor EditorFor(const ChipInfo& chip, bool stm32) {
  if (stm32 && chip.BlueNrgMode) return OptionEditor::BlueNrg;
  return OptionFamilyOf(chip, stm32).Editor;
}

void OnOptionConfigClicked(OptionContext& ctx, const OptionEditorHooks& hooks) {
  if (!ctx.Flags.ChipSelected) {
    ctx.Prompts.Message(PromptKind::Information, kSelectChipTypeFirst);
    return;
  }
  const bool stm32 = ctx.Flags.Stm32Family;
  const OptionEditor editor = EditorFor(ctx.Chip, stm32);
  if (hooks.ShowEditor) hooks.ShowEditor(editor);
  if (editor == OptionEditor::BlueNrg) {
    if (ctx.Chip.FamilyCode == 0xB8 && hooks.CopyProtectionToFlash)
      hooks.CopyProtectionToFlash(ctx.Buffer);
    return;
  }
  ShowOptionLines(ctx.Log, ctx.Buffer, ctx.Chip, stm32);
}

}  // namespace korvel
