#include "engine/Host.h"

#include <filesystem>

#include "app/ChannelOps.h"
#include "engine/AutoProgress.h"
#include "engine/ChannelErrors.h"
#include "engine/ChipByName.h"
#include "engine/OfflineProgramming.h"
#include "serial/PortEnumeration.h"
#include "optionbytes/OptionChecksums.h"
#include "optionbytes/OptionDefaults.h"
#include "optionbytes/OptionDisplay.h"
#include "optionbytes/OptionReadBack.h"
#include "target/ChecksumReport.h"
#include "target/Checksums.h"
#include "target/ChipSelect.h"
#include "target/ChipSeries.h"
#include "target/ImageCommands.h"
#include "target/ImageLoading.h"
#include "target/SerialControls.h"

namespace korvel {

Host::Host(const Clock& clock, OperatorPrompts& prompts, HostOptions options)
    : App(clock), clock_(clock), prompts_(prompts) {
  channels_ = std::make_unique<ChannelHost>(App, std::move(options.Links), options.Enumerator);
  explicitPorts_ = options.ExplicitPorts.has_value();
  if (options.ExplicitPorts) channels_->UseExplicitPorts(*options.ExplicitPorts);

  requests_ = std::make_unique<HostRequests>(*channels_, random_);

  StepHooks steps;
  steps.OptionBytesRead = [this](int, std::span<const uint8_t> bytes) {
    if (ReplaceWithReadBack(Options, Chip, App.Flags.Stm32Family, bytes))
      ShowOptionLines(App.Log, Options, Chip, App.Flags.Stm32Family);
  };
  // What was read is the image now: its check values are the ones the next
  // download carries.
  steps.MainFlashRead = [this] {
    Buffers.LoadLow = Chip.FlashBase;
    Buffers.LoadHigh = Chip.FlashEnd;
    ReportChecksums(*images_);
    if (Window.Views.FlashViewChanged) Window.Views.FlashViewChanged();
  };
  steps.DataMemoryRead = [this] {
    UpdateDataChecksums(*images_);
    if (Window.Views.DataViewChanged) Window.Views.DataViewChanged();
  };
  steps.AdvanceSerial = [this](int ch) {
    const auto serial = serials_->AdvanceSerial(ch);
    attempts_->NoteSerial(ch, serial);
    return serial;
  };
  steps.OtpChecksum = [](std::span<const uint8_t> otp) {
    return otp.empty() ? uint16_t{0} : SumValue(otp, 0, static_cast<uint32_t>(otp.size() - 1));
  };
  steps_ = std::make_unique<StepMachine>(App, job_, WritableImages{Buffers.Main, Buffers.Data},
                                         *requests_, prompts_, std::move(steps));

  DispatchHooks ops;
  ops.CaptureContext = [this] { return CaptureChipOf(Chip, App.Flags.Stm32Family); };
  ops.ShowOptionLines = [this] { ShowOptionLines(App.Log, Options, Chip, App.Flags.Stm32Family); };
  ops.ComputeOptionChecksums = [this] {
    OptionChecksums c = ComputeOptionChecksums(Options);
    Buffers.OptSum = c.OptSum;
    Buffers.OptCrc = c.OptCrc;
  };
  ops.FocusToolbar = [this] {
    if (Window.FocusToolbar) Window.FocusToolbar();
  };
  ops.RefreshJob = [this] { RefreshJob(); };
  ops.HandOutSerials = [this](const std::vector<int>& channels) { serials_->HandOut(channels); };
  ops.ChannelOwnBytes = [this](int ch, int) { return serials_->OwnBytes(ch); };
  dispatch_ = std::make_unique<OperationDispatch>(App, job_, *steps_, prompts_, std::move(ops));

  // The window sets its view hooks after the host exists: look them up late.
  ImageViewHooks views;
  views.FlashViewChanged = [this] { if (Window.Views.FlashViewChanged) Window.Views.FlashViewChanged(); };
  views.DataViewChanged = [this] { if (Window.Views.DataViewChanged) Window.Views.DataViewChanged(); };
  views.ShowFlashTab = [this] { if (Window.Views.ShowFlashTab) Window.Views.ShowFlashTab(); };
  views.MainBytesChanged = [this](uint32_t first, uint32_t last) {
    if (Window.Views.MainBytesChanged) Window.Views.MainBytesChanged(first, last);
  };
  views.ProductNameChanged = [this](const std::string& name) {
    job_.ProductName = name;
    if (Window.Views.ProductNameChanged) Window.Views.ProductNameChanged(name);
  };
  images_ = std::make_unique<ImageJob>(ImageJob{App, Chip, Buffers, Options, prompts_, {}, views});
  serials_ = std::make_unique<SerialNumbers>(*images_);

  firmware_ = std::make_unique<FirmwareUpgrade>(App, *channels_, random_, prompts_);

  ChannelHandlers& h = channels_->Handlers;
  h.OnReply = [this](int ch, uint8_t status, std::span<const uint8_t> packet) {
    if (App.Channels[ch].Step == kStepFirmware) firmware_->OnReply(ch, status);
    else steps_->OnReply(ch, status, packet);
    return true;
  };
  h.OnProgress = [this](int ch, std::span<const uint8_t> packet) {
    const auto frame = DecodeAutoProgressFrame(packet);
    if (!frame) return;
    ShowAutoProgress(App, ch, *frame, [this] {
      if (logFiles_) logFiles_->PeriodicSave();
    });
    attempts_->UnitFrame(ch, *frame);
  };
  h.OnFault = [this](int ch, uint8_t code, bool running) {
    if (running)
      ReportChannelError(App, prompts_, ch, code);
    else
      ChannelInfo(App.Log, ch, ChannelErrorText(code));
  };

  AttemptTracker::Context context;
  context.PortName = [this](int ch) { return channels_->PortName(ch); };
  context.UsbPath = [](const std::string& port) { return UsbPathOfPort(port); };
  context.Job = [this] { return JobForAttempt(); };
  attempts_ = std::make_unique<AttemptTracker>(App, clock, std::move(context));
  attempts_->Listen([this](const ChipAttempt& a) {
    if (json_) json_->Attempt(a);
  });
  attempts_->Listen([this](const ChipAttempt& a) {
    if (record_) record_->Write(a);
  });
}

AttemptJob Host::JobForAttempt() const {
  AttemptJob j;
  j.Chip = job_.ChipName;
  // A project made from loaded files names no source: the project is then
  // what the chips were programmed from.
  j.ImageFile = job_.ProductName.empty() ? projectFile_ : job_.ProductName;
  if (App.Flags.ImageLoaded) j.FlashCrc = job_.Checks.FlashCrc;
  return j;
}

Host::~Host() = default;

ChipChangeContext Host::ChipContext() {
  ChipChangeHooks hooks;
  hooks.ClearFlashView = [this] { if (Window.Views.FlashViewChanged) Window.Views.FlashViewChanged(); };
  hooks.RebuildDataView = [this] { if (Window.Views.DataViewChanged) Window.Views.DataViewChanged(); };
  hooks.ResetOptionBuffer = [this] { ResetOptionBuffer(Options, Chip, App.Flags.Stm32Family); };
  hooks.SetLoadRange = [this](uint32_t low, uint32_t high) {
    Buffers.LoadLow = low;
    Buffers.LoadHigh = high;
  };
  return ChipChangeContext{Chip, App.Flags, App.Settings, App.Controls, App.Log, prompts_, Options, hooks};
}

void Host::RefreshJob() {
  job_.Settings = App.Settings;
  job_.Chip = Chip;
  job_.Stm32 = App.Flags.Stm32Family;
  job_.Checks = {Buffers.FlashSum, Buffers.FlashCrc, Buffers.EepSum,
                 Buffers.EepCrc,   Buffers.OptSum,   Buffers.OptCrc};
  job_.OptionBuffer = Options;
  defaultTable_ = DefaultTableImage(HeaderDefaultTable(Chip));
  job_.DefaultTable = defaultTable_;
  job_.MainImage = Buffers.Main;
  job_.SecondImage = Buffers.Data;
  job_.ChipName = App.Controls.MCUNameEdit;
}

void Host::FormShow(const CommandLine& cmd, const std::string& currentDir, StartupHooks steps) {
  steps.LoadLogConfig = [this] {
    LoadLogConfig(LogConfig, LogConfigPath(App.Flags.AppDir));
    logFiles_ = std::make_unique<LogFiles>(App.Flags.AppDir, App.Log, prompts_, LogConfig);
    record_ = std::make_unique<ChipRecord>(App.Flags.AppDir, StationName(), App.Log, prompts_,
                                           [this] { return !noRecord_ && LogConfig.RecordEnabled(); });
  };
  noRecord_ = cmd.NoRecord;
  steps.SetOptionByteDefaults = [this] { ResetOptionBuffer(Options, Chip, App.Flags.Stm32Family); };
  steps.ReadConnectionSettings = [this] { channels_->ReadConnectionSettings(); };
  steps.LoadFirmware = [this](const std::string& path) { firmware_->Load(path); };
  steps.FirmwareMissing = [this] { firmware_->Missing(); };
  RunFormShow(App, prompts_, cmd, currentDir, steps);
}

void Host::OnTimer1Tick() {
  channels_->OnTimer1Tick();
  serials_->Settle();
  firmware_->OnTimer1Tick();
  if (json_) json_->Tick(App.Channels, [this](int ch) { return attempts_->Running(ch); });
  if (record_) record_->ReportPending();
  // The run's summary comes before an "OFF" close that the same downloads
  // allow, so that it is printed and logged before the shutdown log.
  if (unattended_) unattended_->OnTick();
  CheckCommandLineExit();
}

bool Host::OnTimer2Tick() {
  const bool more = channels_->OnTimer2Tick();
  searchStarted_ = true;
  if (unattended_) unattended_->SearchStarted();
  return more;
}

void Host::Shutdown() {
  channels_->CloseAllPorts();
  FinishLog();
}

void Host::FinishLog() {
  if (logFiles_) logFiles_->WriteShutdownLog();
}

bool Host::AnyChannelBusy() const {
  for (const ChannelState& c : App.Channels)
    if (c.Busy) return true;
  return false;
}

std::vector<int> Host::StartOffLineProgram() {
  OfflineStart start{App, *channels_, [this] {
                       const auto error = CaptureJobSettings(App.Controls, App.Settings,
                                                             CaptureChipOf(Chip, App.Flags.Stm32Family));
                       if (error) prompts_.Message(PromptKind::Error, *error);
                       return !error;
                     }};
  start.SettleMs = OfflineSettleMs;
  const std::vector<int> started = start.Run();
  attempts_->OfflineStarted(started);
  if (OfflineStarted) OfflineStarted(started);
  return started;
}

ProjectSaveResult Host::SaveProjectFromMenu() {
  return korvel::SaveProjectFromMenu(*images_, {job_.ProductName, ProjectSourceName}, random_);
}

ProjectSaveResult Host::SaveProjectFile(const std::string& path) {
  return SaveProjectAs(*images_, {job_.ProductName, ProjectSourceName}, path, random_);
}

namespace {
// The busy channels run on a snapshot of the job, but what the window shows
// and the next operation starts from would no longer be what they run.
constexpr const char* kProjectWhileBusy = "Project file not opened: wait until every channel has finished";

ProjectFileRead RefusedWhileBusy(InfoLog& log) {
  log.HostLine(kProjectWhileBusy);
  ProjectFileRead r;
  r.Found = true;
  r.Message = kProjectWhileBusy;
  return r;
}
}  // namespace

ProjectFileRead Host::OpenProjectFromMenu() {
  if (AnyChannelBusy()) return RefusedWhileBusy(App.Log);
  ProjectFileRead r = korvel::OpenProjectFromMenu(*images_, ChipContext(), ProjectSourceName);
  RefreshJob();
  return r;
}

ProjectFileRead Host::OpenProjectFile(const std::string& path) {
  if (AnyChannelBusy()) return RefusedWhileBusy(App.Log);
  ProjectFileRead r = OpenProject(*images_, ChipContext(), ProjectSourceName, path);
  if (r.Result == kProjectOk) projectFile_ = std::filesystem::path(path).filename().string();
  RefreshJob();
  return r;
}

std::optional<std::string> Host::SelectChipByName(const std::string& name) {
  const ChipByName found = FindChipByName(name);
  if (!found.At.Found()) return found.Error;
  const ChipLocation at = found.At;
  ChipSelectModel dialog;
  dialog.Show(at.Stm32);
  dialog.SetFamily(at.Stm32);
  dialog.SelectSeries(at.Series);
  dialog.SelectChip(at.Index);
  ChipChangeContext ctx = ChipContext();
  ApplyChipDialogOk(ctx, dialog);
  return std::nullopt;
}

std::optional<std::string> Host::LoadObjectFileByName(const std::string& path, bool first) {
  if (!App.Flags.ChipSelected) return std::string(kSelectChipFirst);
  // The loader takes regular files only and says why it refuses any other,
  // so nothing is looked up here first; the name stays the bytes given.
  if (first) {
    ClearBuffersForOpen(Buffers, App.Flags.Stm32Family, Chip.FamilyCode);
    Buffers.ShowFileRange = true;
  }
  const ObjectLoad load = LoadObjectFile(*images_, path, true);
  UpdateEepWriteEnable(*images_);
  if (!load.Loaded) return load.Error;
  return std::nullopt;
}

}  // namespace korvel
