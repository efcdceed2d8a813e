#include "EditorCaseSupport.h"
#include "app/IntegerText.h"

namespace korvel {
namespace {

using test::EditorCase;
using test::OpenEditor;

const char* kLevel2Warning = "警告：选择此设置芯片将不再能擦除和编程（OTP）!";

// The words of the small default table at 0, 4, 8, 12, 16 and, last and
// without a blank, 80 (its low byte left for the row to finish).
const std::string kSmallWords = "ffeff8aa ffffffff ffffc000 ffc0ffff ffc0ffff fffeff";

TEST(Stm32G4Editor, ActionsWriteTheirFieldsAtOnce) {
  const EditorCase cases[] = {
      {"STM32G474xE",
       {"ComBoxROP=1"},
       {{0, "CC"}},
       {{"EditOptBV",
         "fbeff8cc ffffffff ffffc000 ffc0ffff ffc0ffff ffffffff ffff8000 ff80ffff ff80ffff fffeff00 ffffff00 "}},
       {kLevel2Warning}},
      {"STM32G431xB", {"ComBoxROP=2"}, {{0, "00"}}, {{"EditOptBV", "ffeff800" + kSmallWords.substr(8) + "80"}}},
      {"STM32G431xB", {"ComBoxROP=1", "ComBoxROP=0"}, {{0, "AA"}}, {}, {kLevel2Warning}},
      // A field write clears the whole field first and leaves BOREN (bit 3).
      {"STM32G474xE", {"ComBoxBORVL=7", "ComBoxBORVL=1"}, {{1, "F9"}}},
      {"STM32G474xE", {"ComBoxNRSTP=0", "ComBoxNRSTB=0", "ComBoxNRSHW=0"}, {{1, "88"}}},
      {"STM32G474xE",
       {"ComBoxIWGSW=0", "ComBoxIWGSTP=0", "ComBoxIWGSTB=0", "ComBoxWWDGSW=0", "ComBoxBFB2=1", "ComBoxDBANK=0",
        "ComBoxnBOT1=0"},
       {{2, "30"}}},
      {"STM32G474xE",
       {"ComBoxRAMPPE=0", "ComBoxCCMSRAM=0", "ComBoxnSWBOT=1", "ComBoxnBT0=0", "ComBoxP10G=2", "ComBoxIRHEN=0"},
       {{3, "A4"}}},
      {"STM32G431xB", {"ComBoxP10G=1"}, {{3, "DF"}}},
      // PCROP1 addresses keep 15 bits; the second bank's keep all 16.
      {"STM32G431xB", {"EditPCROP1AS=0xFFFF"}, {{4, "FF 7F"}}, {{"EditPCROP1AS", "0xFFFF"}}},
      {"STM32G474xE", {"EditPCROP1AE=$9234"}, {{8, "34 12"}}},
      {"STM32G474xE", {"EditPCROP2S=0x8001", "EditPCROP2E=65535"}, {{36, "01 80"}, {40, "FF FF"}}},
      {"STM32G474xE",
       {"EditWRP1AS=16", "EditWRP1AE=0x20", "EditWRP1BS=1", "EditWRP1BE=2", "EditWRP2AS=3", "EditWRP2AE=4",
        "EditWRP2BS=5", "EditWRP2BE=6"},
       {{12, "10"}, {14, "20"}, {16, "01"}, {18, "02"}, {44, "03"}, {46, "04"}, {48, "05"}, {50, "06"}}},
      {"STM32G474xE",
       {"EditSECSIZE1=0x10", "EditSECSIZE2=255", "ComBoxBOTLCK=1", "ComBoxPCROP1=0"},
       {{11, "7F"}, {80, "10"}, {82, "FF"}, {84, "FF"}}},
      {"STM32G431xB", {"EditSECSIZE1=$12"}, {{80, "12"}}, {{"EditOptBV", kSmallWords + "12"}}},
  };
  for (const auto& k : cases) test::RunEditorCase(k);
}

// What the form shows on each chip size: the panel of the second bank
// from 150 KB, its edits loaded from the buffer only above 256 KB.
TEST(Stm32G4Editor, ShownFromTheBufferBySize) {
  struct Case {
    const char* Chip;
    const char* Control;
    bool Visible;
    int State;  // -1 for edits
    std::string Text;
  } cases[] = {
      {"STM32G474xE", "ComBoxROP", true, 0, ""},
      {"STM32G474xE", "ComBoxBORVL", true, 0, ""},
      {"STM32G474xE", "ComBoxBOREN", false, 1, ""},
      {"STM32G474xE", "ComBoxnBOT1", true, 1, ""},
      {"STM32G474xE", "ComBoxDBANK", true, 1, ""},
      {"STM32G474xE", "ComBoxBFB2", true, 0, ""},
      {"STM32G474xE", "ComBoxnSWBOT", true, 0, ""},
      {"STM32G474xE", "ComBoxP10G", true, 3, ""},
      {"STM32G474xE", "ComBoxPCROP1", true, 1, ""},
      {"STM32G474xE", "ComBoxBOTLCK", true, 0, ""},
      {"STM32G474xE", "EditPCROP1AE", true, -1, "0xc000"},
      {"STM32G474xE", "EditWRP1BE", true, -1, "0xc0"},
      {"STM32G474xE", "EditPCROP2E", true, -1, "0x8000"},
      {"STM32G474xE", "EditWRP2AE", true, -1, "0x80"},
      {"STM32G474xE", "EditWRP2BE", true, -1, "0x80"},
      {"STM32G474xE", "EditSECSIZE2", true, -1, "0x00"},
      {"STM32G473xC", "EditWRP1BE", true, -1, "0xc0"},
      {"STM32G474xC", "EditPCROP2E", true, -1, "0xFFFF"},
      {"STM32G474xC", "EditWRP2AE", true, -1, "0xFF"},
      {"STM32G474xC", "EditWRP2BE", true, -1, "0xFF"},
      {"STM32G474xC", "EditSECSIZE2", true, -1, "0xFF"},
      {"STM32G431xB", "EditPCROP1AS", true, -1, "0xffff"},
      {"STM32G431xB", "EditSECSIZE1", true, -1, "0x80"},
      {"STM32G431xB", "EditWRP1BS", false, -1, "0xff"},
      {"STM32G431xB", "EditPCROP2S", false, -1, "0xFFFF"},
      {"STM32G430x6", "EditWRP2AS", false, -1, "0xFF"},
      {"STM32G431xB", "EditOptBV", true, -1, kSmallWords + "80"},
  };
  for (const auto& k : cases) {
    OpenEditor e(k.Chip);
    const ControlState* c = e.Model->Find(k.Control);
    ASSERT_NE(c, nullptr) << k.Chip << " " << k.Control;
    EXPECT_EQ(c->Visible, k.Visible) << k.Chip << " " << k.Control;
    EXPECT_EQ(c->State, k.State) << k.Chip << " " << k.Control;
    EXPECT_EQ(c->Text, k.Text) << k.Chip << " " << k.Control;
  }

  OpenEditor e("STM32G474xE");
  EXPECT_EQ(e.Model->Caption(), "STM32G474xE Option Byte Setting");
  for (uint8_t rdp : {0xAA, 0xCC, 0x12}) {
    e.Buffer[0] = rdp;
    e.Model->Show();
    EXPECT_EQ(e.Model->Find("ComBoxROP")->State, rdp == 0xAA ? 0 : rdp == 0xCC ? 1 : 2);
  }
}

TEST(Stm32G4Editor, RefusedActionsNameTheControlAndWriteNothing) {
  const test::RefusedCase cases[] = {
      {"STM32G431xB", "EditPCROP2S=0x10", "EditPCROP2S: hidden"},
      {"STM32G431xB", "EditWRP1BS=1", "EditWRP1BS: hidden"},
      {"STM32G474xE", "ComBoxBOREN=0", "ComBoxBOREN: hidden"},
      {"STM32G474xE", "ComBoxP10G=4", "ComBoxP10G=4: out of range (0..3)"},
      {"STM32G474xE", "ComBoxBORVL=8", "ComBoxBORVL=8: out of range (0..7)"},
      {"STM32G474xE", "EditPCROP1AS=0x10000", "EditPCROP1AS=0x10000: out of range"},
      {"STM32G474xE", "EditWRP1AS=256", "EditWRP1AS=256: out of range"},
      {"STM32G474xE", "EditWRP1AS=0x001", "EditWRP1AS=0x001: out of range"},  // 4 characters at most
      {"STM32G474xE", "EditSECSIZE1=x", "EditSECSIZE1=x: out of range"},
      {"STM32G474xE", "EditOptBV=1", "EditOptBV: cannot be set"},
  };
  for (const auto& k : cases) test::ExpectRefused(k);
}

TEST(Stm32G4Editor, TextThatIsNoNumberIsReportedAndKeepsTheBytes) {
  OpenEditor e("STM32G474xE");
  EXPECT_NE(e.Model->Type("EditPCROP1AS", "7FG"), "");
  EXPECT_EQ(e.Buffer, e.Default);
  ASSERT_EQ(e.Prompts.Messages.size(), 1u);
  EXPECT_EQ(e.Prompts.Messages[0].Kind, PromptKind::Error);
  EXPECT_EQ(e.Prompts.Messages[0].Text, NotAnIntegerMessage("7FG"));
}

}  // namespace
}  // namespace korvel
