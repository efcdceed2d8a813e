#include <gtest/gtest.h>

#include "app/ChannelOps.h"
#include "engine/ChipByName.h"
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
      if (f == "bad.hex") return std::string("bad.hex line 3: record truncated");
      return std::nullopt;
    };
    actions.Run = [this](const std::string&) {
      int n = 0;
      for (int ch = 0; ch < 3; ++ch)
        if (app.Channels[ch].Connected) StartChannelStep(app.Channels[ch], 0, 64), ++n;
      return n;
    };
    actions.ListedPorts = [] { return 3; };
    actions.PortName = [](int ch) { return "/dev/ttyACM" + std::to_string(ch); };
    actions.Quit = [this](int code) { QuitCode = code; };
    actions.Error = [this](const std::string& e) { Errors.push_back(e); };
    actions.Summary = [this](const std::string& l) { Summary.push_back(l); };
  }
  UnattendedRun Make(std::string chip = "STM32F103xB", std::vector<std::string> files = {"a.hex", "b.bin"},
                     bool allowMissing = false) {
    return UnattendedRun(app, actions, chip, files, "auto", true, allowMissing);
  }
  // Prepared, searched and started on the connected channels.
  void StartOn(UnattendedRun& run, std::initializer_list<int> connected) {
    ASSERT_TRUE(run.Prepare());
    run.SearchStarted();
    for (int ch : connected) app.Channels[ch].Connected = true;
    app.Flags.DevicesFound = static_cast<int>(connected.size());
    for (int i = 0; i < 300 && !app.Channels[*connected.begin()].Busy; ++i) run.OnTick();
    ASSERT_TRUE(app.Channels[*connected.begin()].Busy);
  }

  FixedClock clock;
  AppState app;
  UnattendedRun::Actions actions;
  std::vector<std::string> Loaded, Errors, Summary;
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
  FinishChannel(app.Channels[2], false);
  run.OnTick();
  EXPECT_FALSE(QuitCode);
  FinishChannel(app.Channels[0], true);
  run.OnTick();
  // Channel 1 failed and the silent unit of channel 2 counts as failed too.
  EXPECT_EQ(QuitCode, 2);
  EXPECT_TRUE(Errors.empty());
}

// A listed unit that never identified itself is a failed channel, named in
// the log and in the summary; --allow-missing names it but does not count it.
TEST_F(UnattendedRunTest, SilentListedUnitIsAFailedChannelUnlessAllowed) {
  for (bool allow : {false, true}) {
    SCOPED_TRACE(allow ? "allow missing" : "default");
    app = AppState(clock);
    app.Flags.ChannelCount = 3;
    Summary.clear();
    QuitCode.reset();
    auto run = Make("STM32F103xB", {"a.hex"}, allow);
    StartOn(run, {0, 2});
    EXPECT_EQ(app.Log.Lines().back().find("Channel 2: No programmer unit answered on /dev/ttyACM1"), 11u)
        << app.Log.Lines().back();
    app.Log.ChannelLine(0, "Programming Success!");
    FinishChannel(app.Channels[0], false);
    app.Log.ChannelLine(2, "Programming Success!");
    FinishChannel(app.Channels[2], false);
    run.OnTick();
    EXPECT_EQ(QuitCode, allow ? 0 : 1);
    const std::vector<std::string> expected = {
        "Channel 1\t/dev/ttyACM0\tSuccess\tProgramming Success!",
        "Channel 2\t/dev/ttyACM1\tMissing\tNo programmer unit answered on /dev/ttyACM1",
        "Channel 3\t/dev/ttyACM2\tSuccess\tProgramming Success!",
        allow ? "OK=2, NG=0." : "OK=2, NG=1.",
    };
    EXPECT_EQ(Summary, expected);
  }
}

