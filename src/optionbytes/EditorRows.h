#pragma once
// Row builders shared by the family tables: each builds one ControlRow the
// way every table spells it, so a table reads as its data.
#include <cstdint>
#include <string>
#include <vector>

#include "optionbytes/EditorTable.h"

namespace korvel {

// The prompt before a read-protection level that can never be undone.
inline constexpr const char* kOtpWarning = "警告：选择此设置芯片将不再能擦除和编程（OTP）!";

// A static text.
ControlRow LabelRow(std::string name, std::string group, std::string text);

// A combo box over the bits of mask at offset.
ControlRow ComboRow(std::string name, std::string group, int offset, uint8_t mask,
                    std::vector<ControlItem> items, ChipRule visible = nullptr);

// A captioned combo box whose item index is the field value.
ControlRow FieldCombo(std::string name, std::string caption, std::string group, int offset,
                      uint8_t mask, std::vector<std::string> texts, ChipRule visible = nullptr);

// The read-protection box of the register-style families: 0xAA level 0,
// 0xCC level 2 (after kOtpWarning), anything else level 1.
ControlRow RdpLevelCombo(std::string name, std::string group, std::string caption, int offset);

// The read-protection box of the byte-pair families ("0xAA : Level 0, no
// protection", ...), with the level-2 warning each form spells its own way.
ControlRow RdpShortCombo(std::string name, std::string group, int offset, std::string warning,
                         ChipRule visible = nullptr);

// One button of a read-protection pair at offset 0. The button that
// writes value is shown for it; the other writes 0x00 and is shown for
// anything else.
ControlRow RopRadio(std::string name, std::string group, std::string caption, uint8_t value,
                    bool writesValue);

// A right-click panel for one bit: the first item clears it, the second
// sets it; the label panel follows the bit.
ControlRow BitMenu(std::string menu, std::string group, int offset, uint8_t bit, std::string cleared,
                   std::string set, std::string label, std::string labelCleared, std::string labelSet);

// A spin edit from 0 to max over the bits of mask.
ControlRow SpinRow(std::string name, std::string group, int offset, uint8_t mask, int max);

// The read-only line of option words under the register-style forms.
ControlRow OptionWordsDisplay(std::string caption, DisplayText text);

}  // namespace korvel
