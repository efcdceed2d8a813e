// Damaged and hostile files: the bad record is not stored, the rest is, the
// issue names its line, and nothing lands outside the buffer.
#include <gtest/gtest.h>

#include <array>

#include "target/Checksums.h"
#include "target/ImageFile.h"

namespace korvel {
namespace {

struct HostileCase {
  const char* Name;
  bool Motorola;
  const char* Text;
  const char* FirstIssue;  // nullptr: none
  size_t IssueCount;
  std::vector<std::pair<uint32_t, uint8_t>> Stored;  // index, value
};

// Buffer: 32 bytes at base 0x100, guard bytes around it.
const HostileCase kCases[] = {
    {"GoodHexLowerCaseBlankLinesCrLf", false,
     "\r\n:02010000abCD85\r\n\r\n  :0400000300000000F9\n:00000001FF\r\n", nullptr, 0,
     {{0, 0xAB}, {1, 0xCD}}},
    {"ChecksumError", false, ":0101000011ED\n:01010100AA00\n:0101020022DA\n", "line 2: checksum error", 1,
     {{0, 0x11}, {1, 0xFF}, {2, 0x22}}},
    {"TruncatedLine", false, ":0101000011ED\n:0401010011\n", "line 2: bad length: record truncated", 1,
     {{0, 0x11}}},
    {"LengthThatLiesLong", false, ":10010000112233\n", "line 1: bad length: record truncated", 1,
     {{0, 0xFF}}},
    {"LengthThatLiesShort", false, ":01010000112233ED\n",
     "line 1: bad length: record longer than its count", 1, {{0, 0xFF}}},
    {"NonHex", false, ":0101000G11ED\n", "line 1: non-hex character", 1, {{0, 0xFF}}},
    {"MissingColon", false, "0101000011ED\n", "line 1: record does not start with ':'", 1, {}},
    {"UnknownType", false, ":00000007F9\n", "line 1: unknown record type 07", 1, {}},
    {"RecordPastTheEndIsClipped", false, ":04011E0001020304D3\n",
     "line 1: address 0x0000011e outside the buffer", 1, {{30, 1}, {31, 2}}},
    {"HugeLinearAddress", false, ":02000004FFFFFC\n:04FFFE00DEADBEEFC7\n",
     "line 2: address beyond 32 bits", 1, {}},
    {"DataAfterEofIgnored", false, ":00000001FF\n:0101000011ED\n", nullptr, 0, {{0, 0xFF}}},
    {"GoodS19", true, "S00600004844521B\nS1050100AABB94\nS5030001FB\nS9030000FC\n", nullptr, 0,
     {{0, 0xAA}, {1, 0xBB}}},
    {"SChecksumError", true, "S1050100AABB00\nS1040102CC2C\n", "line 1: checksum error", 1,
     {{0, 0xFF}, {2, 0xCC}}},
    {"SCountTooSmall", true, "S10201FC\n", "line 1: bad length: count too small for the address",
     1, {}},
    {"SReservedS4", true, "S4030000FC\n", "line 1: unknown record type S4", 1, {}},
    {"SHugeAddressDropped", true, "S307FFFFFFFE0102FA\n",
     "line 1: address 0xfffffffe outside the buffer", 1, {}},
    {"NotAnSRecord", true, "Q1050100AABB94\n", "line 1: not an S-record", 1, {}},
};

class Hostile : public ::testing::TestWithParam<HostileCase> {};

TEST_P(Hostile, StoresOnlyGoodRecordsInside) {
  const HostileCase& c = GetParam();
  std::array<uint8_t, 64> memory;
  memory.fill(0xFF);
  ImageRegion region{0x100, std::span<uint8_t>(memory).subspan(16, 32)};
  auto r = c.Motorola ? ReadSRecord(c.Text, {&region, 1}) : ReadIntelHex(c.Text, {&region, 1});
  EXPECT_EQ(r.IssueCount, c.IssueCount);
  if (c.FirstIssue) {
    ASSERT_FALSE(r.Issues.empty());
    EXPECT_EQ(r.Issues.front().Text(), c.FirstIssue);
  }
  for (auto [index, value] : c.Stored) EXPECT_EQ(memory[16 + index], value) << "index " << index;
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(memory[i], 0xFF) << "guard " << i;
    EXPECT_EQ(memory[48 + i], 0xFF) << "guard " << 48 + i;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, Hostile, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(ImageLoad, SummaryCountsFurtherBadRecords) {
  std::array<uint8_t, 16> memory{};
  ImageRegion region{0, memory};
  auto r = ReadIntelHex(":0100000011EF\n:01000000110\n:0100000011\n:01000000EE00\n", {&region, 1});
  EXPECT_EQ(r.Summary(), "line 1: checksum error (3 more bad records)");
}

TEST(ImageLoad, TwoRegionsTakeTheirOwnAddresses) {
  // Flash at 0x08000000 and option bytes at 0x1FFFF800, as an STM32 load does.
  std::array<uint8_t, 16> flash{}, option{};
  const ImageRegion regions[] = {{0x08000000, flash}, {0x1FFFF800, option}};
  auto r = ReadIntelHex(
      ":020000040800F2\n:0100000011EE\n:020000041FFFDC\n:02F80000A55A07\n:00000001FF\n", regions);
  EXPECT_EQ(r.IssueCount, 0u) << r.Summary();
  EXPECT_EQ(flash[0], 0x11);
  EXPECT_EQ(option[0], 0xA5);
  EXPECT_EQ(option[1], 0x5A);
  EXPECT_EQ(r.Low, 0x08000000u);
  EXPECT_EQ(r.High, 0x1FFFF801u);
}

TEST(ImageLoad, MissingFileIsNotOpened) {
  std::array<uint8_t, 16> memory{};
  ImageRegion region{0, memory};
  auto r = ReadSRecordFile("/nonexistent/x.s19", {&region, 1});
  EXPECT_FALSE(r.Opened);
  EXPECT_NE(r.Summary().find("/nonexistent/x.s19"), std::string::npos);
}

TEST(Checksums, KnownValuesAndSafeRanges) {
  const std::string check = "123456789";
  std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(check.data()), check.size());
  EXPECT_EQ(GetBrevanCheckSum(bytes, 0, 8), 0x29B1);  // the catalogue check value
  EXPECT_EQ(GetBinaryCheckSum(bytes, 0, 8), 0x01DD);
  EXPECT_EQ(SumValue(bytes, 0, 8), 0x10000 - 0x01DD);
  EXPECT_EQ(ByteSum32(bytes, 1, 1), uint32_t('2'));
  // Empty and out-of-range ranges: a zero sum shows as 0x0000, nothing is read past the end.
  EXPECT_EQ(SumValue(bytes, 5, 4), 0x0000);
  EXPECT_EQ(GetBrevanCheckSum(bytes, 20, 30), 0xFFFF);
  EXPECT_EQ(GetBinaryCheckSum(bytes, 7, 1000), '8' + '9');
  std::vector<uint8_t> big(0x200000, 0xFF);
  EXPECT_EQ(ByteSum32(big, 0, 0x1FFFFF), 0x200000u * 0xFF);
  EXPECT_EQ(GetBinaryCheckSum(big, 0, 0x1FFFFF), uint16_t(0x200000u * 0xFF));
}

}  // namespace
}  // namespace korvel
