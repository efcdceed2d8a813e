#include "EditorCaseSupport.h"

namespace korvel {
namespace {

using test::EditorCase;
using test::OpenEditor;
using test::Selected;
using test::kOtpWarning;

// Defaults: STM32F407xG EF AA FF FF, STM32F401xC EF AA FF 3F,
// STM32F429xI EF AA FF 0F 00 00 FF 0F.
TEST(Stm32F2Editor, ActionsWriteTheirBitsWithoutComplements) {
  const EditorCase cases[] = {
      {"STM32F407xG", {"ComF2xBoxBOR=0"}, {{0, "E1"}}, {{"EditOPT2x1", "0xe1"}}},
      {"STM32F407xG", {"ComF2xBoxBOR=2"}, {{0, "E9"}}},
      {"STM32F407xG", {"ComF2xBoxROP=1"}, {{1, "CC"}}, {{"EditROP2x1", "0xcc"}}, {kOtpWarning}},
      {"STM32F407xG", {"ComF2xBoxROP=2"}, {{1, "00"}}, {{"EditROP2x1", "0x00"}}},
      {"STM32F407xG", {"ChkBoxWRP9"}, {{3, "FD"}}, {{"RadioGroupWRP", " nWRPi = 0xfdff "}}},
      {"STM32F407xG", {"ChkBoxWRP0=1", "ChkBoxWRP7=1"}, {{2, "7E"}}, {{"RadioGroupWRP", " nWRPi = 0xff7e "}}},
      {"STM32F407xG", {"ChkBoxWRP0=1", "ChkBoxWRP0=0"}, {}},
      {"STM32F407xG", {"ComBox411SPRM=0"}, {{3, "7F"}}, {{"RadioGroupWRP", " nWRPi = 0x7fff "}}},
      {"STM32F401xC", {"ComBox411SPRM=1"}, {{3, "BF"}}},
      // The reset and watchdog boxes also set bit 4, except on F42x/F43x
      // and the last F4 entries; their "1" sets bits 1 and 0 as well.
      {"STM32F407xG", {"ComF2xBoxSTDBY=0"}, {{0, "7F"}}, {{"EditOPT2x1", "0x7f"}}},
      {"STM32F429xI", {"ComF2xBoxSTDBY=0"}, {{0, "6F"}}},
      {"STM32F479xI", {"ComF2xBoxSTDBY=0"}, {{0, "6F"}}},
      {"STM32F205xB", {"ComF2xBoxWDG=0"}, {{0, "DF"}}},
      {"STM32F407xG", {"ComF2xBoxBOR=0", "ComF2xBoxSTOP=1"}, {{0, "F3"}}},
      {"STM32F429xI", {"ComF2xBoxBOR=0", "ComF2xBoxSTOP=1"}, {{0, "E3"}}},
      {"STM32F429xI", {"ComF2xBoxBOR=2", "ComF2xBoxWDG=1"}, {{0, "EB"}}},
      {"STM32F429xI", {"ComF2xBoxBOR=0", "ComF2xBoxSTDBY=0", "ComF2xBoxSTDBY=1"}, {{0, "E1"}}},
      {"STM32F407xG", {"ComF2xBoxBOR=0", "ComF2xBoxBOR=3"}, {{0, "ED"}}},
      // The second bank's sectors go to offsets 6 and 7, where the default
      // and the printed option line keep them.
      {"STM32F429xI", {"ComBox4xBFB2=1"}, {{0, "FF"}}},
      {"STM32F429xI", {"ComBoxSPRMOD=1"}, {{3, "8F"}}, {{"RadioGrpWRP4x", " nWRPi = ff 8f ff 0f "}}},
      {"STM32F429xI", {"ChkBoxPcROP12", "ChkBoxPcROP23"}, {{6, "FE 07"}},
       {{"RadioGrpWRP4x", " nWRPi = ff 0f fe 07 "}}},
      {"STM32F429xI", {"ChkBoxPcROP3", "ChkBoxPcROP11"}, {{2, "F7 07"}}},
  };
  for (const auto& k : cases) test::RunEditorCase(k);
}

TEST(Stm32F2Editor, ShowReadsTheBuffer) {
  OpenEditor e("STM32F407xG");
  EXPECT_EQ(e.Model->Caption(), "STM32F407xG Option Byte Setting");
  EXPECT_EQ(Selected(e, "ComF2xBoxWDG"), "1 : software watchdog");
  EXPECT_EQ(Selected(e, "ComF2xBoxSTOP"), "1 : No reset generated.");
  EXPECT_EQ(Selected(e, "ComF2xBoxSTDBY"), "1 : No reset generated");
  EXPECT_EQ(Selected(e, "ComF2xBoxBOR"), "11 : BOR off(VBOR0). reset threshold level from 1.80 to 2.10V");
  EXPECT_EQ(Selected(e, "ComF2xBoxROP"), "0xAA : Level 0, no protection");
  for (int s = 0; s < 12; ++s) EXPECT_EQ(e.Model->Find("ChkBoxWRP" + std::to_string(s))->State, 0) << s;
  // On show the caption has no trailing blank; after an edit it has one.
  EXPECT_EQ(e.Model->TextOf("RadioGroupWRP"), " nWRPi = 0xffff");

  e.Buffer[0] = 0x00;
  e.Buffer[1] = 0x12;
  e.Buffer[2] = 0xFE;
  e.Buffer[3] = 0x77;
  e.Model->Show();
  EXPECT_EQ(Selected(e, "ComF2xBoxROP"), "others: Level 1: Read Protection");
  EXPECT_EQ(Selected(e, "ComF2xBoxWDG"), "0 : hardware watchdog");
  EXPECT_EQ(Selected(e, "ComF2xBoxBOR"), "00 : BOR level3(VBOR3). reset threshold level from 2.70 to 3.60V");
  EXPECT_EQ(e.Model->Find("ChkBoxWRP0")->State, 1);
  EXPECT_EQ(e.Model->Find("ChkBoxWRP1")->State, 0);
  EXPECT_EQ(e.Model->Find("ChkBoxWRP11")->State, 1);
  EXPECT_EQ(e.Model->Find("ChkBoxWRP10")->State, 0);
  EXPECT_EQ(Selected(e, "ComBox411SPRM"), "0 : nWRPi bits used for Write Protection on sector i (default)");
  EXPECT_EQ(e.Model->TextOf("RadioGroupWRP"), " nWRPi = 0x77fe");
  EXPECT_EQ(e.Model->TextOf("EditROP2x1"), "0x12");

  // Dual bank: the second bank is read from offsets 6 and 7, so a default
  // buffer shows every sector unprotected.
  OpenEditor d("STM32F429xI");
  for (int s = 0; s < 24; ++s) EXPECT_EQ(d.Model->Find("ChkBoxPcROP" + std::to_string(s))->State, 0) << s;
  d.Buffer[0] = 0xFF;
  d.Buffer[3] = 0x8E;
  d.Buffer[6] = 0x7F;
  d.Buffer[7] = 0x0E;
  d.Model->Show();
  EXPECT_EQ(Selected(d, "ComBox4xBFB2"), "1 : Boot always from system memory(Dual bank boot mode)");
  EXPECT_EQ(Selected(d, "ComBoxSPRMOD"), "1:PcROP Enabled,nWRPi bits used for PcROP Protection on setor i");
  EXPECT_EQ(d.Model->Find("ChkBoxPcROP8")->State, 1);
  EXPECT_EQ(d.Model->Find("ChkBoxPcROP19")->State, 1);
  EXPECT_EQ(d.Model->Find("ChkBoxPcROP20")->State, 1);
  EXPECT_EQ(d.Model->Find("ChkBoxPcROP18")->State, 0);
  EXPECT_EQ(d.Model->Find("ChkBoxPcROP21")->State, 0);
  EXPECT_EQ(d.Model->TextOf("RadioGrpWRP4x"), " nWRPi = ff 8e 7f 0e ");
}

// Single- or dual-bank panel, and the sectors the flash size has.
TEST(Stm32F2Editor, ControlsByChip) {
  struct Case {
    const char* Chip;
    const char* Control;
    bool Visible;
  } cases[] = {
      {"STM32F407xG", "ChkBoxWRP11", true},    {"STM32F407xG", "ComBox411SPRM", true},
      {"STM32F407xG", "LabelSPRMOD", true},    {"STM32F407xG", "RadioGroupWRP", true},
      {"STM32F407xG", "ComBox4xBFB2", false},  {"STM32F407xG", "ComBoxSPRMOD", false},
      {"STM32F407xG", "ChkBoxPcROP0", false},  {"STM32F407xG", "RadioGrpWRP4x", false},
      {"STM32F401xC", "ChkBoxWRP5", true},     {"STM32F401xC", "ChkBoxWRP6", false},
      {"STM32F401xC", "ChkBoxWRP7", false},    {"STM32F401xC", "ChkBoxWRP11", false},
      {"STM32F401xD", "ChkBoxWRP7", true},     {"STM32F401xD", "ChkBoxWRP8", false},
      {"STM32F205xB", "ChkBoxWRP6", false},    {"STM32F205xG", "ChkBoxWRP8", true},
      {"STM32F429xI", "ComBox4xBFB2", true},   {"STM32F429xI", "ComBoxSPRMOD", true},
      {"STM32F429xI", "ChkBoxPcROP23", true},  {"STM32F429xI", "RadioGrpWRP4x", true},
      {"STM32F429xI", "ChkBoxWRP0", false},    {"STM32F429xI", "ComBox411SPRM", false},
      {"STM32F429xI", "LabelSPRMOD", false},   {"STM32F429xI", "RadioGroupWRP", false},
      {"STM32F429xE", "ChkBoxPcROP7", true},   {"STM32F429xE", "ChkBoxPcROP8", false},
      {"STM32F429xE", "ChkBoxPcROP12", false}, {"STM32F469xI", "ComBox4xBFB2", false},
  };
  for (const auto& k : cases) {
    OpenEditor e(k.Chip);
    const ControlState* c = e.Model->Find(k.Control);
    ASSERT_NE(c, nullptr) << k.Chip << " " << k.Control;
    EXPECT_EQ(c->Visible, k.Visible) << k.Chip << " " << k.Control;
    // A hidden control cannot be changed from the command line either.
    if (!k.Visible && c->Row->Kind != ControlKind::Display && c->Row->Kind != ControlKind::Label) {
      EXPECT_NE(e.Apply(std::string(k.Control) + "=1").find("hidden"), std::string::npos) << k.Control;
      EXPECT_EQ(e.Buffer, e.Default) << k.Chip << " " << k.Control;
    }
  }
}

}  // namespace
}  // namespace korvel
