// Chips a unit programs on its own after a download with automatic chip
// detection on, reported in progress frames the host decodes.
#include <gtest/gtest.h>

#include "engine/AutoProgress.h"
#include "sim/SimAutoDetect.h"
#include "sim/SimDriver.h"

namespace korvel::test {
namespace {

struct Timed {
  uint64_t AtUs;
  AutoProgressFrame Frame;
};

class SimAutoDetect : public testing::Test {
 protected:
  void Start(const std::string& faultText, ChipInfo chip = Stm8S105K4(), bool stm32 = false) {
    d = std::make_unique<SimDriver>(chip, stm32, UnitFaultsOf(faultText));
    FillPattern(d->buffers);
    d->settings.AutoDetect = 0x0F;
    d->settings.EepEnabled = true;
    d->settings.MaxCount = 0xFFFFFFFF;
    d->Reset();
  }
  // Downloads, restarts at t = 0 and collects every progress frame with
  // the time it is due, decoded by the host's own decoder.
  std::vector<Timed> DownloadAndRun() {
    EXPECT_EQ(d->Download(), 6);
    const Bytes restart = Wire(d->Restart());
    d->unit.Receive(restart.data(), restart.size(), 0);
    std::vector<Timed> frames;
    while (d->unit.HasPending()) {
      const uint64_t at = d->unit.NextDueUs();
      Bytes out;
      d->unit.TakeDue(at, out);
      for (const Bytes& p : DecodeAll(out)) {
        if (!IsAutoProgress(p)) continue;
        auto f = DecodeAutoProgressFrame(p);
        EXPECT_TRUE(f);
        if (f) frames.push_back({at, *f});
      }
    }
    return frames;
  }
  static std::vector<uint8_t> Results(const std::vector<Timed>& frames) {
    std::vector<uint8_t> r;
    for (const Timed& t : frames)
      if (t.Frame.Phase == kRunDone) r.push_back(t.Frame.Result);
    return r;
  }
  std::unique_ptr<SimDriver> d;
};

TEST_F(SimAutoDetect, ChipsRunThroughThePhasesAtTheirInterval) {
  Start("auto=3,fail=2,every=100");
  const auto frames = DownloadAndRun();
  EXPECT_EQ(Results(frames), (std::vector<uint8_t>{6, 0x31, 6}));
  std::vector<uint8_t> phases;
  for (const Timed& t : frames) {
    phases.push_back(t.Frame.Phase);
    if (t.Frame.Phase == kRunDone) break;
  }
  // 16 KB of flash in 4 KB steps, EEP data, option bytes.
  EXPECT_EQ(phases, (std::vector<uint8_t>{0x10, 0x40, 0x40, 0x40, 0x40, 0x50, 0x70, 0x80, 0xA0, 0xF0}));
  EXPECT_EQ(frames[1].Frame.Progress, 0);
  EXPECT_EQ(frames[4].Frame.Progress, 12);
  EXPECT_EQ(frames[4].Frame.Total, 16);
  // One chip every 100 ms, each chip's frames inside its interval, in order.
  for (size_t i = 1; i < frames.size(); ++i) EXPECT_GT(frames[i].AtUs, frames[i - 1].AtUs);
  size_t chip = 0;
  for (const Timed& t : frames) {
    EXPECT_GT(t.AtUs, chip * 100000u);
    EXPECT_LT(t.AtUs, (chip + 1) * 100000u);
    if (t.Frame.Phase == kRunDone) ++chip;
  }
  // The socket holds the last good chip: exactly the job.
  const SimTarget& t = d->unit.Target();
  EXPECT_TRUE(std::equal(t.Flash.begin() + 0x8000, t.Flash.begin() + 0xC000, d->buffers.Main.begin() + 0x8000));
  EXPECT_TRUE(std::equal(t.Flash.begin() + 0x4000, t.Flash.begin() + 0x4400, d->buffers.Main.begin() + 0x4000));
  EXPECT_TRUE(std::equal(t.OptionBytes.begin(), t.OptionBytes.end(), d->buffers.Options.begin()));
}

TEST_F(SimAutoDetect, UsedChipsAreErasedAndFailuresCarryTheirCode) {
  Start("auto=1,notblank,fail=1:1E", Stm32F103xB(), true);
  const auto frames = DownloadAndRun();
  ASSERT_GE(frames.size(), 3u);
  EXPECT_EQ(frames[1].Frame.Phase, 0x20);
  EXPECT_EQ(frames[2].Frame.Phase, 0x30);
  EXPECT_EQ(Results(frames), (std::vector<uint8_t>{0x1E}));
}

TEST_F(SimAutoDetect, OnlyWithDetectionOnAndNoMoreThanTheLimit) {
  Start("auto=5");
  d->settings.AutoDetect = 0;
  d->Reset();
  EXPECT_TRUE(DownloadAndRun().empty());

  Start("auto=5");
  d->settings.LimitFlag = 0x0F;
  d->settings.MaxCount = 2;
  d->Reset();
  EXPECT_EQ(Results(DownloadAndRun()).size(), 2u);

  Start("delay=0");
  EXPECT_TRUE(DownloadAndRun().empty());
}

std::vector<uint8_t> PhasesOfFirstChip(const std::vector<Timed>& frames) {
  std::vector<uint8_t> phases;
  for (const Timed& t : frames) {
    phases.push_back(t.Frame.Phase);
    if (t.Frame.Phase == kRunDone) break;
  }
  return phases;
}

// The job's off-line steps decide what a unit does to each chip alone.
TEST_F(SimAutoDetect, OnlyTheStepsTheJobLeavesOnRun) {
  struct Case {
    const char* Name;
    const char* Faults;
    bool Stm32;
    uint8_t OptionFlags;
    uint8_t PowerFlags;
    std::vector<uint8_t> Phases;
    uint8_t Result;
  };
  const Case cases[] = {
      {"stm8 flash only", "auto=1", false, 0x6B, 0, {0x10, 0x40, 0x40, 0x40, 0x40, 0x70, 0xF0}, 6},
      {"stm8 no verification", "auto=1", false, 0x30, 0, {0x10, 0x40, 0x40, 0x40, 0x40, 0x50, 0xA0, 0xF0}, 6},
      {"stm32 used chip erased", "auto=1,notblank", true, 0x40, 0,
       {0x10, 0x20, 0x30, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x70, 0xF0}, 6},
      {"stm32 used chip not erased", "auto=1,notblank", true, 0x43, 0,
       {0x10, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x70, 0xF0}, 0x31},
      {"protection check, protected", "auto=1,protected", true, 0xFF, 0x80, {0x10, 0xF0}, 6},
      {"protection check, not set", "auto=1", true, 0xFF, 0x81, {0x10, 0xF0}, 0x1E},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Start(c.Faults, c.Stm32 ? Stm32F103xB() : Stm8S105K4(), c.Stm32);
    d->settings.OptionFlags = c.OptionFlags;
    d->settings.PowerFlags = c.PowerFlags;
    d->settings.EepEnabled = !c.Stm32;
    d->Reset();
    const auto frames = DownloadAndRun();
    EXPECT_EQ(PhasesOfFirstChip(frames), c.Phases);
    EXPECT_EQ(Results(frames), std::vector<uint8_t>{c.Result});
  }
}

// An off-line start restarts a unit that already runs alone: the chip under
// way starts again and the finished ones are not programmed twice.
TEST_F(SimAutoDetect, ARestartWhileRunningDoesNotAddChips) {
  Start("auto=4,every=100");
  EXPECT_EQ(d->Download(), 6);
  const Bytes restart = Wire(d->Restart());
  d->unit.Receive(restart.data(), restart.size(), 0);
  // 150 ms on: one chip reported, the second under way.
  Bytes out;
  d->unit.TakeDue(150000, out);
  int done = 0;
  for (const Bytes& p : DecodeAll(out)) done += IsAutoProgress(p) && p[1] == kRunDone;
  ASSERT_EQ(done, 1);
  d->unit.Receive(restart.data(), restart.size(), 150000);
  std::vector<uint64_t> doneAt;
  while (d->unit.HasPending()) {
    const uint64_t at = d->unit.NextDueUs();
    Bytes more;
    d->unit.TakeDue(at, more);
    for (const Bytes& p : DecodeAll(more))
      if (IsAutoProgress(p) && p[1] == kRunDone) doneAt.push_back(at);
  }
  ASSERT_EQ(doneAt.size(), 3u);
  EXPECT_GT(doneAt[0], 150000u);
  EXPECT_LT(doneAt[0], 250000u);
  EXPECT_GT(doneAt[2], 350000u);
  // The in-process link takes everything at once: a second start finds
  // nothing left.
  Bytes all;
  d->unit.Receive(restart.data(), restart.size(), all);
  EXPECT_EQ(DecodeAll(all).size(), 1u);  // the acknowledgement alone
}

TEST_F(SimAutoDetect, ProgressFramesSumToZero) {
  for (uint16_t progress : {0, 0x0100, 0xFFFF}) {
    const auto f = ProgressFrame(kRunMain, 0, progress, 0x1234);
    uint8_t sum = 0;
    for (uint8_t b : f) sum = static_cast<uint8_t>(sum + b);
    EXPECT_EQ(sum, 0);
    const auto decoded = DecodeAutoProgressFrame(f);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->Progress, progress);
    EXPECT_EQ(decoded->Total, 0x1234);
  }
}

}  // namespace
}  // namespace korvel::test
