#include "optionbytes/OptionDefaults.h"

#include "OptionTestSupport.h"

namespace korvel {
namespace {

using test::Expected;
using test::Hex;
using test::Named;

struct DefaultCase {
  const char* Chip;
  OptionBuffer Bytes;
};

const char* const kLxWords = "00 00 FF FF 00 00 FF FF 00 00 FF FF 00 00 FF FF "
                             "00 00 FF FF 00 00 FF FF 00 00 FF FF 00 00 FF FF";

TEST(OptionDefaults, EachFamilyGetsItsDefault) {
  const DefaultCase cases[] = {
      {"STM32F103xB", Expected(0xFF, {{0, "A5 5A FF 00 FF 00 FF 00 FF 00 FF 00 FF 00 FF 00"}})},
      {"STM32F030x6", Expected(0xFF, {{0, "AA 55 FF 00 FF 00 FF 00 FF 00 FF 00 FF 00 FF 00"}})},
      {"STSPIN32F0", Expected(0xFF, {{0, "AA 55 FF 00 FF 00 FF 00 FF 00 FF 00 FF 00 FF 00"}})},
      {"STM32W108CB", Expected(0xFF, {{0, "A5 5A FF 00 FF 00 FF 00 FF 00 FF 00 FF 00 FF 00"}})},
      {"STM32F303xC", Expected(0xFF, {{0, "AA 55 FF 00 FF 00 FF 00 FF 00 FF 00 FF 00 FF 00"}})},
      {"STM8S105K4",
       Expected(0x00, {{0, "00 00 FF 00 FF 00 FF 00 FF 00 FF 00 FF 00 FF"}, {24, "C7"},
                       {126, "00 FF"}})},
      {"STM8AF5168",
       Expected(0x00, {{0, "00 00 FF 00 FF 00 FF 00 FF 00 FF 00 FF 00 FF"}, {24, "C7"},
                       {126, "00 FF"}})},
      {"STM8L101F3", Expected(0x00, {{0, "AA"}})},
      {"STM8L152C6", Expected(0x00, {{0, "AA"}, {10, "01"}})},
      {"STM32F401xB", Expected(0xFF, {{0, "EF AA FF 3F 00 00 FF 0F"}})},
      {"STM32F429xI", Expected(0xFF, {{0, "EF AA FF 0F 00 00 FF 0F"}})},
      {"STM32F413xG", Expected(0xFF, {{0, "EF AA FF 3F 00 00 00 00"}})},
      {"STM32F407xG", Expected(0xFF, {{0, "EF AA FF FF 00 00 FF 0F"}})},
      {"STM32F205xB", Expected(0xFF, {{0, "EF AA FF 3F 00 00 FF 0F"}})},
      {"STM32L152xD", Expected(0xFF, {{0, "AA 00 55 FF F8 00 07 FF"}, {8, kLxWords}})},
      {"STM32L152xC", Expected(0xFF, {{0, "AA 00 55 FF 78 00 87 FF"}, {8, kLxWords}})},
      {"STM32L073xZ", Expected(0xFF, {{0, "AA 00 55 FF 78 00 87 FF"}, {8, kLxWords}})},
      {"STM32L476xG",
       Expected(0x00, {{0x00, "AA F8 FF FF FF FF FF FF 00 00 FF FF FF FF 00 FF"},
                       {0x10, "FF FF 00 FF FF FF FF FF 00 00 FF FF FF FF 00 00"},
                       {0x20, "FF FF"}})},
      {"STM32G474xE",
       Expected(0x00, {{0x00, "AA F8 EF FB FF FF FF FF 00 C0 FF FF FF FF C0 FF"},
                       {0x10, "FF FF C0 FF"},
                       {0x24, "FF FF FF FF 00 80 FF FF FF FF 80 FF"},
                       {0x30, "FF FF 80 FF"},
                       {0x50, "00 FF FE FF 00 FF FF FF"},
                       {0x60, "09 68 00 00 EF 02"}})},
      {"STM32G431xB",
       Expected(0x00, {{0x00, "AA F8 EF FF FF FF FF FF 00 C0 FF FF FF FF C0 FF"},
                       {0x10, "FF FF C0 FF"},
                       {0x24, "FF FF FF FF FF FF FF FF FF FF C0 FF"},
                       {0x30, "FF FF C0 FF"},
                       {0x50, "80 FF FE FF C0 FF FF FF"},
                       {0x60, "0A 68 00 00 0E 03"}})},
      {"STM32G030x8",
       Expected(0x00, {{0x00, "AA E1 FF DF FF"}, {0x0C, "1F"}, {0x10, "1F"}, {0x14, "FF"},
                       {0x1C, "FF FF FF FF"}})},
      {"STM32G031x8",
       Expected(0x00, {{0x00, "AA FE FF FF 7F"}, {0x0C, "1F"}, {0x10, "1F"}, {0x14, "7F"},
                       {0x1C, "FF FF FF FF"}})},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Chip);
    const auto chip = Named(k.Chip);
    OptionBuffer b;
    b.fill(0x5C);
    ResetOptionBuffer(b, chip.Info, chip.Stm32);
    EXPECT_EQ(Hex(b), Hex(k.Bytes));
  }
}

TEST(OptionDefaults, ComplementRulesCoverTheirOffsetsOnly) {
  struct Case {
    const char* Chip;
    OptionBuffer Bytes;
  } cases[] = {
      // 0x11 everywhere: complements become 0xEE where the rule writes.
      {"STM32F103xB", Expected(0x11, {{0, "11 EE 11 EE 11 EE 11 EE 11 EE 11 EE 11 EE 11 EE"}})},
      {"STM8S105K4",
       Expected(0x11, {{0, "11 11 EE 11 EE 11 EE 11 EE 11 EE 11 EE 11 EE"}, {127, "EE"}})},
      {"STM32L073xZ", Expected(0x11, {{0, "11 11 EE EE 11 11 EE EE 11 11 EE EE 11 11 EE EE "
                                         "11 11 EE EE 11 11 EE EE 11 11 EE EE 11 11 EE EE"}})},
      {"STM32L152xB", Expected(0x11, {{0, "11 11 EE EE 11 11 EE EE 11 11 EE EE 11 11 EE EE "
                                         "11 11 EE EE 11 11 EE EE 11 11 EE EE 11 11 EE EE "
                                         "11 11 EE EE 11 11 EE EE"}})},
      {"STM8L152C6", Expected(0x11, {})},
      {"STM32F429xI", Expected(0x11, {})},
      {"STM32L476xG", Expected(0x11, {})},
      {"STM32G474xE", Expected(0x11, {})},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Chip);
    const auto chip = Named(k.Chip);
    OptionBuffer b;
    b.fill(0x11);
    FillComplements(b, chip.Info, chip.Stm32);
    EXPECT_EQ(Hex(b), Hex(k.Bytes));
  }
}

}  // namespace
}  // namespace korvel
