#pragma once
// A row-per-case harness for the option-byte editors: the chip's default
// buffer, the actions as the command line spells them, then the bytes and
// panel texts expected.
#include <gtest/gtest.h>

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

}  // namespace korvel::test
