#include "engine/VerifyCompare.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(FirstDifferingRow, OnlyTheFirstRowWithADifference) {
  std::vector<uint8_t> expected(4096, 0x11), read(4096, 0x11);
  read[0x23] = 0x00;  // row 2
  read[0x2F] = 0x01;  // row 2
  read[0x40] = 0x02;  // row 4: not reported
  RowDifferences d = FirstDifferingRow(expected, read);
  ASSERT_TRUE(d.Differs);
  ASSERT_EQ(d.Bytes.size(), 2u);
  EXPECT_EQ(d.Bytes[0].Index, 0x23u);
  EXPECT_EQ(d.Bytes[1].Index, 0x2Fu);
  EXPECT_EQ(d.Bytes[1].Read, 0x01);
  EXPECT_FALSE(FirstDifferingRow(expected, expected).Differs);
  // A reply that ends early is a difference, never a silent pass.
  EXPECT_TRUE(FirstDifferingRow(expected, std::span(read).first(100)).Differs);
}

TEST(VerifyMismatchText, ThreeAreasNamingTheChannelsChip) {
  EXPECT_EQ(VerifyMismatchText(0, VerifyArea::MainFlash, 0x08000023, 0xAB, 0x0C),
            "Chip 1: Buffer Address 0x08000023 = 0xab, Chip = 0x0c");
  EXPECT_EQ(VerifyMismatchText(5, VerifyArea::DataEeprom, 0x4000, 1, 2),
            "Chip 6:Buffer Address 0x00004000 = 0x01, Chip = 0x02");
  EXPECT_EQ(VerifyMismatchText(9, VerifyArea::OtpArea, 5, 0xFF, 0),
            "Chip 10: OTP Buffer Address 0x00000005 = 0xff, Chip = 0x00");
}

}  // namespace
}  // namespace korvel
