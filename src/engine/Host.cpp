#include "engine/Host.h"

#include <filesystem>
#include <fstream>

#include "app/ChannelOps.h"
#include "engine/AutoProgress.h"
#include "engine/ChannelErrors.h"
#include "engine/ChipByName.h"
#include "optionbytes/OptionChecksums.h"
#include "optionbytes/OptionDefaults.h"
#include "optionbytes/OptionDisplay.h"
#include "optionbytes/OptionReadBack.h"
#include "serial/ConnectionSettings.h"
#include "target/ChecksumReport.h"
#include "target/Checksums.h"
#include "target/ChipSelect.h"
#include "target/ChipSeries.h"
#include "target/ImageCommands.h"
#include "target/ImageLoading.h"

namespace korvel {

namespace fs = std::filesystem;

Host::Host(const Clock& clock, OperatorPrompts& prompts, HostOptions options)
    : App(clock), prompts_(prompts) {
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
  steps.OtpChecksum = [](std::span<const uint8_t> otp) {
    return otp.empty() ? uint16_t{0} : SumValue(otp, 0, static_cast<uint32_t>(otp.size() - 1));
  };
  steps_ = std::make_unique<StepMachine>(App, job_, WritableImages{Buffers.Main, Buffers.Data},
                                         *requests_, prompts_, std::move(steps));

  DispatchHooks ops;
  ops.CaptureContext = [this] { return CaptureContext(); };
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
  dispatch_ = std::make_unique<OperationDispatch>(App, job_, *steps_, prompts_, std::move(ops));

  // The window sets its view hooks after the host exists: look them up late.
  ImageViewHooks views;
  views.FlashViewChanged = [this] { if (Window.Views.FlashViewChanged) Window.Views.FlashViewChanged(); };
  views.DataViewChanged = [this] { if (Window.Views.DataViewChanged) Window.Views.DataViewChanged(); };
  views.ShowFlashTab = [this] { if (Window.Views.ShowFlashTab) Window.Views.ShowFlashTab(); };
  views.ProductNameChanged = [this](const std::string& name) {
    job_.ProductName = name;
    if (Window.Views.ProductNameChanged) Window.Views.ProductNameChanged(name);
  };
  images_ = std::make_unique<ImageJob>(ImageJob{App, Chip, Buffers, Options, prompts_, {}, views});

  ChannelHandlers& h = channels_->Handlers;
  h.OnReply = [this](int ch, uint8_t status, std::span<const uint8_t> packet) {
    steps_->OnReply(ch, status, packet);
    return true;
  };
  h.OnProgress = [this](int ch, std::span<const uint8_t> packet) {
    HandleAutoProgress(App, ch, packet, [this] {
      if (logFiles_) logFiles_->PeriodicSave();
    });
  };
  h.OnFault = [this](int ch, uint8_t code, bool running) {
    if (running)
      ReportChannelError(App, prompts_, ch, code);
    else
      ChannelInfo(App.Log, ch, ChannelErrorText(code));
  };
  h.OnAllDevicesFound = [this] { OnAllDevicesFound(); };
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

CaptureChip Host::CaptureContext() const {
  CaptureChip c;
  c.HasEep = Chip.EepSize != 0;
  const ChipInfo chip = Chip;
  const bool stm32 = App.Flags.Stm32Family;
  // A serial number written into the data memory needs the EEP writing.
  c.SnAddressInDataMemory = [chip, stm32](uint32_t a) {
    if (chip.BlueNrgMode) return chip.EepBase <= a && a < chip.EepEnd;
    if (stm32) return chip.FamilyCode >= 0x20 && chip.FamilyCode <= 0x2F && a >= chip.EepBase;
    return a < chip.FlashBase;
  };
  return c;
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
  cmd_ = cmd;
  steps.LoadLogConfig = [this] {
    LoadLogConfig(LogConfig, LogConfigPath(App.Flags.AppDir));
    logFiles_ = std::make_unique<LogFiles>(App.Flags.AppDir, App.Log, prompts_, LogConfig);
  };
  steps.SetOptionByteDefaults = [this] { ResetOptionBuffer(Options, Chip, App.Flags.Stm32Family); };
  steps.ReadConnectionSettings = [this] { channels_->ReadConnectionSettings(); };
  RunFormShow(App, prompts_, cmd, currentDir, steps);
}

void Host::OnTimer1Tick() {
  channels_->OnTimer1Tick();
  CheckCommandLineExit();
  if (unattended_) unattended_->OnTick();
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

void Host::CheckCommandLineExit() {
  const JobFlags& f = App.Flags;
  if (!f.ExitAfterDownload || resultWritten_ || f.DownloadsDone == 0 || f.DownloadsDone != f.DevicesFound)
    return;
  resultWritten_ = true;
  std::ofstream(fs::path(f.AppDir) / kResultFileName, std::ios::trunc) << "Download Success\r\n";
  if (Window.CloseWindow) Window.CloseWindow();
}

void Host::OnAllDevicesFound() {
  if (!App.Flags.CommandLineMode || cmd_.ProjectFile.empty()) return;
  std::error_code ec;
  if (!fs::exists(cmd_.ProjectFile, ec)) {
    const std::string text = "File of " + cmd_.ProjectFile + " is not found!";
    App.Log.HostLine(text);
    prompts_.Message(PromptKind::Information, text);
    return;
  }
  // Project files are read by a later version; say so instead of
  // downloading a job nobody loaded.
  App.Log.HostLine("Project file " + cmd_.ProjectFile + " cannot be read by this version");
}

std::optional<std::string> Host::ProjectProblem(const std::string& path) const {
  std::error_code ec;
  if (!fs::exists(path, ec)) return "File of " + path + " is not found!";
  if (!fs::is_regular_file(path, ec) || !std::ifstream(path, std::ios::binary))
    return "File of " + path + " cannot be opened";
  // Project files are read by a later version.
  return "Project file " + path + " cannot be read by this version";
}

bool Host::StartCommandLine(const CommandLine& cmd, std::function<void(int)> quit, CommandLineOutput out) {
  if (cmd.HasProject() && cmd.ExitAfterDownload) {
    // With "OFF" nobody is there to close a program whose download never
    // starts: it would wait for ever.
    if (auto problem = ProjectProblem(cmd.ProjectFile)) {
      App.Log.HostLine(*problem);
      if (out.Error) out.Error(*problem);
      if (quit) quit(UnattendedRun::kUsageError);
      return true;
    }
  }
  return StartUnattended(cmd, std::move(quit), std::move(out));
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

bool Host::StartUnattended(const CommandLine& cmd, std::function<void(int)> quit, CommandLineOutput out) {
  if (cmd.Run.empty()) return false;
  UnattendedRun::Actions a;
  a.SelectChip = [this](const std::string& name) { return SelectChipByName(name); };
  a.LoadFile = [this](const std::string& file, bool first) { return LoadObjectFileByName(file, first); };
  if (!cmd.OptionActions.empty())
    a.ApplyOptions = [this, actions = cmd.OptionActions] { return ApplyOptionActions(actions); };
  a.Run = [this](const std::string& op) {
    OperationDispatch& d = *dispatch_;
    if (op == "download") return d.Download();
    if (op == "auto") return d.Auto();
    if (op == "blank") return d.BlankCheck();
    if (op == "erase") return d.Erase();
    if (op == "program") return d.Program();
    if (op == "verify") return d.Verify();
    return 0;
  };
  a.ListedPorts = [this] { return int(App.Flags.ChannelCount); };
  a.PortName = [this](int ch) { return channels_->PortName(ch); };
  a.Quit = std::move(quit);
  a.Error = std::move(out.Error);
  a.Summary = std::move(out.Summary);
  // A unit is expected only where a port was named for it (--simulate or
  // ConfigTqz.ini); an enumerated USB serial port may be anything else.
  std::error_code ec;
  const bool listed = explicitPorts_ || fs::exists(fs::path(App.Flags.AppDir) / kConnectionFile, ec);
  unattended_ = std::make_unique<UnattendedRun>(App, std::move(a), cmd.Chip, cmd.Loads, cmd.Run, cmd.Exit,
                                                cmd.AllowMissing || !listed);
  if (unattended_->Prepare() && searchStarted_) unattended_->SearchStarted();
  return true;
}

}  // namespace korvel
