#include "optionbytes/EditorTable.h"

#include <bit>

namespace korvel {

const char* ControlKindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Radio: return "radio";
    case ControlKind::RadioGroup: return "radio-group";
    case ControlKind::CheckBox: return "check-box";
    case ControlKind::ComboBox: return "combo-box";
    case ControlKind::PopupMenu: return "pop-up-menu";
    case ControlKind::BitPanel: return "bit-panel";
    case ControlKind::SpinEdit: return "spin-edit";
    case ControlKind::KeyEdit: return "key-edit";
    case ControlKind::IntEdit: return "int-edit";
    case ControlKind::Display: return "display";
    case ControlKind::Label: return "label";
  }
  return "?";
}

std::vector<ControlItem> IndexItems(uint8_t mask, std::vector<std::string> texts) {
  const int shift = mask ? std::countr_zero(static_cast<unsigned>(mask)) : 0;
  std::vector<ControlItem> items;
  for (std::size_t k = 0; k < texts.size(); ++k) {
    const auto value = static_cast<uint8_t>((k << shift) & mask);
    items.push_back({std::move(texts[k]), mask, value, value, {}});
  }
  return items;
}

std::vector<ControlItem> BitItems(uint8_t bit, std::string cleared, std::string set) {
  const auto mask = static_cast<uint8_t>(1u << bit);
  return {{std::move(cleared), mask, 0, 0, {}}, {std::move(set), 0, mask, mask, {}}};
}

std::vector<ControlItem> ValueItems(uint8_t mask, std::vector<ValueItem> items) {
  std::vector<ControlItem> out;
  for (auto& item : items)
    out.push_back({std::move(item.Text), mask, item.Value, item.Value, std::move(item.Warning)});
  return out;
}

}  // namespace korvel
