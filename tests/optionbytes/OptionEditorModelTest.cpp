// The generic editor on a small table of its own: the parts of the table
// format that the F0/F1 table does not use.
#include "optionbytes/OptionEditorModel.h"

#include "EditorCaseSupport.h"
#include "optionbytes/OptionEditorActions.h"

namespace korvel {
namespace {

EditorTable SampleTable() {
  EditorTable t;
  t.FormName = "TSampleForm";
  t.ComplementOf = [](int offset) { return offset == 1 || offset == 3 ? offset + 1 : -1; };
  ControlRow key;
  key.Name = "EditKey";
  key.Kind = ControlKind::KeyEdit;
  key.Offset = 16;
  key.EditFormat = "%0.2x";
  key.OkOnly = true;
  key.WriteRule = [](const EditorChip& c) { return c.FamilyCode < 0xD0; };
  t.Rows.push_back(key);
  ControlRow wait;
  wait.Name = "PopMenuWait";
  wait.Kind = ControlKind::PopupMenu;
  wait.Offset = 1;
  wait.Items = ValueItems(0xFF, {{"&0: No Wait State", 0x00}, {"&1: 1 Wait State", 0x01}});
  wait.Label = "lbWait";
  wait.LabelTexts = {"No Wait", " 1 Wait"};
  wait.ShowLabelTexts = {"No Wait", "1 Wait"};
  wait.Panel = "lbOPT6V";
  wait.Items[1].PanelText = "0x01 (1 wait)";
  t.Rows.push_back(wait);
  ControlRow spin;
  spin.Name = "SpinBORTH";
  spin.Kind = ControlKind::SpinEdit;
  spin.Offset = 3;
  spin.Mask = 0x0E;
  spin.Min = 0;
  spin.Max = 7;
  spin.Extra = {5, 0x00, 0x10, [](const EditorChip& c) { return c.SubCode < 32; }};
  t.Rows.push_back(spin);
  ControlRow word;
  word.Name = "EditPCROP1S";
  word.Kind = ControlKind::IntEdit;
  word.Offset = 8;
  word.Width = 2;
  word.HighMask = 0x7F;
  word.MaxLength = 6;
  word.EditFormat = "0x%0.4x";
  word.DesignText = "0xFFFF";
  word.ShowRule = [](const EditorChip& c) { return c.FlashSizeKB > 256; };
  t.Rows.push_back(word);
  ControlRow sum;
  sum.Name = "EditOptBV";
  sum.Kind = ControlKind::Display;
  sum.Text = [](const OptionBuffer& b, const EditorChip&) { return FormatHex("%0.2x ", b[8]) + FormatHex("%0.2x", b[9]); };
  t.Rows.push_back(sum);
  t.Groups = {{"GroupWait", "Flash wait State", "0x480D", "lbOPT6V", 1, "lbOPT6NV", 2, nullptr,
               [](const OptionBuffer& b, const EditorChip&) { return FormatHex("Wait = %0.2x", b[1]); }}};
  return t;
}

struct Sample {
  explicit Sample(uint8_t code, uint16_t flashKB = 512, uint8_t sub = 0) {
    chip.ChipName = "SAMPLE";
    chip.FamilyCode = code;
    chip.FlashSizeKB = flashKB;
    chip.SubCode = sub;
    buffer.fill(0);
    model = std::make_unique<OptionEditorModel>(table, chip, buffer, prompts);
  }
  EditorTable table = SampleTable();
  EditorChip chip;
  OptionBuffer buffer{};
  RecordingPrompts prompts;
  std::unique_ptr<OptionEditorModel> model;
};

TEST(OptionEditorModel, OkOnlyEditsWaitForOkAndFollowTheirRule) {
  Sample s(0xC0);
  EXPECT_EQ(s.model->TextOf("EditKey"), "00");
  EXPECT_EQ(s.model->Type("EditKey", "ab"), "");
  EXPECT_EQ(s.buffer[16], 0x00);
  s.model->Cancel();
  EXPECT_EQ(s.buffer[16], 0x00);
  s.model->Ok();
  EXPECT_EQ(s.buffer[16], 0xAB);
  for (const char* text : {"", "7"}) {
    s.model->Type("EditKey", text);
    s.model->Ok();
    EXPECT_EQ(s.buffer[16], text[0] ? 0x07 : 0x00) << text;
  }
  EXPECT_NE(s.model->Type("EditKey", "g1"), "");
  EXPECT_NE(s.model->Type("EditKey", "123"), "");

  Sample stm8s(0xD6);
  stm8s.buffer[16] = 0x42;
  stm8s.model->Show();
  stm8s.model->Type("EditKey", "ff");
  stm8s.model->Ok();
  EXPECT_EQ(stm8s.buffer[16], 0x42);
}

TEST(OptionEditorModel, PanelTextsDifferAfterAnEditAndOnShow) {
  Sample s(0xC0);
  EXPECT_EQ(s.model->TextOf("lbWait"), "No Wait");
  ASSERT_EQ(s.model->Choose("PopMenuWait", 1), "");
  EXPECT_EQ(s.buffer[1], 0x01);
  EXPECT_EQ(s.buffer[2], 0xFE);
  EXPECT_EQ(s.model->TextOf("lbWait"), " 1 Wait");
  // Another control's change leaves the panel as the edit left it.
  s.model->Choose("SpinBORTH", 5);
  EXPECT_EQ(s.model->TextOf("lbWait"), " 1 Wait");
  s.model->Show();
  EXPECT_EQ(s.model->TextOf("lbWait"), "1 Wait");
}

TEST(OptionEditorModel, ValuePanelsAndCaptionsFollowTheBuffer) {
  Sample s(0xC0);
  const ControlGroup& group = s.table.Groups[0];
  EXPECT_EQ(s.model->GroupTitle(group), "Wait = 00");
  EXPECT_EQ(s.model->TextOf("lbOPT6NV"), "0x00");
  s.model->Choose("PopMenuWait", 1);
  // The item's own text first, the panel's format again once reopened.
  EXPECT_EQ(s.model->TextOf("lbOPT6V"), "0x01 (1 wait)");
  EXPECT_EQ(s.model->TextOf("lbOPT6NV"), "0xfe");
  EXPECT_EQ(s.model->GroupTitle(group), "Wait = 01");
  s.model->Show();
  EXPECT_EQ(s.model->TextOf("lbOPT6V"), "0x01");
  s.model->Choose("PopMenuWait", 1);
  s.model->Choose("PopMenuWait", 0);
  EXPECT_EQ(s.model->TextOf("lbOPT6V"), "0x00");
}

TEST(OptionEditorModel, FieldWritesKeepTheOtherBits) {
  Sample s(0xC0, 512, 40);
  s.buffer[3] = 0xF1;
  ASSERT_EQ(s.model->Choose("SpinBORTH", 5), "");
  EXPECT_EQ(s.buffer[3], 0xFB);
  EXPECT_EQ(s.buffer[4], 0x04);
  EXPECT_EQ(s.buffer[5], 0x00);  // the extra write needs a sub code below 32
  EXPECT_NE(s.model->Choose("SpinBORTH", 8), "");

  Sample low(0xC0, 512, 3);
  low.model->Choose("SpinBORTH", 0);
  EXPECT_EQ(low.buffer[5], 0x10);
}

TEST(OptionEditorModel, IntegerEditsStoreTheirBytesOrComplain) {
  Sample s(0x08);
  EXPECT_EQ(s.model->TextOf("EditPCROP1S"), "0x0000");
  ASSERT_EQ(s.model->Type("EditPCROP1S", "0xFFFF"), "");
  EXPECT_EQ(s.buffer[8], 0xFF);
  EXPECT_EQ(s.buffer[9], 0x7F);
  EXPECT_EQ(s.model->TextOf("EditOptBV"), "ff 7f");
  ASSERT_EQ(s.model->Type("EditPCROP1S", "$12"), "");
  EXPECT_EQ(s.buffer[8], 0x12);

  // Half-typed text: the standard complaint, and the bytes stay.
  EXPECT_NE(s.model->Type("EditPCROP1S", "0x"), "");
  ASSERT_EQ(s.prompts.Messages.size(), 1u);
  EXPECT_EQ(s.prompts.Messages[0].Text, "'0x' is not a valid integer value");
  EXPECT_EQ(s.buffer[8], 0x12);

  // Too large for the field: refused on the command line.
  EXPECT_NE(ApplyEditorAction(*s.model, {"EditPCROP1S", "0x10000"}), "");
  EXPECT_NE(ApplyEditorAction(*s.model, {"EditOptBV", "1"}), "");

  Sample small(0x08, 256);
  EXPECT_EQ(small.model->TextOf("EditPCROP1S"), "0xFFFF");
}

TEST(OptionEditorModel, ActionTextSplitsAtTheFirstEquals) {
  EXPECT_EQ(ParseEditorAction("A=b=c")->Value, "b=c");
  EXPECT_FALSE(ParseEditorAction("A")->Value.has_value());
  EXPECT_EQ(ParseEditorAction("A=")->Value, "");
  EXPECT_FALSE(ParseEditorAction("=1").has_value());
}

}  // namespace
}  // namespace korvel