// A channel whose port is a second name of an earlier channel's unit is
// missing for that reason, not for a unit that did not answer.
TEST_F(UnattendedRunTest, AChannelOnAnotherChannelsUnitSaysSo) {
  app.Flags.ChannelCount = 3;
  actions.SameDeviceAs = [](int ch) { return ch == 1 ? std::optional<int>(0) : std::nullopt; };
  auto run = Make("STM32F103xB", {"a.hex"});
  StartOn(run, {0, 2});
  app.Log.ChannelLine(0, "Programming Success!");
  FinishChannel(app.Channels[0], false);
  app.Log.ChannelLine(2, "Programming Success!");
  FinishChannel(app.Channels[2], false);
  run.OnTick();
  EXPECT_EQ(QuitCode, 1);
  ASSERT_EQ(Summary.size(), 4u);
  EXPECT_EQ(Summary[1], "Channel 2\t/dev/ttyACM1\tMissing\tNo programmer unit: /dev/ttyACM1 is the unit of Channel 1");
}

// The record of how each channel ended decides, not the gauge: a wrong part
// behind a blue gauge still fails, and a channel that stopped without saying
// how it ended is no success.
TEST_F(UnattendedRunTest, ResultsComeFromTheRecordedOutcome) {
  auto run = Make();
  StartOn(run, {0, 1, 2});
  app.Log.ChannelLine(0, "操作超时！");
  FinishChannel(app.Channels[0], ChannelOutcome{ChannelResult::Timeout, 0, "操作超时！"});
  app.Channels[0].Gauge.Color = kGaugeBlue;
  FinishChannel(app.Channels[1], ChannelOutcome{ChannelResult::Failure, 0x31, "Verify failed"});
  app.Channels[2].Busy = false;  // a reply no handler took: Busy cleared, nothing recorded
  app.Channels[2].Outcome.Result = ChannelResult::None;
  run.OnTick();
  EXPECT_EQ(QuitCode, 3);
  const std::vector<std::string> expected = {
      "Channel 1\t/dev/ttyACM0\tTimeout\t操作超时！",
      "Channel 2\t/dev/ttyACM1\tFailure\tVerify failed",  // no log line: the record's text
      "Channel 3\t/dev/ttyACM2\tFailure\t",
      "OK=0, NG=3.",
  };
  EXPECT_EQ(Summary, expected);
}

TEST_F(UnattendedRunTest, StillRunningChannelHoldsTheEnd) {
  auto run = Make();
  StartOn(run, {0, 1, 2});
  for (int ch : {0, 1}) FinishChannel(app.Channels[ch], false);
  app.Channels[2].Busy = false;  // between two steps of a chain
  run.OnTick();
  EXPECT_FALSE(QuitCode);
  FinishChannel(app.Channels[2], false);
  run.OnTick();
  EXPECT_EQ(QuitCode, 0);
  EXPECT_EQ(Summary.back(), "OK=3, NG=0.");
}

// Every 64 tells its reason on the error channel as well as in the log.
TEST_F(UnattendedRunTest, UsageErrorsGiveTheirReason) {
  struct Case {
    const char* Name;
    std::string Chip;
    std::vector<std::string> Files;
    std::string Reason;
  };
  const Case cases[] = {
      {"chip", "NoSuchChip", {"a.hex"}, "Unknown chip \"NoSuchChip\""},
      {"file", "STM32F103xB", {"a.hex", "bad.hex"}, "bad.hex line 3: record truncated"},
  };
  std::vector<RunSummary> summaries;
  actions.Summarised = [&](const RunSummary& s) { summaries.push_back(s); };
  for (const Case& c : cases) {
    Errors.clear();
    QuitCode.reset();
    summaries.clear();
    auto run = Make(c.Chip, c.Files);
    EXPECT_FALSE(run.Prepare()) << c.Name;
    EXPECT_EQ(QuitCode, 64) << c.Name;
    EXPECT_EQ(Errors, std::vector<std::string>{c.Reason}) << c.Name;
    // A script reading the results as data hears the same.
    ASSERT_EQ(summaries.size(), 1u) << c.Name;
    EXPECT_EQ(summaries[0].ExitCode, 64);
    EXPECT_EQ(summaries[0].Error, c.Reason);
    EXPECT_TRUE(summaries[0].Channels.empty());
    EXPECT_EQ(app.Log.Lines().back(), "> 07:14:11 " + c.Reason) << c.Name;
    EXPECT_TRUE(Summary.empty()) << c.Name;
  }

  Errors.clear();
  QuitCode.reset();
  auto none = Make();
  ASSERT_TRUE(none.Prepare());
  none.SearchStarted();
  for (int i = 0; i < 300; ++i) none.OnTick();
  EXPECT_EQ(QuitCode, 64);
  EXPECT_EQ(Errors, std::vector<std::string>{"No programmer unit found: nothing to auto"});
}

