// Records long enough for the readers' wide digit decoding: a damaged
// character anywhere in them, and the check byte, are still caught.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "target/ImageFile.h"

namespace korvel {
namespace {

// A record of count data bytes i * 7 + 3 at address 0, with its check byte;
// upper-case digits unless lower.
std::string Record(bool motorola, size_t count, bool lower = false) {
  std::vector<uint8_t> rec = motorola ? std::vector<uint8_t>{uint8_t(count + 5), 0, 0, 0, 0}
                                      : std::vector<uint8_t>{uint8_t(count), 0, 0, 0};
  for (size_t i = 0; i < count; ++i) rec.push_back(uint8_t(i * 7 + 3));
  uint8_t sum = 0;
  for (uint8_t b : rec) sum = uint8_t(sum + b);
  rec.push_back(motorola ? uint8_t(~sum) : uint8_t(0x100 - sum));
  std::string line = motorola ? "S3" : ":";
  char hex[3];
  for (uint8_t b : rec) {
    std::snprintf(hex, sizeof hex, lower ? "%02x" : "%02X", b);
    line += hex;
  }
  return line;
}

struct Loaded {
  ImageLoadResult Result;
  std::vector<uint8_t> Memory;
};

Loaded Load(const std::string& text, bool motorola) {
  Loaded l{{}, std::vector<uint8_t>(256, 0xEE)};
  ImageRegion region{0, l.Memory};
  l.Result = motorola ? ReadSRecord(text, {&region, 1}) : ReadIntelHex(text, {&region, 1});
  return l;
}

// Lengths on both sides of the 16-byte blocks the decoder works in.
constexpr size_t kCounts[] = {10, 11, 12, 27, 28, 29, 43, 59, 60, 123, 250};

TEST(LongRecord, GoodRecordsOfEveryLengthLoadIntoRegionsAndRuns) {
  for (bool motorola : {false, true}) {
    for (size_t count : kCounts) {
      const std::string line = Record(motorola, count, count % 2 == 1);
      const Loaded l = Load(line + "\r\n", motorola);
      ASSERT_EQ(l.Result.IssueCount, 0u) << line << ": " << l.Result.Summary();
      for (size_t i = 0; i < count; ++i) ASSERT_EQ(l.Memory[i], uint8_t(i * 7 + 3)) << line;
      EXPECT_EQ(l.Memory[count], 0xEE);

      std::vector<ImageChunk> runs;
      const auto r = motorola ? ReadSRecord(line, runs) : ReadIntelHex(line, runs);
      ASSERT_EQ(r.IssueCount, 0u);
      ASSERT_EQ(runs.size(), 1u);
      EXPECT_EQ(runs[0].Bytes, std::vector<uint8_t>(l.Memory.begin(), l.Memory.begin() + count));
    }
  }
}

TEST(LongRecord, ADamagedCharacterAnywhereIsCaughtAndNothingStored) {
  struct Damage {
    char With;
    const char* Issue;  // nullptr: the changed digit makes a checksum error
  };
  const Damage kDamage[] = {{'G', "non-hex character"}, {'\x86', "non-hex character"},
                            {'/', "non-hex character"},  {':', "non-hex character"},
                            {'@', "non-hex character"},  {'`', "non-hex character"},
                            {'g', "non-hex character"},  {0, nullptr}};
  for (bool motorola : {false, true}) {
    for (size_t count : kCounts) {
      const std::string good = Record(motorola, count);
      // Past the record mark or type; the first two digits are the length
      // and change what the record is, so start after them.
      const size_t from = motorola ? 4 : 3;
      for (size_t at = from; at < good.size(); ++at) {
        for (const Damage& d : kDamage) {
          std::string bad = good;
          bad[at] = d.With ? d.With : (good[at] == '0' ? '1' : '0');
          const Loaded l = Load(bad + "\n", motorola);
          ASSERT_EQ(l.Result.IssueCount, 1u) << bad;
          EXPECT_EQ(l.Result.Issues[0].Text(),
                    std::string("line 1: ") + (d.Issue ? d.Issue : "checksum error"))
              << bad;
          for (uint8_t b : l.Memory) ASSERT_EQ(b, 0xEE) << bad;
        }
      }
    }
  }
}

}  // namespace
}  // namespace korvel
