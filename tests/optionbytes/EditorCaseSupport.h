#pragma once
// A row-per-case harness for the option-byte editors: the chip's default
// buffer, the actions as the command line spells them, then the bytes and
// panel texts expected.
#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "OptionTestSupport.h"
#include "optionbytes/EditorTables.h"
#include "optionbytes/OptionEditorActions.h"
#include "optionbytes/OptionEditorDispatch.h"

namespace korvel::test {

struct EditorCase {
  const char* Chip;
  std::vector<std::string> Actions;
  std::vector<Run> Bytes;                      // over the chip's default
  std::map<std::string, std::string> Texts;    // panel name -> text
  std::vector<std::string> Warnings = {};      // prompts shown, in order
  bool PressOk = true;
};

// The chip's editor on its default buffer, shown.
struct OpenEditor {
  explicit OpenEditor(const std::string& chipName) : Chip(Named(chipName)) {
    ResetOptionBuffer(Buffer, Chip.Info, Chip.Stm32);
    Default = Buffer;
    Model = std::make_unique<OptionEditorModel>(EditorTableFor(EditorFor(Chip.Info, Chip.Stm32)),
                                                EditorChipOf(Chip.Info, Chip.Stm32), Buffer, Prompts);
  }
  std::string Apply(const std::string& text) {
    return ApplyEditorAction(*Model, *ParseEditorAction(text));
  }

  test::Chip Chip;
  OptionBuffer Buffer{};
  OptionBuffer Default{};
  RecordingPrompts Prompts;
  std::unique_ptr<OptionEditorModel> Model;
};

inline OptionBuffer Overlaid(OptionBuffer base, const std::vector<Run>& runs) {
  for (const Run& r : runs) {
    std::string_view h = r.Hex;
    std::size_t at = r.Offset;
    for (std::size_t i = 0; i + 1 < h.size(); i += 3)
      base[at++] = static_cast<uint8_t>(std::stoi(std::string(h.substr(i, 2)), nullptr, 16));
  }
  return base;
}

inline void RunEditorCase(const EditorCase& k) {
  SCOPED_TRACE(std::string(k.Chip) + " " + ::testing::PrintToString(k.Actions));
  OpenEditor e(k.Chip);
  for (const auto& a : k.Actions) ASSERT_EQ(e.Apply(a), "") << a;
  if (k.PressOk) e.Model->Ok();
  EXPECT_EQ(Hex(e.Buffer), Hex(Overlaid(e.Default, k.Bytes)));
  for (const auto& [name, text] : k.Texts) EXPECT_EQ(e.Model->TextOf(name), text) << name;
  std::vector<std::string> shown;
  for (const auto& m : e.Prompts.Messages) shown.push_back(m.Text);
  EXPECT_EQ(shown, k.Warnings);
}

// The level-2 read-protection prompt, as the register-style forms and most
// byte-pair forms spell it.
inline constexpr const char* kOtpWarning = "警告：选择此设置芯片将不再能擦除和编程（OTP）!";

// The text of the item a list control shows, or "-" when none.
inline std::string Selected(const OpenEditor& e, const char* name) {
  const ControlState* c = e.Model->Find(name);
  if (!c || c->State < 0 || static_cast<std::size_t>(c->State) >= c->Row->Items.size()) return "-";
  return c->Row->Items[static_cast<std::size_t>(c->State)].Text;
}

// An action the editor refuses: the error names it and nothing is written
// (not even by OK when pressOk).
struct RefusedCase {
  const char* Chip;
  const char* Action;
  const char* Says;
};

inline void ExpectRefused(const RefusedCase& k, bool pressOk = false) {
  OpenEditor e(k.Chip);
  const std::string error = e.Apply(k.Action);
  EXPECT_NE(error.find(k.Says), std::string::npos) << k.Action << " -> " << error;
  if (pressOk) e.Model->Ok();
  EXPECT_EQ(e.Buffer, e.Default) << k.Action;
}

// Every item of every visible combo box reads back as itself, and no two
// boxes own the same bit.
inline void ExpectEachBoxOwnsItsBitsAlone(std::initializer_list<const char*> chips) {
  for (const char* chip : chips) {
    OpenEditor e(chip);
    std::map<int, uint8_t> owned;
    for (const auto& c : e.Model->Controls()) {
      const ControlRow& row = *c.Row;
      if (row.Kind != ControlKind::ComboBox || !c.Visible) continue;
      EXPECT_EQ(owned[row.Offset] & row.Mask, 0) << chip << " " << row.Name;
      owned[row.Offset] |= row.Mask;
      for (int k = 0; k < static_cast<int>(row.Items.size()); ++k) {
        ASSERT_EQ(e.Model->Choose(row.Name, k), "");
        e.Model->Show();
        EXPECT_EQ(e.Model->Find(row.Name)->State, k) << chip << " " << row.Name;
      }
    }
  }
}

}  // namespace korvel::test