// "offline": the downloads, then the start once all have ended, then with
// --listen the chips the units report decide, capped so that a count never
// wraps round to success; a downloaded unit that was not started failed.
TEST_F(UnattendedRunTest, OfflineStartsAfterTheDownloadsAndListensForChips) {
  struct Case {
    const char* Name;
    std::optional<int> Listen;
    std::vector<int> Restarted;
    uint32_t ChipsOk, ChipsNg;
    int Quit;
    std::string Totals;
  };
  const Case cases[] = {
      {"exit", std::nullopt, {0, 1, 2}, 5, 1, 0, "OK=3, NG=0."},
      {"exit, port 3 did not open", std::nullopt, {0, 1}, 0, 0, 1, "OK=2, NG=1."},
      {"listen", 2, {0, 1, 2}, 9, 2, 2, "OK=9, NG=2."},
      {"listen, port 3 did not open", 2, {0, 1}, 6, 0, 1, "OK=6, NG=0."},
      {"listen, many failed chips", 2, {0, 1, 2}, 0, 256, 63, "OK=0, NG=256."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    app = AppState(clock);
    app.Flags.ChannelCount = 3;
    app.Flags.TotalOk = 100;  // chips counted before the run are not this run's
    Summary.clear();
    QuitCode.reset();
    int starts = 0;
    actions.StartOffline = [&] {
      ++starts;
      return c.Restarted;
    };
    UnattendedRun run(app, actions, "STM32F103xB", {"a.hex"}, "offline", true);
    if (c.Listen) run.ListenFor(*c.Listen);
    StartOn(run, {0, 1, 2});
    FinishChannel(app.Channels[0], false);
    run.OnTick();
    EXPECT_EQ(starts, 0);  // channels 2 and 3 still download
    for (int ch : {1, 2}) FinishChannel(app.Channels[ch], false);
    run.OnTick();
    EXPECT_EQ(starts, 1);
    app.Flags.TotalOk += c.ChipsOk;
    app.Flags.TotalNg += c.ChipsNg;
    if (c.Listen) {
      for (int i = 1; i < *c.Listen * 100; ++i) run.OnTick();
      EXPECT_FALSE(QuitCode);
      run.OnTick();
    }
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(QuitCode, c.Quit);
    ASSERT_EQ(Summary.size(), 4u);
    EXPECT_EQ(Summary.back(), c.Totals);
    if (c.Restarted.size() < 3) {
      EXPECT_EQ(Summary[2], "Channel 3\t/dev/ttyACM2\tFailure\tNot started off-line: /dev/ttyACM2 did not open");
    }
  }
}

TEST(ChipByName, ExactSpellingThenUnambiguousLetterCase) {
  const std::vector<std::string> listed = {"STM32F103xB", "STM8S003F3", "STM32L0x1", "STM32L0X1", "STM8S003F3"};
  struct Case {
    const char* Typed;
    const char* Name;
    const char* Error;
  };
  const Case cases[] = {
      {"STM32F103xB", "STM32F103xB", ""},
      {"stm32f103XB", "STM32F103xB", ""},
      {"stm8s003f3", "STM8S003F3", ""},  // listed twice, one spelling
      {"STM32L0X1", "STM32L0X1", ""},    // the exact spelling wins
      {"stm32l0x1", "", "Chip name \"stm32l0x1\" fits STM32L0x1, STM32L0X1: give the name with its letter case"},
      {"STM32F103", "", "Unknown chip \"STM32F103\" (korvelimg chips lists every chip)"},
  };
  for (const Case& c : cases) {
    const ChipNameMatch m = MatchChipName(c.Typed, listed);
    EXPECT_EQ(m.Name, c.Name) << c.Typed;
    EXPECT_EQ(m.Error, c.Error) << c.Typed;
  }
  const ChipByName real = FindChipByName("stm32f103xb");
  EXPECT_TRUE(real.At.Found());
  EXPECT_TRUE(real.At.Stm32);
  EXPECT_EQ(real.Name, "STM32F103xB");
}

}  // namespace
}  // namespace korvel
