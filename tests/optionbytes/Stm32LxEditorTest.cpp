#include "EditorCaseSupport.h"

namespace korvel {
namespace {

using test::EditorCase;
using test::OpenEditor;
using test::Selected;
using test::kOtpWarning;

// Defaults: AA 00 55 FF, then USER 0x78 (0xF8 on L1 from 384 KB) with
// complement, nBOOT1 0x00, and every WRP byte 0x00 with complement 0xFF.
TEST(Stm32LxEditor, ActionsWriteValueAndWordComplement) {
  const EditorCase cases[] = {
      {"STM32L152xD", {"ComBoxLxBOR=10"}, {{4, "FA 00 05"}}, {{"EditLxUSER", "0xfa"}}},
      {"STM32L152xD", {"ComBoxLxIWDG=0"}, {{4, "E8 00 17"}}},
      {"STM32L152xD", {"ComBoxLxnRST=0"}, {{4, "D8 00 27"}}},
      {"STM32L152xD", {"ComBoxLxSTDB=0"}, {{4, "B8 00 47"}}},
      {"STM32L152xD", {"ComBoxLxBFB=0"}, {{4, "78 00 87"}}},
      {"STM32L053x8", {"ComBoxLxBFB=1", "ComBoxLxBOR=15"}, {{4, "FF 00 00"}}, {{"EditLxUSER", "0xff"}}},
      {"STM32L053x8", {"ComBoxBOOT1=1"}, {{5, "80"}, {7, "7F"}}, {{"EditBoot1", "0x80"}}},
      {"STM32L053x8", {"ComBoxBOOT1=1", "ComBoxBOOT1=0"}, {}},
      {"STM32L152xC", {"ComBoxLxROP=1"}, {{0, "CC 00 33"}}, {{"EditLxROP", "0xcc"}}, {kOtpWarning}},
      {"STM32L152xC", {"ComBoxLxROP=2"}, {{0, "00 00 FF"}}, {{"EditLxROP", "0x00"}}},
      {"STM32L053x8", {"ComBoxLxPCROP=1"}, {{1, "01 55 FE"}}, {{"EditPcROP", "0x01"}}},
      {"STM32L152xC", {"EditWRP2M=1F"}, {{17, "1F FF E0"}}, {{"LabelWRP2", "WRP2 - 00 00 1f 00 "}}},
      {"STM32L053x8", {"EditWRP1L=a5"}, {{8, "A5 00 5A"}}, {{"LabelWRP1", "WRP1 - 00 00 00 a5 "}}},
      {"STM32L152xE", {"EditWRP4U=Ff", "EditWRP4H=3"}, {{36, "03 FF FC 00"}},
       {{"LabelWRP4", "WRP4 - ff 03 00 00 "}}},
      // An empty edit reads as 0x00.
      {"STM32L152xE", {"EditWRP3L=7", "EditWRP3L="}, {}, {{"LabelWRP3", "WRP3 - 00 00 00 00 "}}},
  };
  for (const auto& k : cases) test::RunEditorCase(k);
}

TEST(Stm32LxEditor, ShowReadsTheBuffer) {
  OpenEditor e("STM32L053x8");
  EXPECT_EQ(e.Model->Caption(), "STM32L053x8 Option Byte Setting");
  EXPECT_EQ(Selected(e, "ComBoxLxROP"), "0xAA : Level 0, no protection");
  EXPECT_EQ(Selected(e, "ComBoxLxBOR"), "1000 : BOR level 1");
  EXPECT_EQ(e.Model->TextOf("LabelWRP1"), "WRP1 - 00 00 00 00 ");
  e.Buffer[0] = 0x33;
  e.Buffer[1] = 0x03;
  e.Buffer[4] = 0x5A;
  e.Buffer[5] = 0x80;
  e.Model->Show();
  EXPECT_EQ(Selected(e, "ComBoxLxROP"), "others: Level 1: Read Protection");
  EXPECT_EQ(Selected(e, "ComBoxLxPCROP"), "1 : PcROp Enabled, WRP bits i used for PcROP protection on sector i");
  EXPECT_EQ(Selected(e, "ComBoxLxBOR"), "1010 : BOR level 3");
  EXPECT_EQ(Selected(e, "ComBoxLxIWDG"), "1 : software independent watchdog");
  EXPECT_EQ(Selected(e, "ComBoxLxnRST"), "0 : Reset generated when entering the stop mode");
  EXPECT_EQ(Selected(e, "ComBoxLxSTDB"), "1 : No reset generated");
  EXPECT_EQ(Selected(e, "ComBoxLxBFB"), "0 : Boot from system memory");
  EXPECT_EQ(Selected(e, "ComBoxBOOT1"), "1 : Boot = 1");
  EXPECT_EQ(e.Model->TextOf("EditBoot1"), "0x80");
  // The L0 has no WRP3/WRP4; their edits are not loaded from the buffer.
  EXPECT_EQ(e.Model->TextOf("EditWRP3L"), "");

  const char* items[] = {"0000 : BOR off", "0111 : BOR off", "1000 : BOR level 1", "1110 : BOR level 7",
                         "1111 : Reserved"};
  const int index[] = {0, 7, 8, 14, 15};
  const auto& bor = e.Model->Find("ComBoxLxBOR")->Row->Items;
  ASSERT_EQ(bor.size(), 16u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(bor[static_cast<std::size_t>(index[i])].Text, items[i]);
}

// Edits show their bytes in lower case; typing that text back writes the
// same byte, so opening the form changes nothing.
TEST(Stm32LxEditor, ShownWrpTextReadsBackUnchanged) {
  OpenEditor e("STM32L152xE");
  for (std::size_t w = 8; w <= 36; w += 4) {
    e.Buffer[w] = e.Buffer[w + 1] = 0xFF;
    e.Buffer[w + 2] = e.Buffer[w + 3] = 0x00;
  }
  e.Buffer[21] = 0xAB;
  e.Buffer[23] = 0x54;
  e.Model->Show();
  const OptionBuffer before = e.Buffer;
  EXPECT_EQ(e.Model->TextOf("EditWRP2U"), "ab");
  for (int g = 1; g <= 4; ++g)
    for (const char* part : {"L", "M", "H", "U"}) {
      const std::string name = "EditWRP" + std::to_string(g) + part;
      const std::string text = e.Model->TextOf(name);
      if (name != "EditWRP2U") {
        EXPECT_EQ(text, "ff") << name;
      }
      ASSERT_EQ(e.Model->Type(name, text), "") << name;
    }
  EXPECT_EQ(e.Buffer, before);
}

// WRP edits by family and flash size; nBOOT1 only on the L0.
TEST(Stm32LxEditor, ControlsByChip) {
  struct Case {
    const char* Chip;
    std::vector<const char*> Shown;
    std::vector<const char*> Hidden;
  } cases[] = {
      {"STM32L152xD",
       {"EditWRP1U", "EditWRP2U", "EditWRP3L", "EditWRP3U", "LabelWRP3", "ComBoxLxPCROP", "ComBoxLxBFB"},
       {"EditWRP4L", "EditWRP4M", "EditWRP4H", "EditWRP4U", "LabelWRP4", "ComBoxBOOT1"}},
      {"STM32L152xE", {"EditWRP4L", "EditWRP4U", "LabelWRP4"}, {}},
      {"STM32L152xB", {"EditWRP1H", "EditWRP1U"}, {"EditWRP2L", "LabelWRP2"}},
      {"STM32L151xC", {"EditWRP2L", "EditWRP2M", "EditWRP2H", "EditWRP2U"}, {"EditWRP3L"}},
      {"STM32L100x6xxA", {"EditWRP1L", "EditWRP1U"}, {"EditWRP2L"}},
      {"STM32L053x8", {"EditWRP1L", "EditWRP1M", "ComBoxBOOT1", "ComBoxLxPCROP", "ComBoxLxBFB"},
       {"EditWRP1H", "EditWRP1U", "EditWRP2L"}},
      {"STM32L072xB", {"EditWRP1H", "EditWRP1U"}, {"EditWRP2L"}},
      {"STM32L072xZ", {"EditWRP2L", "EditWRP2M", "LabelWRP2"}, {"EditWRP2H", "EditWRP2U"}},
      {"STM32L082xC", {"EditWRP2U"}, {"EditWRP3L", "LabelWRP3", "EditWRP4L"}},
  };
  for (const auto& k : cases) {
    OpenEditor e(k.Chip);
    for (const char* name : k.Shown) {
      const ControlState* c = e.Model->Find(name);
      ASSERT_NE(c, nullptr) << k.Chip << " " << name;
      EXPECT_TRUE(c->Visible) << k.Chip << " " << name;
    }
    for (const char* name : k.Hidden) {
      const ControlState* c = e.Model->Find(name);
      ASSERT_NE(c, nullptr) << k.Chip << " " << name;
      EXPECT_FALSE(c->Visible) << k.Chip << " " << name;
    }
  }
  OpenEditor l1("STM32L152xD");
  EXPECT_NE(l1.Apply("EditWRP4L=12").find("hidden"), std::string::npos);
  EXPECT_NE(l1.Apply("ComBoxBOOT1=1").find("hidden"), std::string::npos);
  EXPECT_EQ(l1.Buffer, l1.Default);
}

}  // namespace
}  // namespace korvel
