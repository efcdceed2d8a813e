#include "optionbytes/OptionEditorModel.h"

#include <bit>
#include <cctype>

#include "app/IntegerText.h"

namespace korvel {

std::string FormatHex(std::string_view format, unsigned value) {
  static const char* kDigits = "0123456789abcdef";
  const auto percent = format.find('%');
  if (percent == std::string_view::npos) return std::string(format);
  // "%0.Nx": N digits at least, lower case.
  std::size_t width = 2;
  const auto x = format.find('x', percent);
  if (x != std::string_view::npos && x > percent + 1 && std::isdigit(static_cast<unsigned char>(format[x - 1])))
    width = static_cast<std::size_t>(format[x - 1] - '0');
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  std::string out(format.substr(0, percent));
  out += digits;
  if (x != std::string_view::npos) out += format.substr(x + 1);
  return out;
}

namespace {

bool IsEdit(ControlKind k) { return k == ControlKind::KeyEdit || k == ControlKind::IntEdit; }
bool HasState(ControlKind k) {
  return !IsEdit(k) && k != ControlKind::Display && k != ControlKind::Label;
}
bool LabelIsSelf(const ControlRow& row) {
  return row.Label.empty() && (row.Kind == ControlKind::BitPanel || row.Kind == ControlKind::PopupMenu);
}
int ShiftOf(uint8_t mask) { return mask ? std::countr_zero(static_cast<unsigned>(mask)) : 0; }

// Up to two hexadecimal digits, either case; an empty or unreadable text
// is 0 (how the key and WRP edits read their text).
uint8_t HexByte(const std::string& text) {
  unsigned value = 0;
  for (char ch : text) {
    const int c = std::tolower(static_cast<unsigned char>(ch));
    if (c >= '0' && c <= '9') value = value * 16 + static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'f') value = value * 16 + static_cast<unsigned>(c - 'a' + 10);
    else return 0;
  }
  return static_cast<uint8_t>(value);
}

}  // namespace

OptionEditorModel::OptionEditorModel(const EditorTable& table, EditorChip chip, OptionBuffer& buffer,
                                     OperatorPrompts& prompts)
    : table_(table), chip_(std::move(chip)), buffer_(buffer), prompts_(prompts) {
  for (const auto& row : table_.Rows)
    if (Holds(row.Applies, chip_)) controls_.push_back(ControlState{&row});
  Show();
}

std::string OptionEditorModel::Caption() const {
  return table_.Title.empty() ? chip_.ChipName + kOptionCaptionSuffix : table_.Title;
}

const ControlState* OptionEditorModel::Find(std::string_view name) const {
  for (const auto& c : controls_)
    if (c.Row->Name == name) return &c;
  return nullptr;
}

ControlState* OptionEditorModel::FindMutable(std::string_view name) {
  return const_cast<ControlState*>(Find(name));
}

bool OptionEditorModel::GroupVisible(const ControlGroup& group) const {
  return Holds(group.Visible, chip_);
}

std::string OptionEditorModel::GroupTitle(const ControlGroup& group) const {
  return group.TitleText ? group.TitleText(buffer_, chip_) : group.Title;
}

std::string OptionEditorModel::TextOf(std::string_view name) const {
  for (const auto& o : overrides_)
    if (o.Panel == name && o.Offset >= 0 && buffer_[static_cast<std::size_t>(o.Offset)] == o.Byte) return o.Text;
  for (const auto& c : controls_) {
    if (c.Row->Name == name) return c.Text;
    if (!c.Row->Label.empty() && c.Row->Label == name) return c.LabelText;
  }
  for (const auto& g : table_.Groups) {
    if (!g.ValuePanel.empty() && g.ValuePanel == name && g.ValueOffset >= 0)
      return FormatHex("0x%0.2x", buffer_[static_cast<std::size_t>(g.ValueOffset)]);
    if (!g.ComplementPanel.empty() && g.ComplementPanel == name && g.ComplementOffset >= 0)
      return FormatHex("0x%0.2x", buffer_[static_cast<std::size_t>(g.ComplementOffset)]);
  }
  return {};
}

int OptionEditorModel::ReadState(const ControlRow& row) const {
  if (row.State) return row.State(buffer_, chip_);
  if (row.Offset < 0) return -1;
  const uint8_t field = buffer_[static_cast<std::size_t>(row.Offset)] & row.Mask;
  auto matches = [&](const ControlItem& item) { return field == (item.Match & row.Mask); };
  switch (row.Kind) {
    case ControlKind::Radio:
      return !row.Items.empty() && (matches(row.Items[0]) != row.MatchNot) ? 1 : 0;
    case ControlKind::CheckBox:
      return row.Items.size() > 1 && matches(row.Items[1]) ? 1 : 0;
    case ControlKind::SpinEdit:
      return field >> ShiftOf(row.Mask);
    default:
      for (std::size_t k = 0; k < row.Items.size(); ++k)
        if (matches(row.Items[k])) return static_cast<int>(k);
      return row.Fallback;
  }
}

