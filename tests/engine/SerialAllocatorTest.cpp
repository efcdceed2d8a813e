#include <gtest/gtest.h>

#include "engine/SerialAllocator.h"

namespace korvel {
namespace {

std::vector<int> Channels(int from, int to) {
  std::vector<int> v;
  for (int c = from; c <= to; ++c) v.push_back(c);
  return v;
}

TEST(SerialAllocator, AGangTakesConsecutiveNumbersAndFailedOnesComeBackFirst) {
  SerialAllocator a;
  ChannelTable table{};
  auto first = a.HandOut(Channels(0, 9), 0x100, 1).Numbers;
  ASSERT_EQ(first.size(), 10u);
  for (int c = 0; c < 10; ++c) EXPECT_EQ(first[c], 0x100u + c);
  EXPECT_EQ(a.Shown(), 0x10Au);
  for (int c : {0, 1, 2, 4, 5, 6, 7, 8, 9}) EXPECT_EQ(a.Succeeded(c), 0x100u + c);
  a.Settle(table);  // channel 4 (index 3) ended without success
  EXPECT_EQ(a.GivenBack(), std::deque<uint32_t>{0x103});

  auto second = a.HandOut({0, 1, 2}, a.Shown(), 1).Numbers;
  EXPECT_EQ(second, (std::vector<uint32_t>{0x103, 0x10A, 0x10B}));
  EXPECT_EQ(a.Shown(), 0x10Cu);
}

TEST(SerialAllocator, ALoneChannelShowsItsNumberUntilItSucceeds) {
  SerialAllocator a;
  ChannelTable table{};
  EXPECT_EQ(a.HandOut({0}, 0xFFFFFFFF, 2).Numbers, std::vector<uint32_t>{0xFFFFFFFF});
  EXPECT_EQ(a.Shown(), 0xFFFFFFFFu);
  // Meanwhile another channel starts alone: it must not get the same number.
  table[0].Busy = true;
  EXPECT_EQ(a.HandOut({1}, a.Shown(), 2).Numbers, std::vector<uint32_t>{1});  // wrapped
  a.Settle(table);  // channel 2 failed
  table[0].Busy = false;
  EXPECT_EQ(a.Succeeded(0), 0xFFFFFFFFu);
  EXPECT_EQ(a.Shown(), 3u);
  EXPECT_EQ(a.HandOut({0}, a.Shown(), 2).Numbers, std::vector<uint32_t>{1});
}

TEST(SerialAllocator, ANewStartTypedByTheOperatorDropsTheNumbersGivenBack) {
  SerialAllocator a;
  ChannelTable table{};
  a.HandOut({0, 1}, 10, 1);
  table[1].Busy = true;  // still running when the operator starts afresh
  a.Settle(table);       // channel 1 failed: 10 comes back
  EXPECT_EQ(a.HandOut({0}, 500, 1).Numbers, std::vector<uint32_t>{500});
  table[1].Busy = false;
  a.Settle(table);  // channel 1's 500 failed; channel 2's 11 belongs to the old series
  EXPECT_EQ(a.GivenBack(), std::deque<uint32_t>{500});
  EXPECT_EQ(a.HandOut({1, 2}, a.Shown(), 1).Numbers, (std::vector<uint32_t>{500, 501}));
}

}  // namespace
}  // namespace korvel
