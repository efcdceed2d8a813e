#pragma once
// How to write the table of a family's option-byte editor
// ========================================================
//
// Every editor dialog is data: one EditorTable per family, defined in
// src/optionbytes/editors/<Family>Editor.cpp as
//
//     const EditorTable& <Family>EditorTable() {
//       static const EditorTable table = [] { ... }();
//       return table;
//     }
//
// and listed in EditorTableFor (EditorTables.cpp). The core editor
// (OptionEditorModel), the Qt dialog and the command line all read the
// table; nothing else knows the family. Stm32F1Editor.cpp is the worked
// example. Its tests (tests/optionbytes/Stm32F1EditorTest.cpp) show the
// harness of EditorCaseSupport.h: one row per case with the chip, the
// actions as the command line spells them, the bytes expected over the
// chip's default and the panel texts expected.
//
// The table:
// - FormName: the dialog class name ("TSTM32F1xOptByteForm"); the window
//   title is the chip name followed by " Option Byte Setting", unless
//   Title gives a fixed one.
// - ComplementOf: where the complement of a written byte goes (-1: none).
//   Every write of a control is followed by complement = NOT value at that
//   offset. Families without complements leave it nullptr.
// - Groups: the boxes of the dialog, in layout order. A group that stands
//   for one option byte fills Address/ValuePanel/ValueOffset (and the
//   complement panel when there is one), so the dialog shows the row
//   "address, name, value, complement" above its controls.
// - Rows: the controls, in layout order, each in a group. Name is the form
//   name (the name of the action on the command line and the Qt
//   objectName); it must be unique among the rows that apply to one chip.
//
// A control row:
// - Kind: what the operator handles (see ControlKind).
// - Offset/Mask: the byte and bits it owns. Mask also decides the state
//   shown: an item is shown selected when (byte & Mask) == item.Match.
// - Items: what each state writes, as byte = (byte & ~Clear) | Set, and the
//   text of the state. Radio and check box: a radio has one item (selecting
//   it), a check box two (unticked, ticked). Combo box, radio group and
//   pop-up menu: one item per entry, index from 0. Bit panel: two items
//   ("0" clears, "1" sets). Use the helpers below (IndexItems, BitItems,
//   ValueItems) instead of spelling masks out.
// - Fallback: the item shown when no item matches (the "others: Level 1"
//   entry of a read-protection box); -1 shows nothing selected. A radio with
//   MatchNot is selected when its item does NOT match (the "otherwise"
//   button of a pair).
// - Label/LabelTexts: a panel whose text follows the bit state ("Bit7=0" /
//   "Bit7=1", "_HALT" / "_RST"). ShowLabelTexts, when given, are the texts
//   the panel gets when the form is shown (some panels read differently
//   after an edit and after reopening). A label text holding a format
//   ("0x%0.2x") prints the row's byte through it, for value panels that a
//   control sets to a fixed text ("0xAA") but the form fills from the byte.
// - Spin edit: Min..Max, written into the Mask bits (shifted to the mask's
//   lowest bit). Key edit: up to MaxLength hexadecimal digits; Int edit:
//   the integer text of IntegerText.h (decimal, 0x, $), Width bytes from
//   Offset, the high byte ANDed with HighMask. Edits show their byte(s)
//   with EditFormat when the form is shown and ShowRule allows it,
//   otherwise their DesignText.
// - Display: a read-only panel; its text is Text(buffer, chip) or
//   "0x%0.2x" of Offset. Displays are recomputed after every change.
//   ShowText, when given, is the text the panel gets when the form is shown
//   (a caption that the dialog formats differently on show and on edit).
// - Warning: shown (and answered OK) before the item writes; per item.
// - Panel/PanelText: a value panel that an item relabels with its own
//   text right after it was chosen; the panel's usual text returns once its
//   byte changes or the form is shown again.
// - Group TitleText: a box caption computed from the buffer.
// - Applies/Visible/Enabled: predicates on EditorChip, nullptr = always.
//   Rows that do not apply do not exist for the chip (use it for variants
//   of one control, e.g. texts by chip); hidden or disabled rows exist but
//   cannot be changed by the operator.
// - OkOnly: the value is written only when OK is pressed (TMU keys);
//   WriteRule limits when OK writes it at all.
// - Write/State: escape hatches for controls no mask can describe; Write
//   replaces the item write, State replaces the state read.
// - Extra: one more conditional write after every write of the row.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "optionbytes/OptionBuffer.h"

namespace korvel {

// What the editor tables know of the chosen chip.
struct EditorChip {
  std::string ChipName;
  uint8_t FamilyCode = 0;
  uint8_t SubCode = 0;
  uint16_t FlashSizeKB = 0;
  bool DualBank = false;
  bool VariantFlag = false;
  bool Stm32 = true;

