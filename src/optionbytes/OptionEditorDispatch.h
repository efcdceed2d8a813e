#pragma once
#include <functional>

#include "optionbytes/OptionContext.h"
#include "optionbytes/OptionFamily.h"
#include "target/ChipInfo.h"
#include "target/MemoryBuffers.h"

namespace korvel {

inline constexpr const char* kSelectChipTypeFirst = "Please Select Chip Type First!";

// The editors and the flash image are not part of the option-byte model;
// each hook may be empty (then the editor is simply not shown).
struct OptionEditorHooks {
  // Shows the editor modally; it writes straight into the buffer.
  std::function<void(OptionEditor)> ShowEditor;
  // After the BlueTooth dialog of code 0xB8: CopyProtectionToFlash, then
  // the views and check values refresh.
  std::function<void(const OptionBuffer&)> CopyProtectionToFlash;
};

// The BlueTooth read-out protection word (offsets 0..7) into the last eight
// bytes of the flash image: bytes 8..15 of the image's last 16-byte row.
void CopyProtectionToFlash(MemoryBuffers& buffers, const ChipInfo& chip,
                           const OptionBuffer& buffer);

// Which editor BitBtnOptCfg opens for the chip.
OptionEditor EditorFor(const ChipInfo& chip, bool stm32);

// BitBtnOptCfg ("Option Byte 设置").
void OnOptionConfigClicked(OptionContext& ctx, const OptionEditorHooks& hooks);

}  // namespace korvel
