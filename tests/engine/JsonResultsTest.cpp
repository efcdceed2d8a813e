#include <gtest/gtest.h>

#include "e2e/JsonLines.h"
#include "engine/JsonResults.h"

namespace korvel {
namespace {

// A gauge that moves every 10 ms tick reports a few times a second at most,
// one that stands still reports once, an idle channel never.
TEST(JsonResults, ProgressIsThrottledPerChannelByTheClock) {
  FixedClock clock(MakeTime(2026, 12, 5, 7, 14, 11));
  std::vector<std::string> lines;
  JsonResults json(clock, [&](const std::string& l) { lines.push_back(l); });
  ChannelTable channels;
  auto running = [](int ch) { return ch <= 1 ? std::string("auto") : std::string(); };
  channels[0].Gauge = {1000, 0};
  channels[1].Gauge = {100, 40};
  channels[2].Gauge = {100, 7};
  for (int tick = 0; tick < 100; ++tick) {
    ++channels[0].Gauge.Progress;
    ++channels[2].Gauge.Progress;
    json.Tick(channels, running);
    clock.AdvanceMs(10);
  }
  int per[3] = {};
  for (const auto& l : lines) {
    std::string error;
    const auto objects = test::ReadJsonLines(l, error);
    ASSERT_EQ(objects.size(), 1u) << error;
    const test::Json& o = objects[0];
    EXPECT_EQ(o["type"].String, "progress");
    EXPECT_EQ(o["operation"].String, "auto");
    ++per[o["channel"].Int() - 1];
    if (o["channel"].Int() == 2) {
      EXPECT_EQ(o["percent"].Int(), 40);
    }
  }
  EXPECT_EQ(per[0], 4);  // one second at most every 250 ms
  EXPECT_EQ(per[1], 1);
  EXPECT_EQ(per[2], 0);
}

TEST(JsonResults, SummaryNamesTheFailedChannelsButNotAnAllowedMissingOne) {
  FixedClock clock(MakeTime(2026, 12, 5, 7, 14, 11));
  std::string line;
  JsonResults json(clock, [&](const std::string& l) { line = l; });
  RunSummary s;
  s.Operation = "auto";
  s.Channels = {{0, "/dev/ttyACM0", "Success", "Programming Success!", false},
                {2, "/dev/ttyACM2", "Timeout", "操作超时！", true},
                {3, "/dev/ttyACM3", "Missing", "No programmer unit answered on /dev/ttyACM3", false}};
  s.Ok = 1;
  s.Ng = 1;
  s.ExitCode = 1;
  json.Summary(s);
  EXPECT_EQ(line,
            R"({"type":"summary","time":"2026-12-05T07:14:11","operation":"auto","counts":"channels","ok":1,"ng":1,)"
            R"("exit":1,"failed":[3],"channels":[{"channel":1,"port":"/dev/ttyACM0","result":"Success",)"
            R"("message":"Programming Success!"},{"channel":3,"port":"/dev/ttyACM2","result":"Timeout",)"
            R"("message":"操作超时！"},{"channel":4,"port":"/dev/ttyACM3","result":"Missing",)"
            R"("message":"No programmer unit answered on /dev/ttyACM3"}]})");
  // The summary is the last line, whatever the open window does next.
  const std::string last = line;
  json.Attempt(ChipAttempt{});
  json.Search(0, "/dev/ttyACM0", true, "Korvel200ST8-X10");
  EXPECT_EQ(line, last);
}

}  // namespace
}  // namespace korvel
