#include "EditorCaseSupport.h"

namespace korvel {
namespace {

using test::EditorCase;
using test::OpenEditor;

// The chip's editor with the sub code an earlier STM32 selection left.
struct SubCodeEditor {
  SubCodeEditor(const std::string& name, uint8_t subCode) : Chip(test::Named(name)) {
    Chip.Info.ChipSubCode = subCode;
    ResetOptionBuffer(Buffer, Chip.Info, Chip.Stm32);
    Model = std::make_unique<OptionEditorModel>(EditorTableFor(EditorFor(Chip.Info, Chip.Stm32)),
                                                EditorChipOf(Chip.Info, Chip.Stm32), Buffer, Prompts);
  }
  test::Chip Chip;
  OptionBuffer Buffer{};
  RecordingPrompts Prompts;
  std::unique_ptr<OptionEditorModel> Model;
};

TEST(Stm8AxEditor, ActionsWriteValueThenComplement) {
  const EditorCase cases[] = {
      {"STM8S208RB", {"ComboBoxHSE=1"}, {{9, "D2 2D"}}, {{"lbOPT5V", "0xd2"}, {"lbOPT5NV", "0x2d"}}},
      {"STM8S208RB", {"ComboBoxHSE=2"}, {{9, "B4 4B"}}},
      {"STM8S208RB", {"PopMenuWait=1"}, {{13, "01 FE"}}, {{"lbWait", " 1 Wait"}, {"lbOPT7NV", "0xfe"}}},
      {"STM8S208RB", {"PopMenuWait=1", "PopMenuWait=0"}, {}, {{"lbWait", "No Wait"}}},
      {"STM8S105C6", {"CheckBoxBootLd"}, {{126, "55 AA"}}, {{"plBootV", "0x55"}, {"plBootNV", "0xaa"}}},
      // ROP has no complement; its panel reads the button's own text.
      {"STM8S208RB", {"RadioBtnRopEn"}, {{0, "AA 00"}}, {{"lbOPT0V", "0xAA"}}},
      {"STM8S208RB", {"RadioBtnRopEn", "RadioBtnRopDn"}, {}, {{"lbOPT0V", "0x00"}}},
      {"STM8S208RB", {"SpinEditUBC=0x21"}, {{1, "21 DE"}}, {{"lbOPT1V", "0x21"}, {"lbOPT1NV", "0xde"}}},
      {"STM8S208RB", {"PopMenuARF7=1", "PopMenuAFR0=1"}, {{3, "81 7E"}},
       {{"lbAFR7", "AFR7=1"}, {"lbAFR0", "AFR0=1"}, {"lbAFR6", "AFR6=0"}}},
      {"STM8S103F3", {"PopMenuWWDGH=1", "PopMenuIWDG=1", "PopupMenuTRIM=1"}, {{5, "15 EA"}},
       {{"lbHALT", "_RST"}, {"lbSHW", "_HW"}, {"LabelTRIM", "4-Bit TRIM"}, {"lbWWDGSH", "_SW"}}},
      {"STM8S103F3", {"PopMenuWWDGS=1", "PopMenuLSIEN=1", "PopMenuWWDGS=0"}, {{5, "08 F7"}},
       {{"lbWWDGSH", "_SW"}, {"PanelLSI", "LSI_DN"}}},
      // The prescaler replaces bits 1:0 only.
      {"STM8S208RB", {"ComboBoxPRSE=3", "PopMenuAWU=1", "PopMenuCLK=1", "ComboBoxPRSE=1"}, {{7, "0D F2"}},
       {{"lbLHSI", "HSE"}, {"panelExtClk", "EXT CLK"}, {"lbOPT4V", "0x0d"}}},
      // TMU keys: written on OK only, an empty edit as 00, one digit as 0N.
      {"STM8AF5288", {"EditKey1=ab", "EditKey3=7", "EditKey8=F0", "EditTMU_MAX="},
       {{16, "AB 00 07 00 00 00 00 F0 00"}}, {{"EditKey8", "F0"}}},
      // Cancel: nothing of the keys reaches the buffer.
      {"STM8AF5288", {"EditKey1=ab", "EditTMU_MAX="}, {}, {}, {}, false},
  };
  for (const auto& k : cases) test::RunEditorCase(k);

  SubCodeEditor high("STM8AF5288", 100);
  ASSERT_EQ(ApplyEditorAction(*high.Model, {"CheckBoxTMU", "1"}), "");
  EXPECT_EQ(high.Buffer[11], 0x05);
  EXPECT_EQ(high.Buffer[12], 0xFA);
}

TEST(Stm8AxEditor, ShowReadsTheBuffer) {
  OpenEditor e("STM8S208RB");
  EXPECT_EQ(e.Model->Caption(), "STM8S208RB Option Byte Setting");
  const std::map<std::string, int> defaultStates = {
      {"RadioBtnRopEn", 0}, {"RadioBtnRopDn", 1}, {"SpinEditUBC", 0},  {"ComboBoxPRSE", 0},
      {"ComboBoxHSE", 3},   {"CheckBoxBootLd", 0}, {"PopMenuWait", 0},
  };
  for (const auto& [name, state] : defaultStates) EXPECT_EQ(e.Model->Find(name)->State, state) << name;
  const std::map<std::string, std::string> defaultTexts = {
      {"lbHALT", "_HALT"},   {"lbWWDGSH", "_SW"},      {"lbSHW", "_SW"},   {"PanelLSI", "LSI_EN"},
      {"LabelTRIM", "3-Bit TRIM"}, {"panelExtClk", "EXT OSC"}, {"lbLHSI", "LSI"}, {"lbWait", "No Wait"},
      {"lbOPT0V", "0x00"},   {"lbOPT3NV", "0xff"},     {"lbAFR7", "AFR7=0"}, {"lbAFR0", "AFR0=0"},
  };
  for (const auto& [name, text] : defaultTexts) EXPECT_EQ(e.Model->TextOf(name), text) << name;

  // Reopening reads what the buttons wrote, in the form's own spelling.
  ASSERT_EQ(e.Apply("PopMenuWait=1"), "");
  ASSERT_EQ(e.Apply("RadioBtnRopEn"), "");
  e.Model->Show();
  EXPECT_EQ(e.Model->TextOf("lbWait"), "1 Wait");
  EXPECT_EQ(e.Model->TextOf("lbOPT0V"), "0xaa");

  // Bytes no control writes: anything but AA is "disabled", anything but
  // the three HSE codes is 2048 cycles, bit 0 alone decides the wait state.
  SubCodeEditor f("STM8AF5288", 100);
  f.Buffer[0] = 0x12;
  f.Buffer[9] = 0x77;
  f.Buffer[11] = 0x05;
  f.Buffer[13] = 0x03;
  f.Buffer[16] = 0xAB;
  f.Model->Show();
  EXPECT_EQ(f.Model->Find("RadioBtnRopDn")->State, 1);
  EXPECT_EQ(f.Model->TextOf("lbOPT0V"), "0x12");
  EXPECT_EQ(f.Model->Find("ComboBoxHSE")->State, 3);
  EXPECT_EQ(f.Model->Find("CheckBoxTMU")->State, 1);
  EXPECT_EQ(f.Model->TextOf("lbWait"), "1 Wait");
  EXPECT_EQ(f.Model->TextOf("EditKey1"), "ab");
  EXPECT_EQ(f.Model->TextOf("EditTMU_MAX"), "c7");
  // Disabling from an odd value shows what was written.
  ASSERT_EQ(ApplyEditorAction(*f.Model, {"RadioBtnRopDn", std::nullopt}), "");
  EXPECT_EQ(f.Model->TextOf("lbOPT0V"), "0x00");
}

enum class Is { Shown, Hidden, Absent };

TEST(Stm8AxEditor, ControlsByChip) {
  struct Case {
    const char* Chip;
    uint8_t SubCode;
    const char* Control;
    Is Expected;
  } cases[] = {
      // Automotive, first layout: TMU keys only above 8 KB on 0xC0.
      {"STM8AF5288", 0, "EditKey1", Is::Shown},       {"STM8AF5288", 0, "EditTMU_MAX", Is::Shown},
      {"STM8AF5288", 0, "CheckBoxTMU", Is::Hidden},   {"STM8AF5288", 0, "PopupMenuTRIM", Is::Hidden},
      {"STM8AF5288", 0, "PopMenuWait", Is::Shown},    {"STM8AF5288", 0, "CheckBoxBootLd", Is::Shown},
      {"STM8AF5288", 0, "PopMenuARF7", Is::Shown},    {"STM8AF5288", 0, "lbOPT6", Is::Shown},
      {"STM8AF6226", 0, "EditKey1", Is::Hidden},      {"STM8AF6226", 0, "CheckBoxBootLd", Is::Hidden},
      {"STM8AL3036", 0, "EditKey8", Is::Hidden},      {"STM8TL52F4", 0, "CheckBoxBootLd", Is::Hidden},
      {"STM8AH6126", 0, "EditKey1", Is::Shown},       {"STM8AH6126", 0, "CheckBoxBootLd", Is::Shown},
      // Automotive, second layout.
      {"STM8AF5288", 100, "CheckBoxTMU", Is::Shown},  {"STM8AF5288", 100, "PopupMenuTRIM", Is::Shown},
      {"STM8AF5288", 100, "PopMenuARF7", Is::Hidden}, {"STM8AF5288", 100, "PopMenuAFR2", Is::Hidden},
      {"STM8AF5288", 100, "PopMenuAFR1", Is::Shown},  {"STM8AF5288", 100, "lbOPT6", Is::Absent},
      {"STM8AF5288", 100, "EditKey1", Is::Shown},     {"STM8AF6226", 120, "EditKey1", Is::Hidden},
      {"STM8AH6126", 99, "CheckBoxTMU", Is::Hidden},
      // STM8S; the sub code means nothing to them.
      {"STM8S208RB", 0, "EditKey1", Is::Hidden},      {"STM8S208RB", 100, "CheckBoxTMU", Is::Hidden},
      {"STM8S208RB", 100, "PopMenuARF7", Is::Shown},  {"STM8S207C8", 0, "PopupMenuTRIM", Is::Hidden},
      {"STM8S207C8", 0, "PopMenuWait", Is::Shown},    {"STM8S105C6", 0, "PopMenuWait", Is::Hidden},
      {"STM8S105C6", 0, "PopupMenuTRIM", Is::Shown},  {"STM8S105C6", 0, "CheckBoxBootLd", Is::Shown},
      {"STM8S103F3", 0, "CheckBoxBootLd", Is::Hidden}, {"STM8S103F3", 0, "PopMenuWait", Is::Hidden},
      {"STM8AF6213", 0, "PopupMenuTRIM", Is::Shown},  {"STM8AF6213", 0, "EditKey1", Is::Hidden},
  };
  for (const auto& k : cases) {
    SubCodeEditor e(k.Chip, k.SubCode);
    const ControlState* c = e.Model->Find(k.Control);
    const Is got = !c ? Is::Absent : c->Visible ? Is::Shown : Is::Hidden;
    EXPECT_EQ(got, k.Expected) << k.Chip << "/" << int(k.SubCode) << " " << k.Control;
  }
}

TEST(Stm8AxEditor, AlternateFunctionTextsFollowTheLayout) {
  SubCodeEditor low("STM8AF5288", 0), high("STM8AF5288", 100), s("STM8S208RB", 100);
  auto item = [](SubCodeEditor& e, const char* name, int k) {
    return e.Model->Find(name)->Row->Items[static_cast<std::size_t>(k)].Text;
  };
  EXPECT_EQ(item(low, "PopMenuAFR0", 1), "&1: Port D3=ADC_ETR");
  EXPECT_EQ(item(low, "PopMenuAFR1", 0), "&0: Port A3=TIM2_CC3, Port D2=TIM3_CC1");
  EXPECT_EQ(item(high, "PopMenuAFR0", 0), "&0: I2C Function on Ports I4/I5");
  EXPECT_EQ(item(high, "PopMenuAFR1", 1), "&1: Port D4=Beeper");
  EXPECT_EQ(item(s, "PopMenuAFR0", 1), "&1: Port D3=ADC_ETR");
  // Either text set drives the same bit.
  ASSERT_EQ(ApplyEditorAction(*high.Model, {"PopMenuAFR1", "1"}), "");
  EXPECT_EQ(high.Buffer[3], 0x02);
  EXPECT_EQ(high.Model->TextOf("lbAFR1"), "AFR1=1");
}

// The key edits show the buffer when the form opens; OK writes them back
// over whatever the bytes hold by then, on automotive chips only.
TEST(Stm8AxEditor, OkWritesTheKeysOnlyForAutomotiveChips) {
  const struct {
    const char* Chip;
    bool Written;
  } cases[] = {{"STM8AF5288", true}, {"STM8AF6226", true}, {"STM8AH6126", true},
               {"STM8S105C6", false}, {"STM8S208RB", false}};
  for (const auto& k : cases) {
    OpenEditor e(k.Chip);
    for (std::size_t i = 16; i <= 24; ++i) e.Buffer[i] = 0x5A;
    e.Model->Ok();
    for (std::size_t i = 16; i <= 24; ++i)
      EXPECT_EQ(e.Buffer[i], k.Written ? e.Default[i] : 0x5A) << k.Chip << " offset " << i;
  }
}

TEST(Stm8AxEditor, RefusedActionsNameTheControlAndWriteNothing) {
  const test::RefusedCase cases[] = {
      {"STM8S105C6", "EditKey1=ab", "EditKey1: hidden"},
      {"STM8S105C6", "PopMenuWait=1", "PopMenuWait: hidden"},
      {"STM8S208RB", "CheckBoxTMU=1", "CheckBoxTMU: hidden"},
      {"STM8AF5288", "EditKey1=abc", "longer than 2"},
      {"STM8AF5288", "EditKey2=g1", "only hexadecimal digits"},
      {"STM8S208RB", "SpinEditUBC=256", "SpinEditUBC=256: out of range (0..255)"},
      {"STM8S208RB", "ComboBoxHSE=4", "ComboBoxHSE=4: out of range (0..3)"},
      {"STM8S208RB", "PopMenuARF7=2", "PopMenuARF7=2: out of range (0..1)"},
      {"STM8S208RB", "lbOPT0V=1", "lbOPT0V: TOptionByteM8AxForm has no such control"},
  };
  for (const auto& k : cases) test::ExpectRefused(k, /*pressOk=*/true);
}

}  // namespace
}  // namespace korvel
