// The host's step machine, channel host and request builders against ten
// in-process simulated units: whole operations end as a real gang would.
#include <gtest/gtest.h>

#include "app/ManualDispatcher.h"
#include "app/OperatorPrompts.h"
#include "engine/AutoProgress.h"
#include "engine/HostRequests.h"
#include "engine/StepMachine.h"
#include "engine/VerifyCompare.h"
#include "protocol/ChannelHost.h"
#include "sim/SimDriver.h"
#include "sim/SimLink.h"

namespace korvel::test {
namespace {

// Prompts during which something else happens, as in a modal dialog's own
// event loop.
struct NestedLoopPrompts : RecordingPrompts {
  std::function<void()> WhileOpen;
  PromptButton Message(PromptKind kind, const std::string& text,
                       const std::vector<PromptButton>& buttons) override {
    if (WhileOpen) WhileOpen();
    return RecordingPrompts::Message(kind, text, buttons);
  }
};

class SimGangRun : public testing::Test {
 protected:
  SimGangRun() : clock(MakeTime(2026, 12, 5, 7, 14, 11)), app(clock) { FillPattern(buffers); }

  void Start(const ChipInfo& chip, bool stm32, std::map<int, UnitFaults> faults = {}) {
    for (int c = 0; c < kChannelCount; ++c) units[c] = std::make_shared<SimUnit>(faults[c + 1]);
    host = std::make_unique<ChannelHost>(app, [this](int c) { return std::make_unique<SimLink>(ui, units[c]); });
    host->SearchSettleMs = 0;
    std::vector<std::string> ports;
    for (int c = 0; c < kChannelCount; ++c) ports.push_back("/dev/ttyACM" + std::to_string(c));
    host->UseExplicitPorts(ports);
    settings.EepEnabled = true;
    job = buffers.View(chip, stm32);
    job.Settings = settings;
    requests = std::make_unique<HostRequests>(*host, random);
    steps = std::make_unique<StepMachine>(app, job, WritableImages{buffers.Main, buffers.Second}, *requests,
                                          prompts, StepHooks{});
    host->Handlers.OnReply = [this](int c, uint8_t status, std::span<const uint8_t> p) {
      steps->OnReply(c, status, p);
      return true;
    };
    host->Handlers.OnProgress = [this](int c, std::span<const uint8_t> p) { HandleAutoProgress(app, c, p, {}); };
    host->FindDevices();
    ui.RunPending();
  }
  template <typename F>
  void OnEveryChannel(F start) {
    for (int c = 0; c < kChannelCount; ++c)
      if (app.Channels[c].Connected) (steps.get()->*start)(c);
    for (int i = 0; i < 100000 && ui.RunPending() > 0; ++i) {
    }
  }
  int LinesWith(const std::string& part) const {
    int n = 0;
    for (const auto& l : app.Log.Lines()) n += l.find(part) != std::string::npos;
    return n;
  }
  // Index of the first log line holding part; -1 when none does.
  int LineOf(const std::string& part) const {
    const auto& lines = app.Log.Lines();
    for (size_t i = 0; i < lines.size(); ++i)
      if (lines[i].find(part) != std::string::npos) return int(i);
    return -1;
  }
  bool ChipHoldsImage(int c, uint32_t offset, uint32_t size) const {
    const auto& f = units[c]->Target().Flash;
    return std::equal(f.begin() + offset, f.begin() + offset + size, buffers.Main.begin() + offset);
  }

