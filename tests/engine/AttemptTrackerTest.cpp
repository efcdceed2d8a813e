#include <gtest/gtest.h>

#include "app/ChannelOps.h"
#include "engine/AttemptTracker.h"
#include "engine/ChannelRequests.h"

namespace korvel {
namespace {

class AttemptTrackerTest : public ::testing::Test {
 protected:
  AttemptTrackerTest() : clock(MakeTime(2026, 12, 5, 7, 14, 11)), app(clock) {
    AttemptTracker::Context context;
    context.PortName = [](int ch) { return "/dev/ttyACM" + std::to_string(ch); };
    context.UsbPath = [](const std::string& port) { return port == "/dev/ttyACM1" ? "1-2:1.0" : ""; };
    context.Job = [this] { return Job; };
    tracker = std::make_unique<AttemptTracker>(app, clock, context);
    tracker->Listen([this](const ChipAttempt& a) { Seen.push_back(a); });
  }
  ChannelState& Ch(int c) { return app.Channels[c]; }
  void Start(int c, uint8_t step, bool chain) {
    Ch(c).Step = step;
    Ch(c).AutoChain = chain;
    StartChannelStep(Ch(c), 500, 64);
  }
  void Frame(int c, uint8_t phase, uint8_t result = 0) { tracker->UnitFrame(c, AutoProgressFrame{phase, result, 0, 0}); }

  FixedClock clock;
  AppState app;
  AttemptJob Job{"STM32F103xB", "app,v2.hex", 0x1234};
  std::unique_ptr<AttemptTracker> tracker;
  std::vector<ChipAttempt> Seen;
};

// The steps of an Auto chain are one attempt, timed from its first step;
// the job is the one the channel started on, not the one loaded since.
TEST_F(AttemptTrackerTest, AChainIsOneAttemptWithItsJobSerialAndDuration) {
  Ch(1).UnitName = "Korvel200ST8-X10";
  Start(1, kStepBlankCheck, true);
  Job = AttemptJob{"STM8S003F3", "other.hex", 1};
  clock.AdvanceMs(700);
  StartChannelStep(Ch(1), 3000, 64);  // erase, still busy: the same attempt
  EXPECT_TRUE(Seen.empty());
  EXPECT_EQ(tracker->Running(1), "auto");
  clock.AdvanceMs(1300);
  tracker->NoteSerial(1, 0x100);
  FinishChannel(Ch(1), ChannelOutcome{ChannelResult::Success, 0, "Programming Success! SN 0x00000100"});
  ASSERT_EQ(Seen.size(), 1u);
  const ChipAttempt& a = Seen[0];
  EXPECT_EQ(a.Source, AttemptSource::Host);
  EXPECT_EQ(a.Time, "2026-12-05T07:14:11");
  EXPECT_EQ(a.Channel, 1);
  EXPECT_EQ(a.Port, "/dev/ttyACM1");
  EXPECT_EQ(a.UsbPath, "1-2:1.0");
  EXPECT_EQ(a.Unit, "Korvel200ST8-X10");
  EXPECT_EQ(a.Operation, "auto");
  EXPECT_EQ(a.Chip, "STM32F103xB");
  EXPECT_EQ(a.ImageFile, "app,v2.hex");
  EXPECT_EQ(a.FlashCrc, 0x1234);
  EXPECT_EQ(a.Serial, 0x100u);
  EXPECT_EQ(a.DurationMs, 2000);
  EXPECT_EQ(tracker->Running(1), "");

  // A chip that failed does not carry the number it was given: it goes to
  // the next chip.
  Start(2, kStepVerify, false);
  tracker->NoteSerial(2, 0x101);
  FinishChannel(Ch(2), ChannelOutcome{ChannelResult::Timeout, 0, "操作超时！"});
  ASSERT_EQ(Seen.size(), 2u);
  EXPECT_EQ(Seen[1].Operation, "verify");
  EXPECT_EQ(Seen[1].Result, ChannelResult::Timeout);
  EXPECT_FALSE(Seen[1].Serial);
  EXPECT_EQ(Seen[1].Text, "操作超时！");

  // An end nobody started (a search cutting off nothing) is no attempt.
  FinishChannel(Ch(3), true);
  EXPECT_EQ(Seen.size(), 2u);
}

TEST_F(AttemptTrackerTest, OperationsAreNamedByStep) {
  struct Case {
    uint8_t Step;
    bool Chain;
    const char* Name;
    bool Chip;
  };
  const Case cases[] = {
      {kStepDownload, true, "download", false}, {kStepFirmware, false, "upgrade", false},
      {kStepProgram, true, "auto", true},       {kStepErase, false, "erase", true},
      {kStepBlankCheck, false, "blank", true},  {kStepReadOptions, false, "read-options", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OperationOfStep(c.Step, c.Chain), c.Name);
    EXPECT_EQ(TouchesChip(c.Name), c.Chip) << c.Name;
  }
}

// A unit programming alone reports each chip; it runs the job this host
// last downloaded to it, and after an off-line start its chips say so.
TEST_F(AttemptTrackerTest, ChipsAUnitReportsAreAttemptsOfTheJobItWasGiven) {
  Ch(4).UnitName = "Korvel200ST8-X10";
  Start(4, kStepDownload, false);
  FinishChannel(Ch(4), ChannelOutcome{ChannelResult::Success, 0, "下载成功"});
  Job = AttemptJob{};  // the window moved on; the unit still has the download
  Frame(4, 0x10);
  clock.AdvanceMs(1500);
  EXPECT_EQ(tracker->Running(4), kOperationAutoDetect);
  Frame(4, 0x40);
  Frame(4, kPhaseChipDone, kUnitChipSuccess);
  ASSERT_EQ(Seen.size(), 2u);
  const ChipAttempt& ok = Seen[1];
  EXPECT_EQ(ok.Source, AttemptSource::Unit);
  EXPECT_EQ(ok.Operation, kOperationAutoDetect);
  EXPECT_EQ(ok.Chip, "STM32F103xB");
  EXPECT_EQ(ok.ImageFile, "app,v2.hex");
  EXPECT_EQ(ok.Result, ChannelResult::Success);
  EXPECT_EQ(ok.Code, 0);
  EXPECT_EQ(ok.Text, "Progrmming Completed : Successed!");
  EXPECT_EQ(ok.DurationMs, 1500);

  tracker->OfflineStarted({4});
  Frame(4, kPhaseChipDone, 0x1E);  // no start seen: no duration
  ASSERT_EQ(Seen.size(), 3u);
  EXPECT_EQ(Seen[2].Operation, kOperationOffline);
  EXPECT_EQ(Seen[2].Result, ChannelResult::Failure);
  EXPECT_EQ(Seen[2].Code, 0x1E);
  EXPECT_FALSE(Seen[2].DurationMs);

  // A chip taken out half way: the next chip is timed from its own start.
  Frame(4, 0x10);
  clock.AdvanceMs(5000);
  Frame(4, 0x10);
  clock.AdvanceMs(800);
  Frame(4, kPhaseChipDone, kUnitChipSuccess);
  ASSERT_EQ(Seen.size(), 4u);
  EXPECT_EQ(Seen[3].DurationMs, 800);
  Seen.pop_back();

  // A unit this host never gave a job: nothing is claimed about it.
  Frame(6, kPhaseChipDone, kUnitChipSuccess);
  ASSERT_EQ(Seen.size(), 4u);
  EXPECT_EQ(Seen[3].Chip, "");
  EXPECT_FALSE(Seen[3].FlashCrc);
}

}  // namespace
}  // namespace korvel
