#include "EditorCaseSupport.h"
#include "app/IntegerText.h"

namespace korvel {
namespace {

using test::EditorCase;
using test::OpenEditor;
using test::kOtpWarning;

// The summary of a default buffer: OPTR, the bank-1 bytes, then bank 2 on
// chips above 520 KB.
const std::string kBank1 = "ff ff 00 00 ff ff 00 ff 00 ";
const std::string kBank2 = "ff ff 00 00 ff 00 ff 00 ";

TEST(Stm32L4Editor, ActionsWriteTheirFieldOnly) {
  const EditorCase cases[] = {
      {"STM32L476xG", {"ComBoxL4xROP=1"}, {{0, "CC"}}, {{"EditOptBV", "cc f8 ff ff " + kBank1 + kBank2}},
       {kOtpWarning}},
      {"STM32L432xC", {"ComBoxL4xROP=2"}, {{0, "00"}}, {{"EditOptBV", "00 f8 ff ff " + kBank1}}},
      {"STM32L476xG", {"EditPCROP1S=0x1234"}, {{4, "34 12"}},
       {{"EditPCROP1S", "0x1234"}, {"EditOptBV", "aa f8 ff ff 34 12 00 00 ff ff 00 ff 00 " + kBank2}}},
      // A multi-bit field is cleared before the new value goes in.
      {"STM32L432xC", {"ComBoxL4xBOV=4", "ComBoxL4xBOV=3"}, {{1, "FB"}}},
      {"STM32L432xC", {"ComBoxL4xNSHW=0", "ComBoxL4xnBT1=0", "ComBoxL4xnBT0=0"}, {{1, "B8 7F F7"}}},
      {"STM32L4R5xI", {"ComBoxL4xDBNK=0", "ComBoxL4xSRARS=0"}, {{2, "DF FD"}}},
      {"STM32L432xC", {"ComBoxPCROP1=0"}, {{11, "7F"}}, {{"EditOptBV", "aa f8 ff ff ff ff 00 00 7f ff 00 ff 00 "}}},
      // Decimal, "$" and "0x" all read; an 8-bit edit writes one byte.
      {"STM32L476xG", {"EditPCROP2E=$abcd", "EditQRP1AS=200", "EditQRP2BE=0x10"}, {{24, "CD AB"}, {12, "C8"}, {34, "10"}},
       {{"EditOptBV", "aa f8 ff ff ff ff 00 00 ff c8 00 ff 00 ff ff cd ab ff 00 ff 10 "}}},
      // The second-bank panel stays usable on small chips; the summary
      // leaves those bytes out.
      {"STM32L432xC", {"EditQRP2AS=5"}, {{28, "05"}}, {{"EditOptBV", "aa f8 ff ff " + kBank1}}},
  };
  for (const auto& k : cases) test::RunEditorCase(k);
}

TEST(Stm32L4Editor, ShowReadsFieldsAndEditsFromTheBuffer) {
  OpenEditor e("STM32L476xG");
  EXPECT_EQ(e.Model->Caption(), "STM32L476xG Option Byte Setting");
  const std::pair<const char*, int> shown[] = {
      {"ComBoxL4xROP", 0},    {"ComBoxL4xBOV", 0},    {"ComBoxL4xNSTP", 1},  {"ComBoxL4xNSTB", 1},
      {"ComBoxL4xNSHW", 1},   {"ComBoxL4xIWGSW", 1},  {"ComBoxL4xIWGSTP", 1}, {"ComBoxL4xIWGSTB", 1},
      {"ComBoxL4xWWDGSW", 1}, {"ComBoxPCROP1", 1},
  };
  for (auto [name, state] : shown) EXPECT_EQ(e.Model->Find(name)->State, state) << name;
  EXPECT_EQ(e.Model->TextOf("EditOptBV").rfind("aa f8 ff ff ", 0), 0u);

  e.Buffer[0] = 0x12;
  e.Buffer[1] = 0x05;
  e.Buffer[4] = 0x34;
  e.Buffer[5] = 0x12;
  e.Model->Show();
  EXPECT_EQ(e.Model->Find("ComBoxL4xROP")->State, 2);
  EXPECT_EQ(e.Model->Find("ComBoxL4xBOV")->State, 5);
  EXPECT_EQ(e.Model->Find("ComBoxL4xNSTP")->State, 0);
  EXPECT_EQ(e.Model->TextOf("EditPCROP1S"), "0x1234");
  e.Buffer[0] = 0xCC;
  e.Model->Show();
  EXPECT_EQ(e.Model->Find("ComBoxL4xROP")->State, 1);
}

TEST(Stm32L4Editor, SecondBankEditsFollowTheFlashSize) {
  struct Case {
    const char* Chip;
    std::vector<std::pair<const char*, const char*>> Texts;
  } cases[] = {
      {"STM32L476xG",
       {{"EditPCROP1S", "0xffff"}, {"EditPCROP1E", "0x0000"}, {"EditQRP1AS", "0xff"}, {"EditQRP1BE", "0x00"},
        {"EditPCROP2S", "0xffff"}, {"EditPCROP2E", "0x0000"}, {"EditQRP2AS", "0xff"}, {"EditQRP2AE", "0x00"},
        {"EditQRP2BS", "0xff"}, {"EditQRP2BE", "0x00"}}},
      {"STM32L432xC",
       {{"EditPCROP1S", "0xffff"}, {"EditQRP1AE", "0x00"}, {"EditPCROP2S", "0xFFFF"}, {"EditPCROP2E", "0xFFFF"},
        {"EditQRP2AE", "0xFF"}, {"EditQRP2BE", "0xFF"}}},
      // 512 KB is not above 520: still one bank.
      {"STM32L476xE", {{"EditPCROP2E", "0xFFFF"}}},
  };
  for (const auto& k : cases) {
    OpenEditor e(k.Chip);
    for (auto [name, text] : k.Texts) EXPECT_EQ(e.Model->TextOf(name), text) << k.Chip << " " << name;
    const ControlState* bank2 = e.Model->Find("EditQRP2BE");
    EXPECT_TRUE(bank2->Visible && bank2->Enabled) << k.Chip;
  }
  OpenEditor small("STM32L476xE");
  EXPECT_EQ(small.Model->TextOf("EditOptBV"), "aa f8 ff ff " + kBank1);
}

TEST(Stm32L4Editor, UnreadableTextsKeepTheBytes) {
  for (const std::string text : {"0x", "", "12g", "$"}) {
    OpenEditor e("STM32L476xG");
    EXPECT_NE(e.Model->Type("EditPCROP1S", text), "") << text;
    EXPECT_EQ(e.Buffer, e.Default) << text;
    ASSERT_EQ(e.Prompts.Messages.size(), 1u) << text;
    EXPECT_EQ(e.Prompts.Messages[0].Kind, PromptKind::Error);
    EXPECT_EQ(e.Prompts.Messages[0].Text, NotAnIntegerMessage(text));
  }
  struct Case {
    const char* Action;
    const char* Says;
  } refused[] = {
      {"EditQRP1AS=0x100", "EditQRP1AS=0x100: out of range"},
      {"EditPCROP1S=0x10000", "EditPCROP1S=0x10000: out of range"},
      {"EditPCROP1S=-1", "EditPCROP1S=-1: out of range"},
      {"ComBoxL4xBOV=8", "ComBoxL4xBOV=8: out of range (0..7)"},
      {"EditOptBV=1", "EditOptBV: cannot be set"},
  };
  for (const auto& k : refused) {
    OpenEditor e("STM32L476xG");
    const std::string error = e.Apply(k.Action);
    EXPECT_NE(error.find(k.Says), std::string::npos) << k.Action << " -> " << error;
    EXPECT_EQ(e.Buffer, e.Default) << k.Action;
  }
}

// Every item of every box reads back as itself, and no two boxes own the
// same bit.
TEST(Stm32L4Editor, EachBoxOwnsItsBitsAlone) { test::ExpectEachBoxOwnsItsBitsAlone({"STM32L432xC", "STM32L4R9xI"}); }

}  // namespace
}  // namespace korvel
