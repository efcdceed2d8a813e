#include "optionbytes/OptionEditorActions.h"

#include "app/IntegerText.h"
#include "optionbytes/EditorTables.h"
#include "optionbytes/OptionEditorDispatch.h"

namespace korvel {

std::optional<EditorAction> ParseEditorAction(const std::string& text) {
  const auto eq = text.find('=');
  EditorAction action;
  action.Name = text.substr(0, eq);
  if (action.Name.empty()) return std::nullopt;
  if (eq != std::string::npos) action.Value = text.substr(eq + 1);
  return action;
}

namespace {

std::string Spelled(const EditorAction& a) { return a.Name + (a.Value ? "=" + *a.Value : ""); }

// The number of a choice: decimal or 0x/$ hexadecimal, nothing else.
std::optional<int> ChoiceValue(const std::optional<std::string>& value, int whenAbsent) {
  if (!value) return whenAbsent < 0 ? std::nullopt : std::optional<int>(whenAbsent);
  const auto n = ParseInteger(*value);
  if (!n || *n < -1000000 || *n > 1000000) return std::nullopt;
  return static_cast<int>(*n);
}

std::string Range(const ControlRow& row) {
  switch (row.Kind) {
    case ControlKind::Radio: return "1";
    case ControlKind::CheckBox:
    case ControlKind::BitPanel: return "0 1";
    case ControlKind::ComboBox:
    case ControlKind::RadioGroup:
    case ControlKind::PopupMenu: return "0.." + std::to_string(static_cast<int>(row.Items.size()) - 1);
    case ControlKind::SpinEdit: return std::to_string(row.Min) + ".." + std::to_string(row.Max);
    case ControlKind::KeyEdit: return "hex, up to " + std::to_string(row.MaxLength) + " digits";
    case ControlKind::IntEdit:
      return "integer (decimal, 0x, $) to 0x" + std::string(row.Width > 1 ? "ffff" : "ff") + ", up to " +
             std::to_string(row.MaxLength) + " characters";
    default: return "";
  }
}

}  // namespace

std::string ApplyEditorAction(OptionEditorModel& editor, const EditorAction& action) {
  const ControlState* c = editor.Find(action.Name);
  if (auto refusal = editor.Refusal(action.Name); !refusal.empty()) return refusal;
  const ControlRow& row = *c->Row;
  switch (row.Kind) {
    case ControlKind::KeyEdit:
      return editor.Type(action.Name, action.Value.value_or(""));
    case ControlKind::IntEdit: {
      const std::string text = action.Value.value_or("");
      const auto n = ParseInteger(text);
      const int64_t top = row.Width > 1 ? 0xFFFF : 0xFF;
      if (!n || *n < 0 || *n > top || static_cast<int>(text.size()) > row.MaxLength)
        return Spelled(action) + ": out of range (" + Range(row) + ")";
      return editor.Type(action.Name, text);
    }
    case ControlKind::Display:
    case ControlKind::Label:
      return action.Name + ": cannot be set";
    default: break;
  }
  const int absent = row.Kind == ControlKind::Radio || row.Kind == ControlKind::CheckBox ? 1 : -1;
  const auto value = ChoiceValue(action.Value, absent);
  if (!value) return Spelled(action) + ": needs a value (" + Range(row) + ")";
  std::string error = editor.Choose(action.Name, *value);
  if (!error.empty()) return Spelled(action) + ": out of range (" + Range(row) + ")";
  return {};
}

std::vector<std::string> ListEditorControls(const OptionEditorModel& editor) {
  std::vector<std::string> lines{editor.Table().FormName};
  for (const auto& c : editor.Controls()) {
    const ControlRow& row = *c.Row;
    if (!c.Visible || !c.Enabled || row.Kind == ControlKind::Display || row.Kind == ControlKind::Label)
      continue;
    std::string line = row.Name + "\t" + ControlKindName(row.Kind) + "\t" + Range(row);
    if (!row.Caption.empty()) line += "\t" + row.Caption;
    if (row.OkOnly) line += "\t(written on OK)";
    lines.push_back(line);
    const bool listed = row.Kind == ControlKind::ComboBox || row.Kind == ControlKind::RadioGroup ||
                        row.Kind == ControlKind::PopupMenu;
    if (listed)
      for (std::size_t k = 0; k < row.Items.size(); ++k) {
        std::string item(1, '\t');
        item.append(std::to_string(k)).append(1, '\t').append(row.Items[k].Text);
        lines.push_back(std::move(item));
      }
  }
  return lines;
}

std::string RunEditorActions(const ChipInfo& chip, bool stm32, OptionBuffer& buffer,
                             OperatorPrompts& prompts, const std::vector<std::string>& actions) {
  OptionEditorModel editor(EditorTableFor(EditorFor(chip, stm32)), EditorChipOf(chip, stm32), buffer,
                           prompts);
  for (const auto& text : actions) {
    const auto action = ParseEditorAction(text);
    if (!action) return "'" + text + "': not an option action (NAME or NAME=VALUE)";
    if (auto error = ApplyEditorAction(editor, *action); !error.empty()) return error;
  }
  editor.Ok();
  return {};
}

}  // namespace korvel
