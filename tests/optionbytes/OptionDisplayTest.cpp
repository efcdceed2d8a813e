#include "optionbytes/OptionDisplay.h"

#include "OptionTestSupport.h"
#include "optionbytes/OptionDefaults.h"
#include "optionbytes/OptionReadBack.h"

namespace korvel {
namespace {

using test::Expected;
using test::Hex;
using test::Named;

struct LinesCase {
  const char* Chip;
  const char* ByteLine;
  const char* RawLine;  // nullptr: no second line
};

TEST(OptionDisplay, DefaultBuffersPrintPerFamily) {
  const LinesCase cases[] = {
      {"STM32F103xB", "> Option Byte: a5 ff ff ff ff ff ff ff ",
       "> Option Buffer: a5 5a ff 00 ff 00 ff 00 ff 00 ff 00 ff 00 ff 00 "},
      {"STM8S105K4", "> Option Byte: 00 00 00 00 00 00 00 00 00 ",
       "> Option Buffer: 00 00 ff 00 ff 00 ff 00 ff 00 ff 00 ff 00 ff "},
      {"STM8AF5168", "> Option Byte: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 c7 00 ",
       "> Option Buffer: 00 00 ff 00 ff 00 ff 00 ff 00 ff 00 ff 00 ff 00 00 00 00 00 00 00 00 "
       "00 c7 00 "},
      {"STM8L101F3", "> Option Byte: aa 00 00 00 00 ",
       "> Option Buffer: aa 00 00 00 00 00 00 00 00 00 "},
      {"STM8L152C6", "> Option Byte: aa 00 00 00 00 01 00 00 ",
       "> Option Buffer: aa 00 00 00 00 00 00 00 00 00 01 00 00 00 "},
      {"STM32L476xG",
       "> Option Byte: fffff8aa ffffffff ffff0000 ff00ffff ff00ffff ffffffff ffff0000 0000ffff "
       "0000ffff ",
       nullptr},
      {"STM32L432xC", "> Option Byte: fffff8aa ffffffff ffff0000 ff00ffff ff00ffff ", nullptr},
      {"STM32L151xB", "> Option Byte: aa 78 00 00 00 00 00 ",
       "> Option Buffer: aa 00 55 ff 78 00 87 ff 00 00 ff ff 00 00 ff ff "},
      {"STM32L151xE",
       "> Option Byte: aa f8 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ",
       "> Option Buffer: aa 00 55 ff f8 00 07 ff 00 00 ff ff 00 00 ff ff 00 00 ff ff 00 00 ff ff "
       "00 00 ff ff 00 00 ff ff 00 00 ff ff 00 00 ff ff "},
      {"STM32L053x8", "> Option Byte: aa 00 78 00 00 00 ",
       "> Option Buffer: aa 00 55 ff 78 00 87 ff 00 00 ff ff "},
      {"STM32L073xZ", "> Option Byte: aa 00 78 00 00 00 00 00 00 00 ",
       "> Option Buffer: aa 00 55 ff 78 00 87 ff 00 00 ff ff 00 00 ff ff 00 00 ff ff "},
      {"STM32F429xI", "> Option Byte: ef aa ff 0f ff 0f ",
       "> Option Buffer: ef aa ff 0f 00 00 ff 0f ff ff ff ff "},
      {"STM32F407xG", "> Option Byte: ef aa ff ff ", "> Option Buffer: ef aa ff ff 00 00 ff 0f "},
      {"STM32G431xB",
       "> Option Byte: ffeff8aa ffffffff ffffc000 ffc0ffff ffc0ffff fffeff80", nullptr},
      {"STM32G474xE",
       "> Option Byte: fbeff8aa ffffffff ffffc000 ffc0ffff ffc0ffff ffffffff ffff8000 ff80ffff "
       "ff80ffff fffeff00 ffffff00 ",
       nullptr},
      {"STM32G030x8", "> Option Byte: dfffe1aa 0000001f 0000001f ", nullptr},
      {"STM32G031x8",
       "> Option Byte: fffffeaa 0000007f 00000000 0000001f 0000001f 0000007f 00000000 00000000 ",
       nullptr},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Chip);
    const auto chip = Named(k.Chip);
    OptionBuffer b;
    ResetOptionBuffer(b, chip.Info, chip.Stm32);
    const auto lines = chip.Stm32 ? Stm32OptionLines(b, chip.Info, true)
                                  : Stm8OptionLines(b, chip.Info, false);
    ASSERT_EQ(lines.size(), k.RawLine ? 2u : 1u);
    EXPECT_EQ(lines[0], k.ByteLine);
    if (k.RawLine) {
      EXPECT_EQ(lines[1], k.RawLine);
    }
  }
}

TEST(OptionDisplay, EachFormIsSilentForTheOtherKindAndBlueToothOnTheMenu) {
  const auto stm8 = Named("STM8S105K4");
  const auto stm32 = Named("STM32F103xB");
  OptionBuffer b{};
  EXPECT_TRUE(Stm32OptionLines(b, stm8.Info, false).empty());
  EXPECT_TRUE(Stm8OptionLines(b, stm32.Info, true).empty());

  FixedClock clock(MakeTime(2026, 1, 2, 3, 4, 5));
  InfoLog log(clock);
  const auto nrg = Named("BlueNRG-132");
  ShowOptionByteCommand(log, b, nrg.Info, true);
  EXPECT_TRUE(log.Lines().empty());
  ShowOptionByteCommand(log, b, stm32.Info, true);
  EXPECT_EQ(log.Lines().size(), 2u);  // memo lines without a time
  EXPECT_EQ(log.Lines()[0].rfind("> Option Byte: ", 0), 0u);
}

OptionBuffer Counting() {
  OptionBuffer r;
  for (std::size_t i = 0; i < r.size(); ++i) r[i] = static_cast<uint8_t>(0x80 + i);
  return r;
}

TEST(OptionReadBack, ReplacesTheFamilysRangeOnly) {
  struct Case {
    const char* Chip;
    std::size_t Length;
    OptionBuffer After;  // from a buffer of 0x5C and a reply 80 81 82 ...
  } cases[] = {
      {"STM8S105K4", 128, Counting()},
      {"STM8L152C6", 15, Expected(0x5C, {{0, "80 81 82 83 84 85 86 87 88 89 8A 8B 8C 8D 8E"}})},
      {"STM32F407xG", 4, Expected(0x5C, {{0, "80 81 82 83"}, {8, "82 83"}})},
      {"STM32F429xI", 8, Expected(0x5C, {{0, "82 81 82 B3"}, {6, "86 F7 82 83"}})},
      {"STM32L073xZ", 32, Expected(0x5C, {{0, "80 81 82 83 84 85 86 87 88 89 8A 8B 8C 8D 8E 8F "
                                            "90 91 92 93 94 95 96 97 98 99 9A 9B 9C 9D 9E 9F"}})},
      {"STM32L151xD", 32, Expected(0x5C, {{0, "80 81 82 83 84 85 86 87 88 89 8A 8B 8C 8D 8E 8F "
                                            "90 91 92 93 94 95 96 97 98 99 9A 9B 9C 9D 9E 9F"}})},
      {"STM32L151xE", 40, Expected(0x5C, {{0, "80 81 82 83 84 85 86 87 88 89 8A 8B 8C 8D 8E 8F "
                                            "90 91 92 93 94 95 96 97 98 99 9A 9B 9C 9D 9E 9F "
                                            "A0 A1 A2 A3 A4 A5 A6 A7"}})},
      {"STM32L452xE", 20, Expected(0x5C, {{0, "80 81 82 83 84 85 86 87 88 89 8A 8B 8C 8D 8E 8F "
                                            "90 91 92 93"}})},
      {"STM32L476xG", 36, Expected(0x5C, {{0, "80 81 82 83 84 85 86 87 88 89 8A 8B 8C 8D 8E 8F "
                                            "90 91 92 93 94 95 96 97 98 99 9A 9B 9C 9D 9E 9F "
                                            "A0 A1 A2 A3"}})},
      {"STM32F103xB", 15, Expected(0x5C, {{0, "80 81 82 83 84 85 86 87 88 89 8A 8B 8C 8D 8E"}})},
  };
  const OptionBuffer reply = Counting();
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Chip);
    const auto chip = Named(k.Chip);
    EXPECT_EQ(ReadBackLength(chip.Info, chip.Stm32), k.Length);
    OptionBuffer b;
    b.fill(0x5C);
    ASSERT_TRUE(ReplaceWithReadBack(b, chip.Info, chip.Stm32, reply));
    EXPECT_EQ(Hex(b), Hex(k.After));
  }

  // G0/G4 take 112 bytes.
  const auto g0 = Named("STM32G071xB");
  OptionBuffer b;
  b.fill(0x5C);
  ASSERT_TRUE(ReplaceWithReadBack(b, g0.Info, true, reply));
  EXPECT_EQ(b[111], 0x80 + 111);
  EXPECT_EQ(b[112], 0x5C);
}

TEST(OptionReadBack, ShortReplyLeavesTheBufferAlone) {
  const auto chip = Named("STM32F429xI");
  OptionBuffer b;
  b.fill(0x5C);
  const uint8_t reply[7] = {1, 2, 3, 4, 5, 6, 7};
  EXPECT_FALSE(ReplaceWithReadBack(b, chip.Info, true, reply));
  EXPECT_EQ(Hex(b), Hex(Expected(0x5C, {})));
}

}  // namespace
}  // namespace korvel
