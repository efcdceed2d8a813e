#include "EditorCaseSupport.h"
#include "app/IntegerText.h"
#include "optionbytes/OptionDisplay.h"

namespace korvel {
namespace {

using test::EditorCase;
using test::OpenEditor;
using test::kOtpWarning;

// Controls only the G0x1 parts have.
const char* kG0x1Only[] = {"ComBoxBOREN",  "ComBoxBORFL",  "ComBoxBORRL",  "ComBoxNSHW",   "ComBoxNRSTM",
                           "ComBoxIRHEN",  "ComBoxPCROP1", "EditPCROP1AS", "EditPCROP1AE", "EditPCROP1BS",
                           "EditPCROP1BE", "EditSecSZ",    "ComBoxBOTLCK"};
const char* kShared[] = {"ComBoxROP",     "ComBoxNSTP", "ComBoxNSTB", "ComBoxIWGSW", "ComBoxIWGSTP",
                         "ComBoxIWGSTB",  "ComBoxWWDGSW", "ComBoxRAMPCHK", "ComBoxNBOTS", "ComBoxnBT1",
                         "ComBoxnBT0",    "EditWRP1AS", "EditWRP1AE", "EditWRP1BS", "EditWRP1BE"};

TEST(Stm32G0Editor, ActionsWriteTheirFieldOnly) {
  const std::string g0x1Words = "fffffeaa 0000007f 00000000 0000001f 0000001f 0000007f 00000000 ";
  const EditorCase cases[] = {
      {"STM32G030x6", {"ComBoxROP=1"}, {{0, "CC"}}, {{"EditOptBV", "dfffe1cc 0000001f 0000001f "}}, {kOtpWarning}},
      {"STM32G031x8", {"ComBoxROP=2"}, {{0, "00"}}},
      // NRST_MODE "10" lands in bits 4-3 and nothing else of the byte moves.
      {"STM32G031x8", {"ComBoxNRSTM=2"}, {{3, "F7"}}},
      {"STM32G081xB", {"ComBoxNRSTM=0", "ComBoxIRHEN=0", "ComBoxnBT0=0"}, {{3, "C3"}}},
      // The third BOR item reads "01" yet writes 2.
      {"STM32G031x8", {"ComBoxBORFL=2", "ComBoxBORRL=1", "ComBoxBOREN=1"}, {{1, "ED"}}},
      {"STM32G030x6", {"ComBoxNSTP=0", "ComBoxRAMPCHK=0", "ComBoxNBOTS=0"}, {{1, "C1 BF DE"}}},
      {"STM32G031x8", {"EditSecSZ=0x20"}, {{96, "20"}}, {{"EditOptBV", g0x1Words + "00000020 "}}},
      {"STM32G031x8", {"ComBoxBOTLCK=1", "ComBoxPCROP1=1"}, {{98, "01"}, {11, "80"}},
       {{"EditOptBV", "fffffeaa 0000007f 80000000 0000001f 0000001f 0000007f 00000000 00010000 "}}},
      {"STM32G030x6", {"EditWRP1AE=$3F", "EditWRP1BS=0"}, {{14, "3F"}, {16, "00"}},
       {{"EditOptBV", "dfffe1aa 003f001f 00000000 "}}},
      {"STM32G071xB", {"EditPCROP1AS=10", "EditPCROP1BE=255"}, {{4, "0A"}, {24, "FF"}}},
  };
  for (const auto& k : cases) test::RunEditorCase(k);
}

TEST(Stm32G0Editor, DefaultFormOfAG0x0) {
  OpenEditor e("STM32G030x6");
  EXPECT_EQ(e.Model->Caption(), "STM32G030x6 Option Byte Setting");
  const std::pair<const char*, int> states[] = {
      {"ComBoxROP", 0},    {"ComBoxNSTP", 1},    {"ComBoxNSTB", 1},  {"ComBoxIWGSW", 1},
      {"ComBoxIWGSTP", 1}, {"ComBoxIWGSTB", 1},  {"ComBoxWWDGSW", 1}, {"ComBoxNBOTS", 1},
      {"ComBoxnBT1", 1},   {"ComBoxnBT0", 1},
  };
  for (auto [name, state] : states) EXPECT_EQ(e.Model->Find(name)->State, state) << name;
  const std::pair<const char*, const char*> texts[] = {
      {"EditWRP1AS", "0x1f"}, {"EditWRP1AE", "0x00"}, {"EditWRP1BS", "0x1f"}, {"EditWRP1BE", "0x00"},
      {"EditOptBV", "dfffe1aa 0000001f 0000001f "}};
  for (auto [name, text] : texts) EXPECT_EQ(e.Model->TextOf(name), text) << name;
  std::vector<std::string> visibleEdits;
  for (const auto& c : e.Model->Controls())
    if (c.Visible && c.Row->Kind == ControlKind::IntEdit) visibleEdits.push_back(c.Row->Name);
  EXPECT_EQ(visibleEdits, (std::vector<std::string>{"EditWRP1AS", "EditWRP1AE", "EditWRP1BS", "EditWRP1BE"}));

  e.Buffer[0] = 0x55;
  e.Buffer[1] = 0x0C;
  e.Buffer[3] = 0x10;
  e.Buffer[96] = 0xAB;
  e.Model->Show();
  EXPECT_EQ(e.Model->Find("ComBoxROP")->State, 2);
  EXPECT_EQ(e.Model->Find("ComBoxBORFL")->State, 2);
  EXPECT_EQ(e.Model->Find("ComBoxBORRL")->State, 1);
  EXPECT_EQ(e.Model->Find("ComBoxNRSTM")->State, 2);
  EXPECT_EQ(e.Model->TextOf("EditSecSZ"), "0xab");
}

TEST(Stm32G0Editor, G0x1ControlsShowOnlyOnG0x1Parts) {
  for (const char* chip : {"STM32G030x6", "STM32G070xB", "STM32G031x4", "STM32G081xB"}) {
    OpenEditor e(chip);
    const bool g0x1 = e.Chip.Info.FamilyCode == 0x71;
    for (const char* name : kG0x1Only) {
      const ControlState* c = e.Model->Find(name);
      ASSERT_NE(c, nullptr) << chip << " " << name;
      EXPECT_EQ(c->Visible, g0x1) << chip << " " << name;
    }
    for (const char* name : kShared) EXPECT_TRUE(e.Model->Find(name)->Visible) << chip << " " << name;
    for (const auto& g : e.Model->Table().Groups) {
      if (g.Name == "GroupSECR" || g.Name == "GroupPCROP1A" || g.Name == "GroupPCROP1B") {
        EXPECT_EQ(e.Model->GroupVisible(g), g0x1) << chip << " " << g.Name;
      }
    }
  }
  OpenEditor e("STM32G070xB");
  for (const char* action : {"ComBoxNRSTM=2", "EditSecSZ=0x20", "ComBoxBOREN=0"}) {
    EXPECT_NE(e.Apply(action).find(": hidden for STM32G070xB"), std::string::npos) << action;
    EXPECT_EQ(e.Buffer, e.Default) << action;
  }
}

// The summary is the word text of the option line, for both kinds of part.
TEST(Stm32G0Editor, SummaryMatchesTheOptionLine) {
  for (const char* chip : {"STM32G070xB", "STM32G041x8"}) {
    OpenEditor e(chip);
    for (const char* action : {"ComBoxROP=2", "EditWRP1BE=0x3f"}) ASSERT_EQ(e.Apply(action), "");
    e.Buffer[20] = 0x12;
    e.Buffer[97] = 0x34;
    e.Model->Show();
    const auto lines = Stm32OptionLines(e.Buffer, e.Chip.Info, true);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ("> Option Byte: " + e.Model->TextOf("EditOptBV"), lines[0]) << chip;
  }
}

TEST(Stm32G0Editor, EditsKeepTheLowByteOfWhatTheyRead) {
  {
    OpenEditor e("STM32G031x8");
    ASSERT_EQ(e.Model->Type("EditWRP1AS", "$1FF"), "");
    ASSERT_EQ(e.Model->Type("EditWRP1AE", "-1"), "");
    EXPECT_EQ(test::Hex(e.Buffer), test::Hex(test::Overlaid(e.Default, {{12, "FF"}, {14, "FF"}})));
  }
  for (const std::string text : {"0x", "", "0xg"}) {
    OpenEditor e("STM32G031x8");
    EXPECT_NE(e.Model->Type("EditWRP1AS", text), "") << text;
    EXPECT_EQ(e.Buffer, e.Default) << text;
    ASSERT_EQ(e.Prompts.Messages.size(), 1u) << text;
    EXPECT_EQ(e.Prompts.Messages[0].Text, NotAnIntegerMessage(text));
  }
  OpenEditor e("STM32G031x8");
  EXPECT_NE(e.Model->Type("EditWRP1AS", "0x001").find("longer than 4 characters"), std::string::npos);
  EXPECT_NE(e.Apply("EditWRP1AS=0x100").find("EditWRP1AS=0x100: out of range"), std::string::npos);
  EXPECT_NE(e.Apply("ComBoxBORFL=4").find("ComBoxBORFL=4: out of range (0..3)"), std::string::npos);
  EXPECT_EQ(e.Buffer, e.Default);
  EXPECT_TRUE(e.Prompts.Messages.empty());
}

// Every item of every box reads back as itself, and no two boxes own the
// same bit.
TEST(Stm32G0Editor, EachBoxOwnsItsBitsAlone) { test::ExpectEachBoxOwnsItsBitsAlone({"STM32G030x6", "STM32G081xB"}); }

}  // namespace
}  // namespace korvel