  FixedClock clock;
  AppState app;
  ManualDispatcher ui;
  NestedLoopPrompts prompts;
  JobBuffers buffers;
  JobSettings settings;
  JobView job;
  ScriptedRandomSource random{{7, 99, 1234}};
  std::array<std::shared_ptr<SimUnit>, kChannelCount> units;
  std::unique_ptr<ChannelHost> host;
  std::unique_ptr<HostRequests> requests;
  std::unique_ptr<StepMachine> steps;
};

TEST_F(SimGangRun, AutoOnStm32ErasesAUsedChipAndProgramsAll) {
  std::map<int, UnitFaults> faults;
  faults[4].NotBlank = true;
  Start(Stm32F103xB(), true, faults);
  OnEveryChannel(&StepMachine::StartAuto);
  EXPECT_EQ(LinesWith("Programming Success!"), 10);
  EXPECT_EQ(LinesWith("芯片不为空！"), 1);
  for (int c = 0; c < kChannelCount; ++c) EXPECT_TRUE(ChipHoldsImage(c, 0, 128 * 1024)) << c;
  EXPECT_TRUE(prompts.Messages.empty());
}

TEST_F(SimGangRun, AutoOnStm8WithEepromAndOneFlippedByte) {
  std::map<int, UnitFaults> faults;
  faults[2].FlipAt = 0x8010;
  Start(Stm8S105K4(), false, faults);
  OnEveryChannel(&StepMachine::StartAuto);
  EXPECT_EQ(LinesWith("Programming Success!"), 9);
  EXPECT_EQ(LinesWith("EEP数据校验成功！"), 9);
  EXPECT_EQ(LinesWith("数据校验错误！"), 1);
  ASSERT_EQ(prompts.Messages.size(), 1u);
  EXPECT_NE(prompts.Messages[0].Text.find("0x00008010"), std::string::npos);
  for (int c = 0; c < kChannelCount; ++c) EXPECT_TRUE(ChipHoldsImage(c, 0x4000, 1024)) << c;
}

TEST_F(SimGangRun, VerifyDialogHoldsItsChannelUntilClosedThenFailsItOnce) {
  std::map<int, UnitFaults> faults;
  faults[6].FlipAt = 0x100;
  Start(Stm32F103xB(), true, faults);
  const Bytes progress = Wire({0xFD, 0x10, 0, 0, 0, 0, 0, 0xF3});
  prompts.WhileOpen = [&] {
    // The other channels go on, a frame arrives for this one and the
    // operator takes longer than any watchdog.
    ui.RunPending();
    host->ReceiveData(5, progress.data(), progress.size());
    for (int i = 0; i < 3000; ++i) host->OnTimer1Tick();
  };
  OnEveryChannel(&StepMachine::StartAuto);
  ASSERT_EQ(prompts.Messages.size(), 1u);
  EXPECT_EQ(prompts.Messages[0].Text, "Chip 6: Buffer Address 0x08000100 = 0x00, Chip = 0x01");
  EXPECT_EQ(LinesWith("Programming Success!"), 9);
  EXPECT_EQ(LinesWith("操作超时！"), 0);
  EXPECT_EQ(LinesWith("数据校验错误！"), 1);
  EXPECT_EQ(app.Channels[5].Outcome.Code, kStatusVerifyMismatch);
  // The frame that came during the dialog is handled after the channel ended.
  const int failed = LineOf(ChannelPrefix(5) + "数据校验错误！");
  const int frame = LineOf(ChannelPrefix(5) + "Start Auto-Programming....");
  EXPECT_GE(failed, 0);
  EXPECT_GT(frame, failed);
}

TEST_F(SimGangRun, DownloadThenChipsOnTheirOwn) {
  std::map<int, UnitFaults> faults;
  for (int u = 1; u <= kChannelCount; ++u) faults[u].AutoChips = 2;
  faults[1].AutoFailEvery = 2;
  settings.AutoDetect = 0x0F;
  settings.MaxCount = 0xFFFFFFFF;
  Start(Stm32G071xB(), true, faults);
  OnEveryChannel(&StepMachine::StartDownload);
  EXPECT_EQ(LinesWith("数据下载成功！"), 10);
  EXPECT_EQ(LinesWith("Progrmming Completed"), 20);
  EXPECT_EQ(LinesWith("Failed : Error=0x31!"), 1);
  EXPECT_EQ(LinesWith("Total OK Number is : 19, NG is 1"), 1);
}

}  // namespace
}  // namespace korvel::test
