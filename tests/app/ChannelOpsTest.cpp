#include <gtest/gtest.h>

#include "app/ChannelOps.h"
#include "app/GaugeLayout.h"
#include "app/IntegerText.h"

namespace korvel {
namespace {

TEST(ChannelOps, StartWithTicksRunsTheGaugeByTime) {
  ChannelState ch;
  ch.SubPhase = 2;
  ch.BlockIndex = 40;
  ch.Gauge.Color = kGaugeRed;
  StartChannelStep(ch, 300, 0);
  EXPECT_TRUE(ch.Busy);
  EXPECT_EQ(ch.SubPhase, 0);
  EXPECT_EQ(ch.BlockIndex, 0);
  EXPECT_EQ(ch.TimeoutTicks, 300);
  EXPECT_TRUE(ch.GaugeRunning);
  EXPECT_EQ(ch.Gauge.Max, 300);
  EXPECT_EQ(ch.Gauge.Progress, 2);
  EXPECT_EQ(ch.Gauge.Color, 0xFF0000u);
}

TEST(ChannelOps, StartWithoutTicksMeasuresBlocks) {
  ChannelState ch;
  StartChannelStep(ch, 0, 128);
  EXPECT_EQ(ch.TimeoutTicks, 500);
  EXPECT_FALSE(ch.GaugeRunning);
  EXPECT_EQ(ch.BlockCount, 128);
  EXPECT_EQ(ch.Gauge.Max, 128);
  EXPECT_EQ(ch.Gauge.Progress, 2);
}

TEST(ChannelOps, FinishSetsIdleAndColour) {
  for (bool failed : {false, true}) {
    ChannelState ch;
    StartChannelStep(ch, 0, 64);
    ch.Step = 3;
    FinishChannel(ch, failed);
    EXPECT_FALSE(ch.Busy);
    EXPECT_EQ(ch.Step, 240);
    EXPECT_EQ(ch.TimeoutTicks, 0);
    EXPECT_EQ(ch.Gauge.Progress, 64);
    EXPECT_EQ(ch.Gauge.Color, failed ? 0x0000FFu : 0xFF0000u);
  }
}

TEST(ChannelOps, ChannelInfoLines) {
  FixedClock clock(MakeTime(2026, 12, 5, 7, 14, 11));
  InfoLog log(clock);
  std::vector<std::string> seen;
  log.AddListener({[&](const std::string& l) { seen.push_back(l); }, {}});
  ChannelInfo(log, 0, "找到设备：Korvel200ST8-X10!");
  ChannelInfo(log, 9, "操作超时！");
  log.HostLine("Hello");
  ASSERT_EQ(log.Lines().size(), 3u);
  EXPECT_EQ(log.Lines()[0], "> 07:14:11 Channel 1: 找到设备：Korvel200ST8-X10!");
  EXPECT_EQ(log.Lines()[1], "> 07:14:11 Channel 10: 操作超时！");
  EXPECT_EQ(log.Lines()[2], "> 07:14:11 Hello");
  EXPECT_EQ(seen, log.Lines());
  EXPECT_EQ(clock.DateText(), "2026-12-05");
}

TEST(GaugeLayout, GoesByRanges) {
  struct Case { int Count, Shown, FirstTop, Memo; };
  for (auto c : {Case{1, 4, 417, 380}, Case{4, 4, 417, 380}, Case{5, 8, 339, 302},
                 Case{6, 8, 339, 302}, Case{8, 8, 339, 302}, Case{9, 10, 301, 262},
                 Case{10, 10, 301, 262}}) {
    auto g = GaugeLayoutFor(c.Count);
    EXPECT_EQ(g.Shown, c.Shown) << c.Count;
    ASSERT_EQ(g.Tops.size(), static_cast<size_t>(c.Shown));
    EXPECT_EQ(g.Tops.front(), c.FirstTop) << c.Count;
    EXPECT_EQ(g.Tops.back(), 475);
    EXPECT_EQ(g.MemoHeight, c.Memo);
  }
}

TEST(IntegerText, Forms) {
  EXPECT_EQ(ParseInteger("0x0000FFF0"), 0xFFF0);
  EXPECT_EQ(ParseInteger("0XabCD"), 0xABCD);
  EXPECT_EQ(ParseInteger("$10"), 16);
  EXPECT_EQ(ParseInteger(" 42 "), 42);
  EXPECT_EQ(ParseInteger("0xFFFFFFFF"), 0xFFFFFFFFLL);
  EXPECT_EQ(ParseInteger("-5"), -5);
  for (const char* bad : {"", "0x", "12x4", "0x1FFFFFFFF", "abc", "4294967296"})
    EXPECT_FALSE(ParseInteger(bad).has_value()) << bad;
}

}  // namespace
}  // namespace korvel