std::string OptionEditorModel::LabelFor(const ControlRow& row, int state, bool shown) const {
  const auto& texts = shown && !row.ShowLabelTexts.empty() ? row.ShowLabelTexts : row.LabelTexts;
  if (state < 0 || static_cast<std::size_t>(state) >= texts.size()) return {};
  const std::string& text = texts[static_cast<std::size_t>(state)];
  // A value panel that a control relabels: it prints the byte it shows.
  if (text.find('%') != std::string::npos && row.Offset >= 0)
    return FormatHex(text, buffer_[static_cast<std::size_t>(row.Offset)]);
  return text;
}

std::string OptionEditorModel::EditTextFromBuffer(const ControlRow& row) const {
  if (row.Offset < 0) return row.DesignText;
  unsigned value = buffer_[static_cast<std::size_t>(row.Offset)];
  if (row.Width > 1 && row.Offset + 1 < static_cast<int>(buffer_.size()))
    value |= unsigned{buffer_[static_cast<std::size_t>(row.Offset) + 1]} << 8;
  return FormatHex(row.EditFormat.empty() ? "0x%0.2x" : row.EditFormat, value);
}

void OptionEditorModel::Show() {
  overrides_.clear();
  for (auto& c : controls_) {
    const ControlRow& row = *c.Row;
    bool groupVisible = true;
    for (const auto& g : table_.Groups)
      if (g.Name == row.Group) groupVisible = GroupVisible(g);
    c.Visible = groupVisible && Holds(row.Visible, chip_);
    c.Enabled = Holds(row.Enabled, chip_);
    c.State = -1;
    c.Text.clear();
    c.LabelText.clear();
    if (IsEdit(row.Kind)) {
      c.Text = Holds(row.ShowRule, chip_) ? EditTextFromBuffer(row) : row.DesignText;
    } else if (row.Kind == ControlKind::Display) {
      const DisplayText text = row.ShowText ? row.ShowText : row.Text;
      c.Text = text ? text(buffer_, chip_) : EditTextFromBuffer(row);
    } else if (row.Kind == ControlKind::Label) {
      c.Text = row.Caption;
    } else {
      c.State = ReadState(row);
      (LabelIsSelf(row) ? c.Text : c.LabelText) = LabelFor(row, c.State, true);
    }
  }
}

std::string OptionEditorModel::Check(const ControlState* c, std::string_view name) const {
  const std::string who(name);
  if (!c) return who + ": " + table_.FormName + " has no such control for " + chip_.ChipName;
  if (!c->Visible) return who + ": hidden for " + chip_.ChipName;
  if (!c->Enabled) return who + ": disabled for " + chip_.ChipName;
  return {};
}

void OptionEditorModel::WriteByte(int offset, uint8_t clear, uint8_t set) {
  if (offset < 0 || offset >= static_cast<int>(buffer_.size())) return;
  auto& byte = buffer_[static_cast<std::size_t>(offset)];
  byte = static_cast<uint8_t>((byte & ~clear) | set);
  if (!table_.ComplementOf) return;
  const int complement = table_.ComplementOf(offset);
  if (complement >= 0 && complement < static_cast<int>(buffer_.size()))
    buffer_[static_cast<std::size_t>(complement)] = static_cast<uint8_t>(~byte);
}

void OptionEditorModel::WriteItem(const ControlRow& row, int state) {
  if (row.Write) {
    row.Write(buffer_, chip_, state);
  } else if (state >= 0 && static_cast<std::size_t>(state) < row.Items.size()) {
    const auto& item = row.Items[static_cast<std::size_t>(state)];
    WriteByte(row.Offset, item.Clear, item.Set);
  }
  WriteExtra(row);
}

void OptionEditorModel::WriteExtra(const ControlRow& row) {
  if (row.Extra.Offset >= 0 && Holds(row.Extra.When, chip_))
    WriteByte(row.Extra.Offset, row.Extra.Clear, row.Extra.Set);
}

void OptionEditorModel::WriteSpin(const ControlRow& row, int value) {
  const auto field = static_cast<uint8_t>((static_cast<unsigned>(value) << ShiftOf(row.Mask)) & row.Mask);
  WriteByte(row.Offset, row.Mask, field);
  WriteExtra(row);
}

