#include "app/Startup.h"

#include <filesystem>
#include <ostream>

#include "app/JobReset.h"
#include "app/Link.h"

namespace korvel {

namespace {

void Call(const std::function<void()>& hook) {
  if (hook) hook();
}

std::string WithoutTrailingSlash(std::string dir) {
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

}  // namespace

void ApplyFamilyMenus(MainControls& c, bool stm32) {
  c.Action("ReadSTM32xChipID1").Visible = stm32;
  for (const char* name :
       {"BlankCheck1", "EraseChip1", "WriteOTPMemory1", "ReadOTPMemory1", "VerifyOTPMemory1"})
    c.Action(name).Enabled = stm32;
}

GaugeLayout ApplyGaugeLayout(ChannelTable& channels, int channelCount) {
  GaugeLayout layout = GaugeLayoutFor(channelCount);
  for (int i = 0; i < kChannelCount; ++i) {
    GaugeState& g = channels[i].Gauge;
    g.Visible = i < layout.Shown;
    if (g.Visible) g.Top = layout.Tops[i];
  }
  return layout;
}

void ApplyCommandLine(JobFlags& flags, MainControls& controls, const CommandLine& cmd) {
  if (cmd.Positional.empty()) {
    flags.CommandLineMode = false;
    return;
  }
  flags.DownloadsDone = 0;
  flags.CommandLineMode = true;
  flags.ExitAfterDownload = cmd.ExitAfterDownload;
  for (const char* name : kCommandLineHiddenButtons) controls.Action(name).Visible = false;
}

void RunFormShow(AppState& app, OperatorPrompts& prompts, const CommandLine& cmd,
                 const std::string& currentDir, const StartupHooks& hooks) {
  namespace fs = std::filesystem;
  JobFlags& flags = app.Flags;
  MainControls& controls = app.Controls;

  flags.AppDir = WithoutTrailingSlash(currentDir);
  Call(hooks.ShowFirstSettingsTab);
  Call(hooks.LoadLogConfig);

  std::error_code ec;
  fs::remove(fs::path(flags.AppDir) / kResultFileName, ec);

  flags.DevicesFound = 0;

  Call(hooks.SetDisplayDefaults);
  controls.EnWrtEep.Checked = false;
  ApplyFamilyMenus(controls, flags.Stm32Family);

  Call(hooks.SetOptionByteDefaults);
  ResetJobState(flags, app.Settings, app.Channels);
  // Every unit is due for the firmware check until it identifies itself;
  // the reset must not wipe that.
  for (ChannelState& ch : app.Channels) ch.UpgradePending = true;
  controls.StatusPanels[3] = "联机计数器：0";
  Call(hooks.ShowFirstSettingsTab);
  Call(hooks.ReadConnectionSettings);

  GaugeLayout layout = ApplyGaugeLayout(app.Channels, flags.ChannelCount);
  if (hooks.LayoutGauges) hooks.LayoutGauges(layout);
  controls.Changed();

  app.Log.HostLine(std::string(kHelloText) + app.Log.clock().DateText());

  const fs::path firmware = fs::path(flags.AppDir) / kFirmwareFileName;
  const bool firmwareMissing = !fs::exists(firmware, ec);
  if (firmwareMissing) {
    Call(hooks.FirmwareMissing);
    app.Log.HostLine("File of \"TroxSTX.FWR\" not Found!");
  } else if (hooks.LoadFirmware) {
    hooks.LoadFirmware(firmware.string());
  }

  ApplyCommandLine(flags, controls, cmd);
  controls.Changed();

  Call(hooks.ArmFirstSearch);
  Call(hooks.EnableTimer2);
  // The notice waits for the operator; the device search does not wait
  // for the notice (Timer2 ticks while the box is open).
  if (firmwareMissing) prompts.Message(PromptKind::Warning, "文件\"TroxSTX.FWR\"没有找到，请确认！");
}

std::optional<int> CommandLineExit(const CommandLineResult& parsed, const std::string& program,
                                   std::ostream& out, std::ostream& err) {
  if (parsed.Error) {
    err << program << ": " << *parsed.Error << "\n\n" << UsageText(program);
    err.flush();
    return 64;
  }
  if (parsed.Line.Help) {
    out << UsageText(program);
    out.flush();
    return 0;
  }
  return std::nullopt;
}

int EchoLog(InfoLog& log, std::ostream& out) {
  InfoLog::Listener l;
  l.LineAdded = [&out](const std::string& line) { out << line << std::endl; };
  return log.AddListener(std::move(l));
}

void CloseOpenPorts(ChannelTable& channels, InfoLog& log) {
  for (int i = 0; i < kChannelCount; ++i) {
    Link* port = channels[i].Port;
    if (!port || !port->IsOpen()) continue;
    try {
      port->ClosePort();
    } catch (const std::exception& e) {
      log.ChannelLine(i, e.what());
    }
  }
}

void ShutdownSequence::ExitClick() {
  if (closed_) return;
  Call(hooks_.ClosePorts);
  if (hooks_.CloseWindow) hooks_.CloseWindow();
  else FormClose();
}

void ShutdownSequence::FormClose() {
  if (closed_) return;
  closed_ = true;
  Call(hooks_.ClosePorts);
  Call(hooks_.FinishLog);
}

}  // namespace korvel
