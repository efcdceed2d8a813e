// Arbitrary chunks on a channel's receive path while each kind of operation
// runs: a simulated unit answers the channel's requests, and the fuzz input
// is mixed into what reaches the host, with timer ticks between chunks.
#include <memory>

#include "FuzzSupport.h"
#include "app/AppState.h"
#include "app/Clock.h"
#include "app/ManualDispatcher.h"
#include "app/OperatorPrompts.h"
#include "engine/AutoProgress.h"
#include "engine/HostRequests.h"
#include "engine/JobView.h"
#include "engine/RandomSource.h"
#include "engine/StepMachine.h"
#include "protocol/ChannelHost.h"
#include "sim/SimLink.h"
#include "target/ChipSelect.h"
#include "target/ChipSeries.h"

using namespace korvel;

namespace {

using Start = void (StepMachine::*)(int);
constexpr Start kStarts[] = {
    &StepMachine::StartDownload,      &StepMachine::StartAuto,         &StepMachine::StartErase,
    &StepMachine::StartBlankCheck,    &StepMachine::StartProgram,      &StepMachine::StartVerify,
    &StepMachine::StartWriteOptions,  &StepMachine::StartReadOptions,  &StepMachine::StartWriteOtp,
    &StepMachine::StartVerifyOtp,     &StepMachine::StartReadMemory,   &StepMachine::StartReadSecond,
    &StepMachine::StartWriteSecond,   &StepMachine::StartReadUniqueId, &StepMachine::StartReadChecksum,
};

ChipInfo Chip(bool stm8, bool& stm32) {
  const char* name = stm8 ? "STM8S105K4" : "STM32F103xB";
  const ChipLocation at = FindChip(name);
  if (!at.Found()) std::abort();
  ChipInfo c;
  stm32 = at.Stm32;
  ConfirmChip(c, at.Stm32, at.Series, at.Index, name);
  return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FixedClock clock(MakeTime(2026, 12, 5, 7, 0, 0));
  fuzz::Input in(data, size);
  const uint8_t op = in.Byte();
  const uint8_t setup = in.Byte();

  AppState app(clock);
  ManualDispatcher ui;
  RecordingPrompts prompts;
  ScriptedRandomSource random({0x1234, 0x5678, 0x9ABC});
  auto unit = std::make_shared<SimUnit>();
  ChannelHost host(app, [&](int) { return std::make_unique<SimLink>(ui, unit); });
  host.SearchSettleMs = 0;
  host.UseExplicitPorts({"/dev/fuzz0"});

  bool stm32 = false;
  const ChipInfo chip = Chip(setup & 1, stm32);
  std::vector<uint8_t> main(2 * 1024 * 1024, 0xFF), second(4096, 0xFF), options(128, 0), defaults(128, 0);
  JobView job;
  job.Chip = chip;
  job.Stm32 = stm32;
  job.ChipName = chip.ChipName;
  job.MainImage = main;
  job.SecondImage = second;
  job.OptionBuffer = options;
  job.DefaultTable = defaults;
  job.Settings.EepEnabled = (setup & 2) != 0;
  HostRequests requests(host, random);
  StepMachine steps(app, job, WritableImages{main, second}, requests, prompts, StepHooks{});
  host.Handlers.OnReply = [&](int c, uint8_t status, std::span<const uint8_t> p) {
    steps.OnReply(c, status, p);
    return true;
  };
  host.Handlers.OnProgress = [&](int c, std::span<const uint8_t> p) { HandleAutoProgress(app, c, p, {}); };
  host.FindDevices();
  ui.RunPending();
  if (app.Channels[0].Connected) (steps.*kStarts[op % std::size(kStarts)])(0);

  for (int round = 0; !in.Empty() && round < 256; ++round) {
    const uint8_t control = in.Byte();
    const auto chunk = in.Take(control & 0x3F);
    if (!chunk.empty()) host.ReceiveData(0, chunk.data(), chunk.size());
    if (control & 0x40) ui.RunPending();
    if (control & 0x80)
      for (int t = 0; t < 50; ++t) host.OnTimer1Tick();
  }
  for (int i = 0; i < 1000 && ui.RunPending() > 0; ++i) {
  }
  return 0;
}
