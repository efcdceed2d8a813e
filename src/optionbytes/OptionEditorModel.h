#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "app/OperatorPrompts.h"
#include "optionbytes/EditorTable.h"
#include "optionbytes/OptionBuffer.h"

namespace korvel {

// What one control of an open editor shows.
struct ControlState {
  const ControlRow* Row = nullptr;
  bool Visible = true;
  bool Enabled = true;
  // Selected item, ticked (1) or not (0), bit value, spin value; -1 when
  // nothing is selected. Unused by edits, displays and labels.
  int State = -1;
  // Edits: their text; displays: their text; bit panels and pop-up menus
  // without a separate label: their caption.
  std::string Text;
  // The text of the row's Label panel.
  std::string LabelText;
};

// One editor dialog without its widgets: every operator change writes
// through to the buffer at once (value, then complement), except the
// OK-only controls, which wait for Ok(). Cancel restores nothing.
class OptionEditorModel {
 public:
  OptionEditorModel(const EditorTable& table, EditorChip chip, OptionBuffer& buffer,
                    OperatorPrompts& prompts);

  // The form is shown: visibility, then every control from the buffer.
  void Show();
  // Chip name + " Option Byte Setting", or the table's fixed title.
  std::string Caption() const;

  const EditorTable& Table() const { return table_; }
  const EditorChip& Chip() const { return chip_; }
  const OptionBuffer& Buffer() const { return buffer_; }
  const std::vector<ControlState>& Controls() const { return controls_; }
  const ControlState* Find(std::string_view name) const;
  bool GroupVisible(const ControlGroup& group) const;
  std::string GroupTitle(const ControlGroup& group) const;
  // The text of any named panel: a control, a control's label, a group's
  // value or complement panel; empty when there is none by that name.
  std::string TextOf(std::string_view name) const;

  // Operator changes. They return an empty text on success, else why the
  // change was refused (naming the control); nothing is written then.
  // Choose: radio 1, check box 0/1, item index, bit 0/1, spin value.
  std::string Choose(std::string_view name, int value);
  // Type: the whole text of an edit.
  std::string Type(std::string_view name, const std::string& text);

  void Ok();
  void Cancel() {}

  // Why the operator cannot change the control (missing, hidden,
  // disabled); empty when they can.
  std::string Refusal(std::string_view name) const { return Check(Find(name), name); }

 private:
  ControlState* FindMutable(std::string_view name);
  std::string Check(const ControlState* c, std::string_view name) const;
  int ReadState(const ControlRow& row) const;
  void WriteByte(int offset, uint8_t clear, uint8_t set);
  void WriteItem(const ControlRow& row, int state);
  void WriteExtra(const ControlRow& row);
  void WriteSpin(const ControlRow& row, int value);
  void WriteEdit(const ControlRow& row, const std::string& text);
  std::string EditTextFromBuffer(const ControlRow& row) const;
  std::string LabelFor(const ControlRow& row, int state, bool shown) const;
  void AfterChange(ControlState& touched);

  const EditorTable& table_;
  EditorChip chip_;
  OptionBuffer& buffer_;
  OperatorPrompts& prompts_;
  std::vector<ControlState> controls_;
  // Panels relabelled by the item last chosen, while their byte holds.
  struct PanelOverride {
    std::string Panel;
    std::string Text;
    int Offset;
    uint8_t Byte;
  };
  std::vector<PanelOverride> overrides_;
};

// "%0.2x", "0x%0.2x", "0x%0.4x": the few formats the editors print with.
std::string FormatHex(std::string_view format, unsigned value);

}  // namespace korvel
