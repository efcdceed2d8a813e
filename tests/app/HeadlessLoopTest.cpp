#include <gtest/gtest.h>

#include <thread>

#include "app/HeadlessLoop.h"
#include "app/ManualDispatcher.h"

namespace korvel {
namespace {

TEST(HeadlessLoop, RunsPostedWorkInOrderFromOtherThreadsAndQuits) {
  HeadlessLoop loop;
  std::vector<int> seen;
  std::thread poster([&] {
    for (int i = 0; i < 100; ++i) loop.Post([&, i] { seen.push_back(i); });
    loop.Post([&] { loop.Quit(3); });
  });
  EXPECT_EQ(loop.Run(), 3);
  poster.join();
  ASSERT_EQ(seen.size(), 100u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(seen[i], i);
}

TEST(HeadlessLoop, CallsTheTimers) {
  HeadlessLoop loop;
  int t1 = 0, t2 = 0;
  loop.SetTimer1([&] { ++t1; });
  loop.SetTimer2([&] {
    if (++t2 == 2) loop.Quit();
  });
  loop.Run();
  EXPECT_EQ(t2, 2);
  EXPECT_GE(t1, 10);
}

TEST(ManualDispatcher, RunsOnlyWhenAsked) {
  ManualDispatcher d;
  int n = 0;
  d.Post([&] { ++n; d.Post([&] { ++n; }); });
  EXPECT_EQ(n, 0);
  EXPECT_EQ(d.RunPending(), 2);
  EXPECT_EQ(n, 2);
  EXPECT_TRUE(d.Empty());
}

}  // namespace
}  // namespace korvel
