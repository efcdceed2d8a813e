#include <gtest/gtest.h>

#include "app/ChannelOps.h"
#include "engine/UnattendedRun.h"

namespace korvel {
namespace {

class UnattendedRunTest : public ::testing::Test {
 protected:
  UnattendedRunTest() : clock(MakeTime(2026, 12, 5, 7, 14, 11)), app(clock) {
    app.Flags.ChannelCount = 3;
    actions.SelectChip = [this](const std::string& c) -> std::optional<std::string> {
      if (c != "STM32F103xB") return "Unknown chip \"" + c + "\"";
      return std::nullopt;
    };
    actions.LoadFile = [this](const std::string& f, bool first) -> std::optional<std::string> {
      Loaded.push_back((first ? "open " : "more ") + f);
      return std::nullopt;
    };
    actions.Run = [this](const std::string&) {
      int n = 0;
      for (int ch = 0; ch < 3; ++ch)
        if (app.Channels[ch].Connected) StartChannelStep(app.Channels[ch], 0, 64), ++n;
      return n;
    };
    actions.ListedPorts = [] { return 3; };
    actions.Quit = [this](int code) { QuitCode = code; };
  }
  UnattendedRun Make(std::string chip = "STM32F103xB") {
    return UnattendedRun(app, actions, chip, {"a.hex", "b.bin"}, "auto", true);
  }

  FixedClock clock;
  AppState app;
  UnattendedRun::Actions actions;
  std::vector<std::string> Loaded;
  std::optional<int> QuitCode;
};

TEST_F(UnattendedRunTest, WaitsForTheSearchAndThenForEveryStartedChannel) {
  auto run = Make();
  ASSERT_TRUE(run.Prepare());
  EXPECT_EQ(Loaded, (std::vector<std::string>{"open a.hex", "more b.bin"}));
  run.SearchStarted();
  app.Channels[0].Connected = app.Channels[2].Connected = true;
  app.Flags.DevicesFound = 2;
  run.OnTick();
  EXPECT_FALSE(app.Channels[0].Busy);  // channel 2 may still answer
  for (int i = 0; i < 300; ++i) run.OnTick();
  EXPECT_TRUE(app.Channels[0].Busy);
  EXPECT_TRUE(app.Channels[2].Busy);
  FinishChannel(app.Channels[0], false);
  run.OnTick();
  EXPECT_FALSE(QuitCode);
  FinishChannel(app.Channels[2], true);
  run.OnTick();
  EXPECT_EQ(QuitCode, 1);
}

TEST_F(UnattendedRunTest, AllListedUnitsFoundStartsAtOnceAndSucceeds) {
  auto run = Make();
  ASSERT_TRUE(run.Prepare());
  run.SearchStarted();
  for (int ch = 0; ch < 3; ++ch) app.Channels[ch].Connected = true;
  app.Flags.DevicesFound = 3;
  run.OnTick();
  for (int ch = 0; ch < 3; ++ch) FinishChannel(app.Channels[ch], false);
  run.OnTick();
  EXPECT_EQ(QuitCode, 0);
}

TEST_F(UnattendedRunTest, UsageErrors) {
  auto bad = Make("NoSuchChip");
  EXPECT_FALSE(bad.Prepare());
  EXPECT_EQ(QuitCode, 64);
  EXPECT_EQ(app.Log.Lines().back(), "> 07:14:11 Unknown chip \"NoSuchChip\"");

  QuitCode.reset();
  auto none = Make();
  ASSERT_TRUE(none.Prepare());
  none.SearchStarted();
  for (int i = 0; i < 300; ++i) none.OnTick();
  EXPECT_EQ(QuitCode, 64);

  EXPECT_FALSE(UnattendedRun::KnownOperation("format"));
}

}  // namespace
}  // namespace korvel
