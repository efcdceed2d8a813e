#include <gtest/gtest.h>

#include <sstream>

#include "target/ChipListing.h"

namespace korvel {
namespace {

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> out;
  std::stringstream ss(line);
  std::string f;
  while (std::getline(ss, f, '\t')) out.push_back(f);
  return out;
}

TEST(ChipListing, HeaderAnd456LinesOfTwentyFields) {
  EXPECT_EQ(ChipListingHeader(),
            "series\tindex\tname\tFamilyCode\tChipSubCode\tFlashSizeKB\tFlashBase\tFlashEnd\t"
            "EepKind\tEepSize\tEepBase\tEepEnd\tOptionByteAddr\tHasOtp\tSectorMapCode\t"
            "FlashVariantCode\tVariantFlag\tDualBank\tNeeds18V\tBlueNrgMode");
  const auto lines = ChipListingLines();
  ASSERT_EQ(lines.size(), 456u);
  EXPECT_EQ(lines.front(),
            "STM8AF5xxx\t0\tSTM8AF5168\t0xc0\t0x00\t32\t0x00008000\t0x0000ffff\teeprom\t1024\t"
            "0x00004000\t0x000043ff\t0x00004800\t0\t0x00\t0x00\t0\t0\t0\t0");
  EXPECT_EQ(lines.back(),
            "ST BlueTooth\t9\tBlueNRG-355xx\t0xb9\t0x09\t1024\t0x10040000\t0x1007ffff\totp\t1024\t"
            "0x10001800\t0x10001bff\t0x1ffff800\t1\t0x00\t0x05\t0\t0\t0\t1");
  for (const auto& line : lines) {
    const auto f = Fields(line);
    ASSERT_EQ(f.size(), 20u) << line;
    // Outside the BlueTooth layout the flash range follows the size.
    if (f[19] == "0") {
      const unsigned long base = std::stoul(f[6], nullptr, 16);
      const unsigned long end = std::stoul(f[7], nullptr, 16);
      EXPECT_EQ(end + 1 - base, std::stoul(f[5]) * 1024) << line;
    }
    EXPECT_EQ(f[8] == "none", f[9] == "0") << line;
    EXPECT_EQ(f[8] == "otp", f[13] == "1" && f[9] != "0") << line;
  }
}

TEST(ChipListing, Needs18VIsTheConfirmedValue) {
  int needs = 0;
  for (const auto& line : ChipListingLines())
    if (Fields(line)[18] == "1") ++needs;
  // STM32F038x6, F048x6, F068x8, F078xB, F098xC.
  EXPECT_EQ(needs, 5);
}

}  // namespace
}  // namespace korvel