  // The n-th character of the chip name, counted from 1; 0 past the end.
  char NameChar(std::size_t n) const {
    return n >= 1 && n <= ChipName.size() ? ChipName[n - 1] : '\0';
  }
};

using ChipRule = bool (*)(const EditorChip&);

enum class ControlKind {
  Radio,       // one button of a pair; NAME or NAME=1 selects it
  RadioGroup,  // a group of buttons; NAME=K selects item K
  CheckBox,    // NAME=1 ticks, NAME=0 unticks
  ComboBox,    // NAME=K, K the item index from 0
  PopupMenu,   // a panel with its own menu; NAME=K
  BitPanel,    // a panel with the "0"/"1" menu; NAME=0 or NAME=1
  SpinEdit,    // NAME=N within Min..Max
  KeyEdit,     // NAME=TEXT, hexadecimal digits up to MaxLength
  IntEdit,     // NAME=TEXT, integer text up to MaxLength
  Display,     // read-only
  Label,       // static text
};

const char* ControlKindName(ControlKind kind);

struct ControlItem {
  std::string Text;
  uint8_t Clear = 0;
  uint8_t Set = 0;
  uint8_t Match = 0;
  std::string Warning;
  // What the row's Panel reads right after this item was chosen, when it
  // differs from the panel's own format ("0xA5" where a refresh shows
  // "0xa5").
  std::string PanelText = {};
};

struct ControlRow;
using RowWrite = void (*)(OptionBuffer&, const EditorChip&, int state);
using RowState = int (*)(const OptionBuffer&, const EditorChip&);
using DisplayText = std::string (*)(const OptionBuffer&, const EditorChip&);

struct ExtraWrite {
  int Offset = -1;  // -1: none
  uint8_t Clear = 0;
  uint8_t Set = 0;
  ChipRule When = nullptr;
};

struct ControlRow {
  std::string Name;
  ControlKind Kind = ControlKind::Label;
  std::string Group;
  std::string Caption;  // button/check box text, or a label's text
  int Offset = -1;
  uint8_t Mask = 0xFF;
  std::vector<ControlItem> Items;
  int Fallback = -1;
  bool MatchNot = false;
  std::string Label;
  std::string Panel;  // the value panel its items' PanelText relabels
  std::vector<std::string> LabelTexts;      // by state: 0, 1, ...
  std::vector<std::string> ShowLabelTexts;  // when shown, if different
  int Min = 0;
  int Max = 255;
  int MaxLength = 2;
  int Width = 1;
  uint8_t HighMask = 0xFF;
  std::string EditFormat;  // "%0.2x", "0x%0.2x", "0x%0.4x"
  std::string DesignText;
  ChipRule ShowRule = nullptr;  // edits: load from the buffer on show
  DisplayText Text = nullptr;
  DisplayText ShowText = nullptr;  // displays: on show, if different
  std::string Hint;
  ChipRule Applies = nullptr;
  ChipRule Visible = nullptr;
  ChipRule Enabled = nullptr;
  bool OkOnly = false;
  ChipRule WriteRule = nullptr;
  RowWrite Write = nullptr;
  RowState State = nullptr;
  ExtraWrite Extra;
};

struct ControlGroup {
  std::string Name;   // objectName of the box
  std::string Title;  // the box's caption or the byte's name
  std::string Address;  // "0x4800"; empty when the group is not one byte
  std::string ValuePanel;
  int ValueOffset = -1;
  std::string ComplementPanel;
  int ComplementOffset = -1;
  ChipRule Visible = nullptr;
  // A caption that follows the buffer (" nWRPi = 0x%0.4x "); Title when
  // empty.
  DisplayText TitleText = nullptr;
};

struct EditorTable {
  std::string FormName;
  int (*ComplementOf)(int offset) = nullptr;
  std::vector<ControlGroup> Groups;
  std::vector<ControlRow> Rows;
  std::string Title;  // a fixed window title; empty: chip name + suffix
};

// The hint of every panel set with the right mouse button.
inline constexpr const char* kRightClickHint = "用鼠标右键进行设定";
inline constexpr const char* kOptionCaptionSuffix = " Option Byte Setting";

// Items whose index is the field value: item K writes K into the bits of
// mask (shifted to the mask's lowest bit).
std::vector<ControlItem> IndexItems(uint8_t mask, std::vector<std::string> texts);
// Two items for one bit: the first clears it, the second sets it.
std::vector<ControlItem> BitItems(uint8_t bit, std::string cleared, std::string set);
// Items writing a whole value each (Clear = mask, Set = Match = value).
struct ValueItem {
  std::string Text;
  uint8_t Value;
  std::string Warning = {};
};
std::vector<ControlItem> ValueItems(uint8_t mask, std::vector<ValueItem> items);

// True when the rule is empty or holds.
inline bool Holds(ChipRule rule, const EditorChip& chip) { return !rule || rule(chip); }

}  // namespace korvel
