#pragma once
#include <string>
#include <vector>

namespace korvel {

// Plain state of the window's controls. Core changes these as the program's
// rules say; the Qt window mirrors them and writes operator input back.

struct CheckBoxState {
  std::string Caption;
  bool Checked = false;
  bool Enabled = true;
  bool Visible = true;
};

struct SpinEditState {
  std::string Caption;
  int Value = 0;
  int Min = 0;
  int Max = 0;
  int Increment = 1;
  bool Enabled = true;
};

struct RadioGroupState {
  std::string Caption;
  std::vector<std::string> Items;
  int ItemIndex = 0;
  bool Enabled = true;
};

struct EditState {
  std::string Text;
  int MaxLength = 0;  // 0: no limit
  bool Enabled = true;
};

// A toolbar button or menu entry.
struct ActionState {
  std::string Caption;
  std::string Hint;
  std::string Shortcut;
  bool Visible = true;
  bool Enabled = true;
};

}  // namespace korvel
