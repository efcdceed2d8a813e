#include "EditorCaseSupport.h"

namespace korvel {
namespace {

using test::EditorCase;
using test::OpenEditor;

const char* kOtpWarning = "警告：选择此设置芯片将不能再擦除和编程（OTP）!";

TEST(Stm32F1Editor, ActionsWriteValueThenComplement) {
  const EditorCase cases[] = {
      {"STM32F030x6", {"ComBoxM0ROP=1"}, {{0, "CC 33"}}, {{"PanelSTM32xROP", "0xcc"}}, {kOtpWarning}},
      {"STM32F030x6", {"ComBoxM0ROP=2"}, {{0, "00 FF"}}, {{"PanelSTM32xROP", "0x00"}}},
      {"STM32F103xB", {"STM32xEROP"}, {{0, "00 FF"}}, {{"PanelSTM32xROP", "0x00"}}},
      {"STM32F103xB", {"STM32xEROP", "STM32xDROP=1"}, {{0, "A5 5A"}}, {{"PanelSTM32xROP", "0xA5"}}},
      {"STM32F103xB", {"PnlP3B7=0"}, {{14, "7F 80"}}, {{"PnlP3B7", "Bit7=0"}, {"STM32xOptP3", "0x7f"}}},
      {"STM32F103xB", {"PnlP3B7=0", "PnlP3B7=1"}, {{14, "FF 00"}}, {{"PnlP3B7", "Bit7=1"}}},
      {"STM32F103xB", {"PnlD1B0=0", "PnlD0B3=0"}, {{4, "F7 08 FE 01"}}, {{"STM32xOptD0", "0xf7"}}},
      // nBOOT1 is USER bit 4 whether a combo box (F04x) or radios set it.
      {"STM32F042x6", {"ComBoxBT1=0"}, {{2, "EF 10"}}, {{"STM32xOptUSER", "0xef"}}},
      {"STM32F030x6", {"RadioBtnBotE0"}, {{2, "EF 10"}}, {{"STM32xOptUSER", "0xef"}}},
      {"STM32F042x6", {"ComBoxBT0=0", "ComBoxBTS=0"}, {{2, "77 88"}}},
      {"STM32F303xC", {"RadBtnIWGHW", "RadBtnRstStp", "RadBtnRstStb", "RadioBtnVssDN", "RadioBtnRPCEn"},
       {{2, "98 67"}}},
      {"STM32F103xB", {"RadBtnRstStb", "RadBtnNtRstStb"}, {{2, "FF 00"}}},
  };
  for (const auto& k : cases) test::RunEditorCase(k);
}

TEST(Stm32F1Editor, ShowReadsTheBuffer) {
  OpenEditor e("STM32F103xB");
  e.Buffer[0] = 0x00;
  e.Buffer[2] = 0xFE;
  e.Buffer[12] = 0x7F;
  e.Model->Show();
  EXPECT_EQ(e.Model->Caption(), "STM32F103xB Option Byte Setting");
  EXPECT_EQ(e.Model->Find("STM32xEROP")->State, 1);
  EXPECT_EQ(e.Model->Find("STM32xDROP")->State, 0);
  EXPECT_EQ(e.Model->Find("RadBtnIWGHW")->State, 1);
  EXPECT_EQ(e.Model->Find("RadBtnIWGSW")->State, 0);
  EXPECT_EQ(e.Model->TextOf("PnlP2B7"), "Bit7=0");
  EXPECT_EQ(e.Model->TextOf("PnlP2B6"), "Bit6=1");
  EXPECT_EQ(e.Model->TextOf("STM32xOptUSER"), "0xfe");

  OpenEditor f("STM32F030x6");
  for (uint8_t rdp : {0xAA, 0xCC, 0x12}) {
    f.Buffer[0] = rdp;
    f.Model->Show();
    EXPECT_EQ(f.Model->Find("ComBoxM0ROP")->State, rdp == 0xAA ? 0 : rdp == 0xCC ? 1 : 2);
  }
}

TEST(Stm32F1Editor, ControlsByChip) {
  struct Case {
    const char* Chip;
    const char* Control;
    bool Visible;
    bool Enabled;
  } cases[] = {
      {"STM32F042x6", "ComBoxBT1", true, true},    {"STM32F042x6", "RadioBtnBotE1", false, true},
      {"STM32F091xC", "ComBoxBTS", true, true},    {"STM32F030x6", "ComBoxBT1", false, true},
      {"STM32F030x6", "RadioBtnBotE1", true, true}, {"STM32F303xC", "RadioBtnBotE0", true, true},
      {"STM32F103xB", "RadioBtnBotE0", false, true}, {"STM32F103xB", "STM32xEROP", true, true},
      {"STM32F103xB", "ComBoxM0ROP", false, true}, {"STM32F030x6", "STM32xEROP", false, true},
      {"STM32W108CB", "STM32xEROP", false, true},  {"STM32W108CB", "ComBoxM0ROP", false, true},
      {"STM32W108CB", "RadBtnIWGSW", true, false}, {"STM32W108CB", "PnlD0B7", true, true},
  };
  for (const auto& k : cases) {
    OpenEditor e(k.Chip);
    const ControlState* c = e.Model->Find(k.Control);
    ASSERT_NE(c, nullptr) << k.Chip << " " << k.Control;
    EXPECT_EQ(c->Visible, k.Visible) << k.Chip << " " << k.Control;
    EXPECT_EQ(c->Enabled, k.Enabled) << k.Chip << " " << k.Control;
  }
}

TEST(Stm32F1Editor, RefusedActionsNameTheControlAndWriteNothing) {
  const test::RefusedCase cases[] = {
      {"STM32W108CB", "ComBoxM0ROP=0", "ComBoxM0ROP: hidden"},
      {"STM32W108CB", "RadBtnIWGHW", "RadBtnIWGHW: disabled"},
      {"STM32F103xB", "Nothing", "Nothing: TSTM32F1xOptByteForm has no such control"},
      {"STM32F030x6", "ComBoxM0ROP=3", "ComBoxM0ROP=3: out of range (0..2)"},
      {"STM32F030x6", "ComBoxM0ROP", "ComBoxM0ROP: needs a value"},
      {"STM32F103xB", "PnlD0B0=2", "PnlD0B0=2: out of range (0 1)"},
      {"STM32F103xB", "STM32xEROP=0", "STM32xEROP=0: out of range (1)"},
      {"STM32F103xB", "PnlD0B0=x", "PnlD0B0=x: needs a value"},
      {"STM32F042x6", "RadioBtnBotE1", "RadioBtnBotE1: hidden"},
      {"STM32F103xB", "PanelSTM32xROP=1", "PanelSTM32xROP: TSTM32F1xOptByteForm has no such control"},
  };
  for (const auto& k : cases) test::ExpectRefused(k);
}

TEST(Stm32F1Editor, ControlListNamesTheDialogAndWhatTheChipOffers) {
  OpenEditor e("STM32F042x6");
  const auto lines = ListEditorControls(*e.Model);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "TSTM32F1xOptByteForm");
  auto has = [&](const std::string& s) { return std::find(lines.begin(), lines.end(), s) != lines.end(); };
  EXPECT_TRUE(has("ComBoxM0ROP\tcombo-box\t0..2"));
  EXPECT_TRUE(has("\t1\t0xCC : Level 2. Chip Protection"));
  EXPECT_TRUE(has("PnlD0B7\tbit-panel\t0 1"));
  EXPECT_TRUE(has("RadBtnIWGSW\tradio\t1\t1 : Software watcchdog."));
  for (const auto& l : lines) EXPECT_EQ(l.find("RadioBtnBotE"), std::string::npos) << l;
}

}  // namespace
}  // namespace korvel
