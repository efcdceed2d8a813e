#include "optionbytes/EditorRows.h"

#include <utility>

namespace korvel {

ControlRow LabelRow(std::string name, std::string group, std::string text) {
  ControlRow row;
  row.Name = std::move(name);
  row.Kind = ControlKind::Label;
  row.Group = std::move(group);
  row.Caption = std::move(text);
  return row;
}

ControlRow ComboRow(std::string name, std::string group, int offset, uint8_t mask,
                    std::vector<ControlItem> items, ChipRule visible) {
  ControlRow row;
  row.Name = std::move(name);
  row.Kind = ControlKind::ComboBox;
  row.Group = std::move(group);
  row.Offset = offset;
  row.Mask = mask;
  row.Items = std::move(items);
  row.Visible = visible;
  return row;
}

ControlRow FieldCombo(std::string name, std::string caption, std::string group, int offset,
                      uint8_t mask, std::vector<std::string> texts, ChipRule visible) {
  ControlRow row =
      ComboRow(std::move(name), std::move(group), offset, mask, IndexItems(mask, std::move(texts)), visible);
  row.Caption = std::move(caption);
  return row;
}

ControlRow RdpLevelCombo(std::string name, std::string group, std::string caption, int offset) {
  ControlRow row = ComboRow(std::move(name), std::move(group), offset, 0xFF,
                            ValueItems(0xFF, {{"0xAA: Level 0, read protection not active", 0xAA},
                                              {"0xCC: Level 2, chip read protection active", 0xCC, kOtpWarning},
                                              {"Others: Level 1, memories read protection active", 0x00}}));
  row.Caption = std::move(caption);
  row.Fallback = 2;
  return row;
}

ControlRow RdpShortCombo(std::string name, std::string group, int offset, std::string warning,
                         ChipRule visible) {
  ControlRow row = ComboRow(std::move(name), std::move(group), offset, 0xFF,
                            ValueItems(0xFF, {{"0xAA : Level 0, no protection", 0xAA},
                                              {"0xCC : Level 2. Chip Protection", 0xCC, std::move(warning)},
                                              {"others: Level 1: Read Protection", 0x00}}),
                            visible);
  row.Fallback = 2;
  return row;
}

ControlRow RopRadio(std::string name, std::string group, std::string caption, uint8_t value,
                    bool writesValue) {
  ControlRow row;
  row.Name = std::move(name);
  row.Kind = ControlKind::Radio;
  row.Group = std::move(group);
  row.Caption = caption;
  row.Offset = 0;
  row.Items = ValueItems(0xFF, {{std::move(caption), value}});
  if (!writesValue) {
    row.Items[0].Set = 0x00;
    row.MatchNot = true;
  }
  return row;
}

ControlRow BitMenu(std::string menu, std::string group, int offset, uint8_t bit, std::string cleared,
                   std::string set, std::string label, std::string labelCleared, std::string labelSet) {
  ControlRow row;
  row.Name = std::move(menu);
  row.Kind = ControlKind::PopupMenu;
  row.Group = std::move(group);
  row.Offset = offset;
  row.Mask = static_cast<uint8_t>(1u << bit);
  row.Items = BitItems(bit, std::move(cleared), std::move(set));
  row.Label = std::move(label);
  row.LabelTexts = {std::move(labelCleared), std::move(labelSet)};
  row.Hint = kRightClickHint;
  return row;
}

ControlRow SpinRow(std::string name, std::string group, int offset, uint8_t mask, int max) {
  ControlRow row;
  row.Name = std::move(name);
  row.Kind = ControlKind::SpinEdit;
  row.Group = std::move(group);
  row.Offset = offset;
  row.Mask = mask;
  row.Min = 0;
  row.Max = max;
  return row;
}

ControlRow OptionWordsDisplay(std::string caption, DisplayText text) {
  ControlRow row;
  row.Name = "EditOptBV";
  row.Kind = ControlKind::Display;
  row.Group = "GroupOptBV";
  row.Caption = std::move(caption);
  row.Text = text;
  return row;
}

}  // namespace korvel
