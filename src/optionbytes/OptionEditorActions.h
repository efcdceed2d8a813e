#pragma once
#include <optional>
#include <string>
#include <vector>

#include "app/OperatorPrompts.h"
#include "optionbytes/OptionBuffer.h"
#include "optionbytes/OptionEditorModel.h"
#include "target/ChipInfo.h"

namespace korvel {

// One change given on the command line: NAME or NAME=VALUE, NAME a
// control's form name.
struct EditorAction {
  std::string Name;
  std::optional<std::string> Value;
};

// nullopt when the text has no name.
std::optional<EditorAction> ParseEditorAction(const std::string& text);

// Applies one action as the operator would; an empty text on success, else
// the reason naming the control (nothing written then).
std::string ApplyEditorAction(OptionEditorModel& editor, const EditorAction& action);

// The editor's dialog class, then one line per control the operator can
// change on this chip: name, kind, allowed values and caption, each item of
// a list on its own indented line.
std::vector<std::string> ListEditorControls(const OptionEditorModel& editor);

// Opens the chip's editor on the buffer, applies the actions in order and
// presses OK. Returns the first error (the actions before it stay applied;
// callers refuse the whole run then).
std::string RunEditorActions(const ChipInfo& chip, bool stm32, OptionBuffer& buffer,
                             OperatorPrompts& prompts, const std::vector<std::string>& actions);

}  // namespace korvel
