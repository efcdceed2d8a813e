#include <gtest/gtest.h>

#include <array>
#include <set>

#include "target/ChipRules.h"
#include "target/ChipSelect.h"
#include "target/ChipSeries.h"

namespace korvel {
namespace {

// Confirms a listed chip into d from a fresh descriptor unless one is given,
// with the BlueTooth layout the window applies afterwards.
ChipInfo Confirm(const std::string& name, ChipInfo d = {}) {
  const ChipLocation loc = FindChip(name);
  EXPECT_TRUE(loc.Found()) << name;
  ConfirmChip(d, loc.Stm32, loc.Series, loc.Index, name);
  std::array<uint8_t, 128> options{};
  if (d.BlueNrgMode) ApplyBlueNrgLayout(d, options);
  return d;
}

struct Row {
  const char* Name;
  uint8_t Family, SubCode;
  uint16_t KB;
  uint32_t FlashBase, FlashEnd;
  uint16_t EepSize;
  uint32_t EepBase, EepEnd, OptAddr;
  bool Otp;
  uint8_t SectorMap, Variant;
  bool VariantFlag, Dual, V18, Nrg;
  uint16_t Block, Blocks;
};

// clang-format off
const Row kRows[] = {
  // name             fam  sub  KB    flash base  flash end   eep   eep base    eep end     opt addr   otp sm fvc vf db 18 nrg blk  blocks
  {"STM8S105K4",     0xD6, 0,   16,   0x8000,     0xBFFF,     1024, 0x4000,     0x43FF,     0x4800,     0, 0, 0,  0, 0, 0, 0, 1024, 16},
  {"STM8L152C6",     0xE5, 0,   32,   0x8000,     0xFFFF,     1024, 0x1000,     0x13FF,     0x4800,     0, 0, 0,  0, 0, 0, 0, 1024, 32},
  {"STM8S003F3",     0xD9, 0,   8,    0x8000,     0x9FFF,     128,  0x4000,     0x407F,     0x4800,     0, 0, 0,  0, 0, 0, 0, 1024, 8},
  {"STM8S208S6",     0xD0, 0,   32,   0x8000,     0xFFFF,     1536, 0x4000,     0x45FF,     0x4800,     0, 0, 0,  0, 0, 0, 0, 1024, 32},
  {"STM8S207RB",     0xD3, 0,   128,  0x8000,     0x27FFF,    2048, 0x4000,     0x47FF,     0x4800,     0, 0, 0,  0, 0, 0, 0, 1024, 128},
  {"STM8AL31E88",    0xC0, 0,   64,   0x8000,     0x17FFF,    2000, 0x1000,     0x17CF,     0x4800,     0, 0, 0,  0, 0, 0, 0, 1024, 64},
  {"STM8L001J3",     0xE5, 0,   8,    0x8000,     0x9FFF,     0,    0x1000,     0x0FFF,     0x4800,     0, 0, 0,  0, 0, 0, 0, 1024, 8},
  {"STM8L050J3",     0xE5, 0,   8,    0x8000,     0x9FFF,     256,  0x1000,     0x10FF,     0x4800,     0, 0, 0,  0, 0, 0, 0, 1024, 8},
  {"STM8L101F3",     0xE0, 0,   8,    0x8000,     0x9FFF,     0,    0x4000,     0x3FFF,     0x4800,     0, 0, 0,  0, 0, 0, 0, 1024, 8},
  {"STM8AF6213",     0xD9, 0,   4,    0x8000,     0x8FFF,     640,  0x4000,     0x427F,     0x4800,     0, 0, 0,  0, 0, 0, 0, 1024, 4},
  {"STM8AH6168",     0xCA, 0,   32,   0x8000,     0xFFFF,     0,    0x4000,     0x3FFF,     0x4800,     0, 0, 0,  0, 0, 0, 0, 1024, 32},
  {"STM8TL52F4",     0xC0, 0,   0,    0x8000,     0x7FFF,     0,    0x4000,     0x3FFF,     0x4800,     0, 0, 0,  0, 0, 0, 0, 1024, 0},
  {"STM32F103xB",    0x00, 23,  128,  0x08000000, 0x0801FFFF, 0,    0,          0xFFFFFFFF, 0x1FFFF800, 0, 0, 0,  0, 0, 0, 0, 1024, 128},
  {"STM32L152xB",    0x20, 12,  128,  0x08000000, 0x0801FFFF, 4096, 0x08080000, 0x08080FFF, 0x1FF80000, 0, 0, 0,  0, 0, 0, 0, 1024, 128},
  {"STM32F429xI",    0x60, 0x20,2048, 0x08000000, 0x081FFFFF, 528,  0x1FFF7800, 0x1FFF7A0F, 0x1FFFC000, 1, 5, 0,  1, 1, 0, 0, 1024, 2048},
  {"STM32G071xB",    0x71, 10,  128,  0x08000000, 0x0801FFFF, 1024, 0x1FFF7000, 0x1FFF73FF, 0x1FFF7800, 1, 1, 2,  1, 0, 0, 0, 1024, 128},
  {"BlueNRG-132",    0xB8, 2,   160,  0x10040000, 0x10067FFF, 0,    0,          0,          0x1FFFF800, 0, 0, 5,  0, 0, 0, 1, 2048, 80},
  {"BlueNRG-232",    0xB8, 5,   256,  0x10040000, 0x1007FFFF, 0,    0,          0,          0x1FFFF800, 0, 0, 5,  0, 0, 0, 1, 2048, 128},
  {"LSM6DB0",        0xB8, 0,   64,   0x10010000, 0x1001FFFF, 0,    0x10020000, 0x10020FFF, 0x1FFFF800, 0, 0, 1,  0, 0, 0, 1, 2048, 32},
  {"BlueNRG-345xx",  0xB9, 8,   1024, 0x10040000, 0x1007FFFF, 1024, 0x10001800, 0x10001BFF, 0x1FFFF800, 1, 0, 5,  0, 0, 0, 1, 2048, 512},
  {"STM32L158VT",    0x20, 16,  128,  0x08000000, 0x0801FFFF, 4096, 0x08080000, 0x08080FFF, 0x1FF80000, 0, 0, 0,  0, 0, 0, 0, 1024, 128},
  {"STSPIN32F0TR",   0x10, 0,   32,   0x08000000, 0x08007FFF, 0,    0,          0xFFFFFFFF, 0x1FFFF800, 0, 0, 0,  0, 0, 0, 0, 1024, 32},
  {"STM32L15xxCxxA", 0x20, 10,  256,  0x08000000, 0x0803FFFF, 8192, 0x08080000, 0x08081FFF, 0x1FF80000, 0, 0, 0,  0, 0, 0, 0, 1024, 256},
  {"STM32L151xC",    0x20, 7,   256,  0x08000000, 0x0803FFFF, 8192, 0x08080000, 0x08081FFF, 0x1FF80000, 0, 0, 0,  0, 0, 0, 0, 1024, 256},
  {"STM32L4R5xG",    0x08, 0,   1024, 0x08000000, 0x080FFFFF, 1024, 0x1FFF7000, 0x1FFF73FF, 0x1FFFF800, 1, 1, 48, 1, 0, 0, 0, 1024, 1024},
  {"STM32L476xG",    0x08, 23,  1024, 0x08000000, 0x080FFFFF, 1024, 0x1FFF7000, 0x1FFF73FF, 0x1FFFF800, 1, 1, 48, 1, 0, 0, 0, 1024, 1024},
  {"STM32L432xC",    0x08, 6,   256,  0x08000000, 0x0803FFFF, 1024, 0x1FFF7000, 0x1FFF73FF, 0x1FFFF800, 1, 1, 16, 1, 0, 0, 0, 1024, 256},
  {"STM32L452xE",    0x08, 14,  512,  0x08000000, 0x0807FFFF, 1024, 0x1FFF7000, 0x1FFF73FF, 0x1FFFF800, 1, 1, 16, 1, 0, 0, 0, 1024, 512},
  {"STM32G474xE",    0x72, 9,   512,  0x08000000, 0x0807FFFF, 1024, 0x1FFF7000, 0x1FFF73FF, 0x1FFF7800, 1, 1, 42, 1, 0, 0, 0, 1024, 512},
  {"STM32G431xB",    0x72, 2,   128,  0x08000000, 0x0801FFFF, 1024, 0x1FFF7000, 0x1FFF73FF, 0x1FFF7800, 1, 1, 10, 1, 0, 0, 0, 1024, 128},
  {"STM32G030x8",    0x70, 1,   64,   0x08000000, 0x0800FFFF, 1024, 0x1FFF7000, 0x1FFF73FF, 0x1FFF7800, 1, 0, 2,  0, 0, 0, 0, 1024, 64},
  {"STM32G031x8",    0x71, 4,   64,   0x08000000, 0x0800FFFF, 1024, 0x1FFF7000, 0x1FFF73FF, 0x1FFF7800, 1, 1, 2,  1, 0, 0, 0, 1024, 64},
  {"STM32F411xE",    0x60, 11,  512,  0x08000000, 0x0807FFFF, 528,  0x1FFF7800, 0x1FFF7A0F, 0x1FFFC000, 1, 0, 0,  0, 0, 0, 0, 1024, 512},
  {"STM32F446xE",    0x60, 30,  512,  0x08000000, 0x0807FFFF, 528,  0x1FFF7800, 0x1FFF7A0F, 0x1FFFC000, 1, 1, 0,  1, 0, 0, 0, 1024, 512},
  {"STM32F437xI",    0x60, 0x20,2048, 0x08000000, 0x081FFFFF, 528,  0x1FFF7800, 0x1FFF7A0F, 0x1FFFC000, 1, 5, 0,  1, 1, 0, 0, 1024, 2048},
  {"STM32F423xH",    0x60, 19,  1536, 0x08000000, 0x0817FFFF, 528,  0x1FFF7800, 0x1FFF7A0F, 0x1FFFC000, 1, 1, 0,  1, 0, 0, 0, 1024, 1536},
  {"STM32F205xG",    0x40, 4,   1024, 0x08000000, 0x080FFFFF, 528,  0x1FFF7800, 0x1FFF7A0F, 0x1FFFC000, 1, 0, 0,  0, 0, 0, 0, 1024, 1024},
  {"STM32F038x6",    0x10, 27,  32,   0x08000000, 0x08007FFF, 0,    0,          0xFFFFFFFF, 0x1FFFF800, 0, 0, 0,  0, 0, 1, 0, 1024, 32},
  {"STM32F030x6",    0x10, 1,   32,   0x08000000, 0x08007FFF, 0,    0,          0xFFFFFFFF, 0x1FFFF800, 0, 0, 0,  0, 0, 0, 0, 1024, 32},
  {"STM32L073xZ",    0x28, 24,  192,  0x08000000, 0x0802FFFF, 6144, 0x08080000, 0x080817FF, 0x1FF80000, 0, 0, 0,  1, 0, 0, 0, 1024, 192},
  {"STM32L072x8",    0x28, 19,  64,   0x08000000, 0x0800FFFF, 3072, 0x08080000, 0x08080BFF, 0x1FF80000, 0, 0, 0,  1, 0, 0, 0, 1024, 64},
  {"STM32L011x3",    0x28, 3,   8,    0x08000000, 0x08001FFF, 512,  0x08080000, 0x080801FF, 0x1FF80000, 0, 0, 0,  1, 0, 0, 0, 1024, 8},
  {"STM32W108CZ",    0x30, 3,   192,  0x08000000, 0x0802FFFF, 0,    0,          0xFFFFFFFF, 0x1FFFF800, 0, 0, 0,  0, 0, 0, 0, 1024, 192},
};
// clang-format on

TEST(ChipRules, ConfirmedChipsGetTheirDescriptor) {
  for (const Row& r : kRows) {
    SCOPED_TRACE(r.Name);
    const ChipInfo c = Confirm(r.Name);
    EXPECT_EQ(c.ChipName, r.Name);
    EXPECT_EQ(c.FamilyCode, r.Family);
    EXPECT_EQ(c.ChipSubCode, r.SubCode);
    EXPECT_EQ(c.FlashSizeKB, r.KB);
    EXPECT_EQ(c.FlashBase, r.FlashBase);
    EXPECT_EQ(c.FlashEnd, r.FlashEnd);
    EXPECT_EQ(c.EepSize, r.EepSize);
    EXPECT_EQ(c.EepBase, r.EepBase);
    EXPECT_EQ(c.EepEnd, r.EepEnd);
    EXPECT_EQ(c.OptionByteAddr, r.OptAddr);
    EXPECT_EQ(c.HasOtp, r.Otp);
    EXPECT_EQ(c.SectorMapCode, r.SectorMap);
    EXPECT_EQ(c.FlashVariantCode, r.Variant);
    EXPECT_EQ(c.VariantFlag, r.VariantFlag);
    EXPECT_EQ(c.DualBank, r.Dual);
    EXPECT_EQ(c.Needs18V, r.V18);
    EXPECT_EQ(c.BlueNrgMode, r.Nrg);
    EXPECT_EQ(c.BlockSize, r.Block);
    EXPECT_EQ(c.FlashBlocks, r.Blocks);
  }
}

TEST(ChipRules, OnlySubCodeAndStm32EepBaseSurviveAChipChange) {
  // An STM32 chip without data memory keeps the previous EepBase.
  ChipInfo c = Confirm("STM32F103xB", Confirm("STM32L152xB"));
  EXPECT_EQ(c.EepBase, 0x08080000u);
  EXPECT_EQ(c.EepEnd, 0x0807FFFFu);

  // An STM8 chip keeps the STM32 sub-code and nothing else.
  c = Confirm("STM8S105K4", Confirm("STM32F437xI"));
  EXPECT_EQ(c.ChipSubCode, 0x20);
  EXPECT_FALSE(c.DualBank);
  EXPECT_FALSE(c.VariantFlag);
  c = Confirm("STM8S105K4", Confirm("BlueNRG-132"));
  EXPECT_FALSE(c.BlueNrgMode);
  c = Confirm("STM32F103xB", Confirm("STM32F038x6"));
  EXPECT_FALSE(c.Needs18V);
}

TEST(ChipRules, NamesOutsideTheRulesGetTheDefaults) {
  uint32_t base = 0;
  EXPECT_EQ(Stm32FlashSize("STM32"), 1024);     // too short for a size letter
  EXPECT_EQ(Stm32FlashSize("STM32F103xQ"), 1024);
  EXPECT_EQ(Stm8FlashSize("STM8"), 0);
  EXPECT_EQ(Stm8FlashSize(""), 0);
  EXPECT_EQ(Stm8EepSize("STM8AF6366", 32, base), 0);
  EXPECT_EQ(base, 0x4000u);
  EXPECT_EQ(Stm8EepSize("STM8AL3L46", 16, base), 1024);
  EXPECT_EQ(base, 0x1000u);
  uint32_t opt = 0;
  EXPECT_EQ(L1EepSize("STM32L1", opt), 16384);
  EXPECT_EQ(opt, 0x1FF80000u);

  // A typed name confirmed with the F1 series code.
  ChipInfo c;
  ConfirmChip(c, true, 1, 3, "MYCHIP");
  EXPECT_EQ(c.FamilyCode, 0x00);
  EXPECT_EQ(c.FlashSizeKB, 1024);
  EXPECT_EQ(c.ChipSubCode, 3);
}

TEST(ChipSeries, ListsHold456NamesInTheirSeries) {
  std::size_t total = 0;
  for (bool stm32 : {false, true})
    for (const auto& s : SeriesOf(stm32)) total += s.ChipNames().size();
  EXPECT_EQ(total, 456u);
  EXPECT_EQ(Stm8Series().size(), 7u);
  EXPECT_EQ(Stm32Series().size(), 15u);
  EXPECT_STREQ(Stm32Series()[7].Name, "cSTM32LxxxxA");
  EXPECT_EQ(Stm32Series()[7].LastIndex, 11);
  EXPECT_EQ(Stm8Series()[3].LastIndex, 41);
  // Names listed twice are found at their first place.
  const ChipLocation loc = FindChip("STM32L082xC");
  EXPECT_EQ(loc.Index, 26);
}

TEST(ChipRules, ModeBitsFollowTheFamily) {
  struct Case {
    const char* Name;
    uint8_t Bits;
  } cases[] = {{"STM8AF5168", 0x0C}, {"STM8AH6168", 0x0C}, {"STM8S208CB", 0x08},
               {"STM8S207C8", 0x08}, {"STM8S105K4", 0x08}, {"STM8S003F3", 0},
               {"STM8L101F3", 0},    {"STM8L152C6", 0},    {"STM32F103xB", 0}};
  for (const auto& k : cases) {
    const ChipLocation loc = FindChip(k.Name);
    EXPECT_EQ(ChipModeBits(Confirm(k.Name), loc.Stm32), k.Bits) << k.Name;
  }
}

}  // namespace
}  // namespace korvel
