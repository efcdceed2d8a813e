#pragma once
#include <functional>

#include "app/InfoLog.h"
#include "app/JobSettings.h"
#include "app/OperatorPrompts.h"
#include "optionbytes/OptionBuffer.h"
#include "optionbytes/OptionFamily.h"
#include "target/ChipInfo.h"

namespace korvel {

inline constexpr const char* kSelectChipTypeFirst = "Please Select Chip Type First!";

// The editors and the flash image are not part of the option-byte model;
// each hook may be empty (then the editor is simply not shown).
struct OptionEditorHooks {
  // Shows the editor modally; it writes straight into the buffer.
  std::function<void(OptionEditor)> ShowEditor;
  // After the BlueTooth dialog of code 0xB8: offsets 0..7 go into the last
  // eight bytes of the flash image, and the views and check values refresh.
  std::function<void(const OptionBuffer&)> CopyProtectionToFlash;
};

struct OptionEditorContext {
  OptionBuffer& Buffer;
  const ChipInfo& Chip;
  const JobFlags& Flags;
  InfoLog& Log;
  OperatorPrompts& Prompts;
  OptionEditorHooks Hooks;
};

// Which editor BitBtnOptCfg opens for the chip.
OptionEditor EditorFor(const ChipInfo& chip, bool stm32);

// BitBtnOptCfg ("Option Byte 设置").
void OnOptionConfigClicked(OptionEditorContext& ctx);

}  // namespace korvel
