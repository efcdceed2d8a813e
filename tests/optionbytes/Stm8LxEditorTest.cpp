#include "EditorCaseSupport.h"

namespace korvel {
namespace {

using test::EditorCase;
using test::OpenEditor;

TEST(Stm8LxEditor, ActionsWriteTheirByteAlone) {
  const EditorCase cases[] = {
      // Read-out protection: AA means enabled on the L101, disabled on the others.
      {"STM8L101F3", {"STm8L_DROP"}, {{0, "00"}}, {{"PanelV4800", "0x00"}}},
      {"STM8L101F3", {"STm8L_DROP", "STm8L_EROP"}, {}},
      {"STM8L152C6", {"STm8L_EROP"}, {{0, "00"}}},
      {"STM8L152C6", {"STm8L_EROP", "STm8L_DROP"}, {{0, "AA"}}, {{"PanelV4800", "0xaa"}}},
      // No complements: the byte after each field keeps its value.
      {"STM8L152C6", {"SpinUBC8L=0x80"}, {{2, "80 00"}}, {{"PanelV4802", "0x80"}}},
      {"STM8L101F3", {"EEPSIZE8L=32"}, {{3, "20 00"}}},
      {"STM8L152C6", {"Pop8L_WDT=1", "Pop8L_WdtHalt=1", "PopWDG8L_HW=1", "PopWDG8L_HALT=1", "Pop8L_WDT=0"},
       {{8, "0E 00"}},
       {{"M8LISHW", "_SW"}, {"M8LIHALT", "HALT=1"}, {"M8LMSHW", "_HW"}, {"M8LWHALT", "HALT=1"}}},
      {"STM8L101F3", {"Pop8L_WDT=1"}, {{8, "01 00"}}, {{"M8LISHW", "_HW"}, {"PanelV4808", "0x01"}}},
      // The two counters share offset 9, each its own two bits.
      {"STM8L152C6", {"HSE8L_Comb=2", "LSE8L_Comb=3"}, {{9, "0E"}}, {{"PanelV4809", "0x0e"}}},
      {"STM8L152C6", {"LSE8L_Comb=3", "HSE8L_Comb=1", "LSE8L_Comb=0"}, {{9, "01"}}},
      // BOR_TH keeps BOR_ON; BOR_ON keeps BOR_TH.
      {"STM8L152C6", {"SpinBORTH=5"}, {{10, "0B"}}, {{"PlBorS", "BOR_On"}}},
      {"STM8L152C6", {"SpinBORTH=7", "Pop8L_BOR=0"}, {{10, "0E"}}, {{"PlBorS", "BOR_Off"}}},
      {"STM8L152C6", {"Pop8L_BOR=0", "Pop8L_BOR=1"}, {}, {{"PlBorS", "BOR_ON"}}},
      {"STM8L152C6", {"RadioGpBL2=1"}, {{12, "AA"}}, {{"EditBOLH", "0xAA"}}},
      {"STM8L152C6", {"RadioGpBL1=1"}, {{11, "55"}}, {{"EditBOLL", "0x55"}}},
      {"STM8L152C6", {"RadioGpBL1=1", "RadioGpBL1=0"}, {}, {{"EditBOLL", "0x00"}}},
  };
  for (const auto& k : cases) test::RunEditorCase(k);
}

TEST(Stm8LxEditor, ShowReadsTheBuffer) {
  // One default (AA at offset 0) reads as enabled on the L101 only.
  OpenEditor l101("STM8L101F3"), l152("STM8L152C6");
  EXPECT_EQ(l101.Model->Caption(), "STM8L101F3 Option Byte Setting");
  EXPECT_EQ(l101.Model->Find("STm8L_EROP")->State, 1);
  EXPECT_EQ(l101.Model->Find("STm8L_DROP")->State, 0);
  EXPECT_EQ(l152.Model->Find("STm8L_EROP")->State, 0);
  EXPECT_EQ(l152.Model->Find("STm8L_DROP")->State, 1);
  EXPECT_EQ(l152.Model->TextOf("PlBorS"), "BOR_On");

  OpenEditor e("STM8L152C6");
  const uint8_t bytes[] = {0x00, 0, 0x42, 0x07, 0, 0, 0, 0, 0x0A, 0x06, 0xF7, 0x55, 0x12};
  std::copy(std::begin(bytes), std::end(bytes), e.Buffer.begin());
  e.Model->Show();
  const std::map<std::string, int> states = {
      {"STm8L_EROP", 1}, {"SpinUBC8L", 0x42}, {"EEPSIZE8L", 7}, {"HSE8L_Comb", 2}, {"LSE8L_Comb", 1},
      {"SpinBORTH", 3},  {"RadioGpBL1", 1},   {"RadioGpBL2", 0},
  };
  for (const auto& [name, state] : states) EXPECT_EQ(e.Model->Find(name)->State, state) << name;
  const std::map<std::string, std::string> texts = {
      {"M8LISHW", "_SW"},     {"M8LIHALT", "HALT=1"},  {"M8LMSHW", "_SW"},    {"M8LWHALT", "HALT=1"},
      {"PlBorS", "BOR_On"},   {"EditBOLL", "0x55"},    {"EditBOLH", "0x12"},  {"PanelV480A", "0xf7"},
  };
  for (const auto& [name, text] : texts) EXPECT_EQ(e.Model->TextOf(name), text) << name;

  // The buttons' texts after a click, the bytes after reopening.
  ASSERT_EQ(e.Apply("RadioGpBL2=1"), "");
  ASSERT_EQ(e.Apply("Pop8L_BOR=0"), "");
  ASSERT_EQ(e.Apply("Pop8L_BOR=1"), "");
  EXPECT_EQ(e.Model->TextOf("EditBOLH"), "0xAA");
  EXPECT_EQ(e.Model->TextOf("PlBorS"), "BOR_ON");
  e.Model->Show();
  EXPECT_EQ(e.Model->TextOf("EditBOLH"), "0xaa");
  EXPECT_EQ(e.Model->TextOf("PlBorS"), "BOR_On");
}

TEST(Stm8LxEditor, ControlsByChip) {
  struct Case {
    const char* Chip;
    const char* Control;
    bool Visible;
  } cases[] = {
      {"STM8L101F3", "EEPSIZE8L", true},      {"STM8L152C6", "EEPSIZE8L", false},
      {"STM8L101F3", "PopWDG8L_HW", false},   {"STM8L101F3", "PopWDG8L_HALT", false},
      {"STM8L101F3", "HSE8L_Comb", false},    {"STM8L101F3", "SpinBORTH", false},
      {"STM8L101F3", "RadioGpBL2", false},    {"STM8L101F3", "Pop8L_WdtHalt", true},
      {"STM8L051F3", "PopWDG8L_HW", true},    {"STM8L051F3", "LSE8L_Comb", true},
      {"STM8L162R8", "RadioGpBL1", true},     {"STM8L001J3", "Pop8L_BOR", true},
  };
  for (const auto& k : cases) {
    OpenEditor e(k.Chip);
    const ControlState* c = e.Model->Find(k.Control);
    ASSERT_NE(c, nullptr) << k.Chip << " " << k.Control;
    EXPECT_EQ(c->Visible, k.Visible) << k.Chip << " " << k.Control;
  }
}

TEST(Stm8LxEditor, RefusedActionsAndOkWriteNothing) {
  const test::RefusedCase cases[] = {
      {"STM8L101F3", "EEPSIZE8L=33", "EEPSIZE8L=33: out of range (0..32)"},
      {"STM8L152C6", "EEPSIZE8L=1", "EEPSIZE8L: hidden"},
      {"STM8L101F3", "RadioGpBL1=1", "RadioGpBL1: hidden"},
      {"STM8L101F3", "PopWDG8L_HW=1", "PopWDG8L_HW: hidden"},
      {"STM8L152C6", "SpinBORTH=8", "SpinBORTH=8: out of range (0..7)"},
      {"STM8L152C6", "HSE8L_Comb=4", "HSE8L_Comb=4: out of range (0..3)"},
      {"STM8L152C6", "EditBOLH=1", "EditBOLH: TSTM8LxOptionByteForm has no such control"},
  };
  for (const auto& k : cases) test::ExpectRefused(k, /*pressOk=*/true);
}

}  // namespace
}  // namespace korvel
