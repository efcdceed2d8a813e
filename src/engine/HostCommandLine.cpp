// What the command line asks of the host once the window is shown: the
// download of a project argument, --save-project and the --run.
#include <filesystem>

#include "engine/Host.h"
#include "engine/OfflineConfig.h"
#include "engine/ProductionCounters.h"
#include "serial/ConnectionSettings.h"
#include "target/ImageFile.h"
#include "target/SerialControls.h"

namespace korvel {

namespace fs = std::filesystem;

bool Host::StartCommandLine(const CommandLine& cmd, std::function<void(int)> quit, CommandLineOutput out) {
  StartJson(cmd, out);
  if (!cmd.SaveProject.empty()) return StartProjectSave(cmd, std::move(quit), std::move(out));
  if (cmd.HasProject()) return StartProjectDownload(cmd, std::move(quit), std::move(out));
  return StartUnattended(cmd, std::move(quit), std::move(out));
}

bool Host::StartProjectDownload(const CommandLine& cmd, std::function<void(int)> quit, CommandLineOutput out) {
  if (!cmd.HasProject()) return false;
  allowMissing_ = MissingUnitsAllowed(cmd);
  // Nobody is there to close a program under "OFF" or --exit whose
  // download never starts: it ends with 64 instead of waiting for ever.
  const bool mustEnd = cmd.ExitAfterDownload || cmd.Exit;
  const std::string& path = cmd.ProjectFile;
  const ProjectFileRead read = OpenProjectFile(path);
  std::optional<std::string> problem;
  if (!read.Found) {
    problem = "File of " + path + " is not found!";
    App.Log.HostLine(*problem);
    prompts_.Message(PromptKind::Information, *problem);
  } else if (read.Result != kProjectOk) {
    // The open logged its message; the terminal also gets the file's name.
    problem = read.Result == kProjectUnreadable ? read.Message : path + ": " + read.Message;
  }
  if (problem) {
    if (mustEnd) {
      if (out.Error) out.Error(*problem);
      if (json_) json_->Summary(RunSummary{"download", {}, 0, 0, false, UnattendedRun::kUsageError, *problem});
      if (quit) quit(UnattendedRun::kUsageError);
    }
    return true;
  }
  UnattendedRun::Actions a = RunActions(std::move(quit), std::move(out));
  a.Run = [this](const std::string&) { return dispatch_->DownloadProject(); };
  unattended_ = std::make_unique<UnattendedRun>(App, std::move(a), std::string(), std::vector<std::string>{},
                                                "download", cmd.Exit, allowMissing_);
  unattended_->QuitOnRefusal(cmd.ExitAfterDownload);
  if (unattended_->Prepare() && searchStarted_) unattended_->SearchStarted();
  return true;
}

bool Host::StartProjectSave(const CommandLine& cmd, std::function<void(int)> quit, CommandLineOutput out) {
  if (cmd.SaveProject.empty()) return false;
  auto end = [&](const std::optional<std::string>& error) {
    if (error) {
      App.Log.HostLine(*error);
      if (out.Error) out.Error(*error);
    }
    if (cmd.Exit && quit) quit(error ? UnattendedRun::kUsageError : 0);
    return true;
  };
  if (auto error = SelectCommandLineChip(cmd.Chip, cmd.Serial)) return end(error);
  ApplyJobOptions(cmd);
  for (size_t i = 0; i < cmd.Loads.size(); ++i)
    if (auto error = LoadObjectFileByName(cmd.Loads[i], i == 0)) return end(error);
  if (!cmd.OptionActions.empty())
    if (auto error = ApplyOptionActions(cmd.OptionActions)) return end(error);
  const ProjectSaveResult saved = SaveProjectFile(cmd.SaveProject);
  return end(saved.Saved ? std::nullopt : std::optional<std::string>(saved.Message));
}

std::optional<std::string> Host::SelectCommandLineChip(const std::string& name, const SerialOptions& serial) {
  if (auto error = SelectChipByName(name)) return error;
  // The serial-number address is checked against the chip just selected.
  if (!serial.On) return std::nullopt;
  return ApplySerialOptions(App.Controls, App.Settings, Chip, serial);
}

void Host::CheckCommandLineExit() {
  const JobFlags& f = App.Flags;
  if (!f.ExitAfterDownload || resultWritten_ || f.DownloadsDone == 0 || f.DownloadsDone != f.DevicesFound)
    return;
  // The download no longer waits for a listed unit that never answers; its
  // chips would then go without the job while the result file says
  // success. So a missing unit keeps the program open, as a failed download
  // does, unless missing units are allowed.
  if (!allowMissing_ && f.DevicesFound < f.ChannelCount) return;
  resultWritten_ = true;
  // A result file that could not be written must not close the program as
  // if the line had its job: the script would find no success to read.
  const std::string path = (fs::path(f.AppDir) / kResultFileName).string();
  const WriteResult written = WriteFileBytes(path, "Download Success\r\n");
  if (!written.Ok) {
    App.Log.HostLine(path + ": " + written.Error);
    return;
  }
  if (Window.CloseWindow) Window.CloseWindow();
}

bool Host::MissingUnitsAllowed(const CommandLine& cmd) const {
  // A unit is expected only where a port was named for it (--simulate or
  // ConfigTqz.ini); an enumerated USB serial port may be anything else.
  std::error_code ec;
  const bool listed = explicitPorts_ || fs::exists(fs::path(App.Flags.AppDir) / kConnectionFile, ec);
  return cmd.AllowMissing || !listed;
}

UnattendedRun::Actions Host::RunActions(std::function<void(int)> quit, CommandLineOutput out) {
  UnattendedRun::Actions a;
  a.SelectChip = [this](const std::string& name) { return SelectChipByName(name); };
  a.LoadFile = [this](const std::string& file, bool first) { return LoadObjectFileByName(file, first); };
  a.ListedPorts = [this] { return int(App.Flags.ChannelCount); };
  a.PortName = [this](int ch) { return channels_->PortName(ch); };
  a.SameDeviceAs = [this](int ch) { return channels_->SameDeviceAs(ch); };
  a.Quit = std::move(quit);
  a.Error = std::move(out.Error);
  if (!json_) {
    a.Summary = std::move(out.Summary);
    return a;
  }
  a.Summarised = [this](const RunSummary& s) { json_->Summary(s); };
  a.SearchSettled = [this](int listed) {
    for (int ch = 0; ch < listed; ++ch) {
      const ChannelState& c = App.Channels[ch];
      json_->Search(ch, channels_->PortName(ch), c.Connected, c.UnitName);
    }
  };
  return a;
}

void Host::StartJson(const CommandLine& cmd, const CommandLineOutput& out) {
  // Only a run has results to give; the command line refuses --json
  // elsewhere.
  if (!cmd.Json || json_ || !out.Summary) return;
  json_ = std::make_unique<JsonResults>(clock_, out.Summary);
}

bool Host::StartUnattended(const CommandLine& cmd, std::function<void(int)> quit, CommandLineOutput out) {
  if (cmd.Run.empty()) return false;
  UnattendedRun::Actions a = RunActions(std::move(quit), std::move(out));
  a.SelectChip = [this, serial = cmd.Serial](const std::string& name) {
    return SelectCommandLineChip(name, serial);
  };
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
    if (op == "offline") return d.Download();
    if (op == "upgrade") return firmware_->MenuClick(false);
    return 0;
  };
  if (cmd.Run == "upgrade") {
    const int searches = firmware_->SearchesAfterUpgrade();
    a.UnitsSearchedAgain = [this, searches] { return firmware_->SearchesAfterUpgrade() > searches; };
  }
  a.StartOffline = [this] { return StartOffLineProgram(); };
  ApplyJobOptions(cmd);
  allowMissing_ = MissingUnitsAllowed(cmd);
  unattended_ = std::make_unique<UnattendedRun>(App, std::move(a), cmd.Chip, cmd.Loads, cmd.Run, cmd.Exit,
                                                allowMissing_);
  if (cmd.Listen) unattended_->ListenFor(*cmd.Listen);
  if (unattended_->Prepare() && searchStarted_) unattended_->SearchStarted();
  return true;
}

void Host::ApplyJobOptions(const CommandLine& cmd) {
  MainControls& c = App.Controls;
  // Units running alone program only the chips they detect.
  if (cmd.AutoDetect || cmd.Run == "offline") {
    c.ChkBoxAuto.Checked = true;
    OnChkBoxAutoClick(c);
  }
  if (cmd.Steps) ApplyOfflineSteps(*cmd.Steps, App.Settings, c);
  c.Changed();
}

}  // namespace korvel
