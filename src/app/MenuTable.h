#pragma once
#include <vector>

namespace korvel {

// One entry of the main menu. Top-level menus have an empty Parent.
struct MenuEntry {
  const char* Parent;
  const char* Name;
  const char* Caption;
  const char* Shortcut;  // Qt key-sequence text, "" for none
  bool Visible;
  bool Separator = false;
};

// The main menu in display order.
const std::vector<MenuEntry>& MenuEntries();

// The data view's pop-up menu (PopupMenuOTP) in display order; Parent is
// the menu's name.
const std::vector<MenuEntry>& DataViewPopupEntries();

}  // namespace korvel
