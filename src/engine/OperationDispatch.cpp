#include "engine/OperationDispatch.h"

namespace korvel {

OperationDispatch::OperationDispatch(AppState& app, const JobView& job, StepMachine& steps,
                                     OperatorPrompts& prompts, DispatchHooks hooks)
    : app_(app), job_(job), steps_(steps), prompts_(prompts), hooks_(std::move(hooks)) {}

void OperationDispatch::Refresh() {
  if (hooks_.RefreshJob) hooks_.RefreshJob();
}

bool OperationDispatch::Capture() {
  CaptureChip chip = hooks_.CaptureContext ? hooks_.CaptureContext() : CaptureChip{};
  if (auto error = CaptureJobSettings(app_.Controls, app_.Settings, chip)) {
    prompts_.Message(PromptKind::Error, *error);
    return false;
  }
  return true;
}

bool OperationDispatch::Require(bool condition, const char* message) {
  if (!condition) prompts_.Message(PromptKind::Information, message);
  return condition;
}

std::vector<int> OperationDispatch::StartableChannels() const {
  std::vector<int> channels;
  for (int ch = 0; ch < app_.Flags.ChannelCount && ch < kChannelCount; ++ch)
    if (app_.Channels[ch].Connected && !app_.Channels[ch].Busy) channels.push_back(ch);
  return channels;
}

int OperationDispatch::StartAll(void (StepMachine::*starter)(int)) {
  Refresh();
  std::shared_ptr<const JobSnapshot> job;
  int started = 0;
  for (int ch = 0; ch < app_.Flags.ChannelCount && ch < kChannelCount; ++ch) {
    ChannelState& c = app_.Channels[ch];
    if (!c.Connected || c.Busy) continue;
    if (!job) steps_.ShareJob(job = JobSnapshot::Take(job_));
    // Only the channels being started lose their received bytes: a busy
    // channel may have a reply in flight.
    c.RxCount = 0;
    if (hooks_.ClearReceive) hooks_.ClearReceive(ch);
    if (hooks_.ChannelOwnBytes) steps_.GiveOwn(hooks_.ChannelOwnBytes(ch, started));
    (steps_.*starter)(ch);
    ++started;
  }
  steps_.ShareJob(nullptr);
  app_.Controls.Changed();
  return started;
}

int OperationDispatch::Download() {
  Refresh();
  if (hooks_.FocusToolbar) hooks_.FocusToolbar();
  // STM32 BlueTooth parts have no option-byte listing.
  const bool blueNrg = app_.Flags.Stm32Family && job_.Chip.BlueNrgMode;
  if (!blueNrg && hooks_.ShowOptionLines) hooks_.ShowOptionLines();
  if (hooks_.ComputeOptionChecksums) hooks_.ComputeOptionChecksums();
  if (!Capture()) return 0;
  if (!Require(app_.Flags.ChipSelected, kConfirmChipFirst)) return 0;
  if (!Require(app_.Flags.ImageLoaded, kLoadImageFirst)) return 0;
  app_.Flags.DownloadsDone = 0;
  return StartAll(&StepMachine::StartDownload);
}

int OperationDispatch::DownloadProject() {
  if (hooks_.ComputeOptionChecksums) hooks_.ComputeOptionChecksums();
  app_.Flags.DownloadsDone = 0;
  return StartAll(&StepMachine::StartDownload);
}

int OperationDispatch::Auto() {
  Refresh();
  if (hooks_.FocusToolbar) hooks_.FocusToolbar();
  if (!Capture()) return 0;
  if (!Require(app_.Flags.ChipSelected, kConfirmChipFirst)) return 0;
  if (!Require(app_.Flags.ImageLoaded, kLoadImageFirst)) return 0;
  // Numbers go to chips that are started, and only to them.
  if (app_.Controls.ChkBoxPCSN.Checked && app_.Controls.CheckBoxSN.Checked && hooks_.HandOutSerials)
    hooks_.HandOutSerials(StartableChannels());
  return StartAll(&StepMachine::StartAuto);
}

int OperationDispatch::BlankCheck() {
  Refresh();
  if (!Capture()) return 0;
  if (!Require(app_.Flags.ChipSelected, kConfirmChipFirst)) return 0;
  return StartAll(&StepMachine::StartBlankCheck);
}

int OperationDispatch::Erase() {
  Refresh();
  if (!Capture()) return 0;
  if (!Require(app_.Flags.ChipSelected, kConfirmChipFirst)) return 0;
  return StartAll(&StepMachine::StartErase);
}

int OperationDispatch::Program() {
  Refresh();
  if (!Capture()) return 0;
  if (!Require(app_.Flags.ChipSelected, kConfirmChipFirst)) return 0;
  if (!Require(app_.Flags.ImageLoaded, kLoadImageFirst)) return 0;
  return StartAll(&StepMachine::StartProgram);
}

int OperationDispatch::Verify() {
  Refresh();
  if (!app_.Flags.Stm32Family && hooks_.ComputeOptionChecksums) hooks_.ComputeOptionChecksums();
  if (!Capture()) return 0;
  if (!Require(app_.Flags.ChipSelected, kConfirmChipFirst)) return 0;
  if (!Require(app_.Flags.ImageLoaded, kLoadImageFirst)) return 0;
  return StartAll(&StepMachine::StartVerify);
}

int OperationDispatch::WriteOptionBytes() {
  Refresh();
  if (!app_.Flags.Stm32Family && hooks_.ComputeOptionChecksums) hooks_.ComputeOptionChecksums();
  if (!Capture()) return 0;
  if (!Require(app_.Flags.ChipSelected, kConfirmChipFirst)) return 0;
  return StartAll(&StepMachine::StartWriteOptions);
}

// ---- channel 1 ----------------------------------------------------------------

bool OperationDispatch::StartChannel1(const Channel1Start& how, void (StepMachine::*starter)(int)) {
  if (how.CaptureFirst && !Capture()) return false;
  if (!Require(app_.Flags.ChipSelected, kConfirmChipFirst)) return false;
  if (how.NeedsImage && !Require(app_.Flags.ImageLoaded, kLoadImageFirst)) return false;
  ChannelState& c = app_.Channels[0];
  if (!Require(c.Connected, kConnectDeviceFirst)) return false;
  if (c.Busy) return false;
  if (!how.CaptureFirst && !Capture()) return false;
  c.RxCount = 0;
  if (hooks_.ClearReceive) hooks_.ClearReceive(0);
  Refresh();
  if (how.BlankLineFirst) app_.Log.Append("");
  if (how.Text) app_.Log.HostLine(how.Text);
  (steps_.*starter)(0);
  app_.Controls.Changed();
  return true;
}

bool OperationDispatch::ReadOptionBytes() {
  Refresh();
  return StartChannel1({.BlankLineFirst = true, .Text = "读Option Byte ......"},
                       &StepMachine::StartReadOptions);
}

bool OperationDispatch::WriteOtp() {
  Refresh();
  return StartChannel1({.NeedsImage = true, .CaptureFirst = false, .Text = "编程OTP Memory......"},
                       &StepMachine::StartWriteOtp);
}

bool OperationDispatch::VerifyOtp() {
  Refresh();
  return StartChannel1({.CaptureFirst = false, .Text = "校验OTP Memory......"},
                       &StepMachine::StartVerifyOtp);
}

bool OperationDispatch::ReadChipMemory() {
  Refresh();
  return StartChannel1({}, &StepMachine::StartReadMemory);
}

bool OperationDispatch::ReadDataMemory() {
  Refresh();
  return StartChannel1({.Text = Otp() ? "Read OTP Memory......" : "Read EEP Memory......"},
                       &StepMachine::StartReadSecond);
}

bool OperationDispatch::WriteDataMemory() {
  Refresh();
  return StartChannel1(
      {.NeedsImage = true, .Text = Otp() ? "Write OTP Memory......" : "Write EEP Memory......"},
      &StepMachine::StartWriteSecond);
}

bool OperationDispatch::ReadChipId() {
  Refresh();
  return StartChannel1({.Text = "读取芯片......"}, &StepMachine::StartReadUniqueId);
}

bool OperationDispatch::ReadChipChecksum() {
  Refresh();
  if (hooks_.FocusToolbar) hooks_.FocusToolbar();
  return StartChannel1({.Text = "读取芯片校验和......"}, &StepMachine::StartReadChecksum);
}

}  // namespace korvel