void OptionEditorModel::WriteEdit(const ControlRow& row, const std::string& text) {
  if (row.Kind == ControlKind::KeyEdit) {
    WriteByte(row.Offset, 0xFF, HexByte(text));
  } else {
    const auto value = ParseInteger(text);
    if (!value) return;
    const auto v = static_cast<uint32_t>(*value);
    WriteByte(row.Offset, 0xFF, static_cast<uint8_t>(v));
    if (row.Width > 1) WriteByte(row.Offset + 1, 0xFF, static_cast<uint8_t>((v >> 8) & row.HighMask));
  }
  WriteExtra(row);
}

void OptionEditorModel::AfterChange(ControlState& touched) {
  for (auto& c : controls_) {
    const ControlRow& row = *c.Row;
    if (row.Kind == ControlKind::Display) {
      c.Text = row.Text ? row.Text(buffer_, chip_) : EditTextFromBuffer(row);
      continue;
    }
    if (!HasState(row.Kind) || row.OkOnly || &c == &touched) continue;
    const int state = ReadState(row);
    if (state == c.State) continue;
    c.State = state;
    (LabelIsSelf(row) ? c.Text : c.LabelText) = LabelFor(row, state, false);
  }
  if (HasState(touched.Row->Kind))
    (LabelIsSelf(*touched.Row) ? touched.Text : touched.LabelText) =
        LabelFor(*touched.Row, touched.State, false);
}

std::string OptionEditorModel::Choose(std::string_view name, int value) {
  ControlState* c = FindMutable(name);
  if (auto error = Check(c, name); !error.empty()) return error;
  const ControlRow& row = *c->Row;
  const std::string who(name);
  int lo = 0, hi = 0;
  switch (row.Kind) {
    case ControlKind::Radio: lo = hi = 1; break;
    case ControlKind::CheckBox:
    case ControlKind::BitPanel: hi = 1; break;
    case ControlKind::ComboBox:
    case ControlKind::RadioGroup:
    case ControlKind::PopupMenu: hi = static_cast<int>(row.Items.size()) - 1; break;
    case ControlKind::SpinEdit: lo = row.Min, hi = row.Max; break;
    default: return who + ": takes a text, not a choice";
  }
  if (value < lo || value > hi)
    return who + "=" + std::to_string(value) + ": out of range (" + std::to_string(lo) +
           (lo == hi ? "" : " to " + std::to_string(hi)) + ")";
  c->State = value;
  if (!row.OkOnly) {
    if (row.Kind == ControlKind::SpinEdit) {
      WriteSpin(row, value);
    } else {
      const auto item = static_cast<std::size_t>(row.Kind == ControlKind::Radio ? 0 : value);
      if (item < row.Items.size() && !row.Items[item].Warning.empty())
        prompts_.Message(PromptKind::Warning, row.Items[item].Warning);
      WriteItem(row, row.Kind == ControlKind::Radio ? 0 : value);
      if (!row.Panel.empty() && row.Offset >= 0) {
        std::erase_if(overrides_, [&](const PanelOverride& o) { return o.Panel == row.Panel; });
        if (item < row.Items.size() && !row.Items[item].PanelText.empty())
          overrides_.push_back({row.Panel, row.Items[item].PanelText, row.Offset,
                                buffer_[static_cast<std::size_t>(row.Offset)]});
      }
    }
  }
  AfterChange(*c);
  return {};
}

std::string OptionEditorModel::Type(std::string_view name, const std::string& text) {
  ControlState* c = FindMutable(name);
  if (auto error = Check(c, name); !error.empty()) return error;
  const ControlRow& row = *c->Row;
  const std::string who(name);
  if (!IsEdit(row.Kind)) return who + ": takes a choice, not a text";
  if (static_cast<int>(text.size()) > row.MaxLength)
    return who + "=" + text + ": longer than " + std::to_string(row.MaxLength) + " characters";
  if (row.Kind == ControlKind::KeyEdit) {
    for (char ch : text)
      if (!std::isxdigit(static_cast<unsigned char>(ch)))
        return who + "=" + text + ": only hexadecimal digits";
  } else if (!ParseInteger(text)) {
    // The dialog's own complaint; the field keeps its bytes.
    c->Text = text;
    prompts_.Message(PromptKind::Error, NotAnIntegerMessage(text));
    return who + "=" + text + ": " + NotAnIntegerMessage(text);
  }
  c->Text = text;
  if (!row.OkOnly) WriteEdit(row, text);
  AfterChange(*c);
  return {};
}

void OptionEditorModel::Ok() {
  for (auto& c : controls_) {
    const ControlRow& row = *c.Row;
    if (!row.OkOnly || !Holds(row.WriteRule, chip_)) continue;
    if (IsEdit(row.Kind)) WriteEdit(row, c.Text);
    else if (c.State >= 0) WriteItem(row, c.State);
  }
}

}  // namespace korvel
