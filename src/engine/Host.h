#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/CommandLine.h"
#include "app/OperatorPrompts.h"
#include "app/Startup.h"
#include "engine/AttemptTracker.h"
#include "engine/ChipRecord.h"
#include "engine/FirmwareUpgrade.h"
#include "engine/JsonResults.h"
#include "engine/HostRequests.h"
#include "engine/JobView.h"
#include "engine/OperationDispatch.h"
#include "engine/ProjectLoad.h"
#include "engine/ProjectSave.h"
#include "engine/RandomSource.h"
#include "engine/SerialNumbers.h"
#include "engine/StepMachine.h"
#include "engine/UnattendedRun.h"
#include "logging/LogConfig.h"
#include "logging/LogFiles.h"
#include "optionbytes/OptionBuffer.h"
#include "protocol/ChannelHost.h"
#include "target/ChipChange.h"
#include "target/ChipInfo.h"
#include "target/ImageJob.h"
#include "target/MemoryBuffers.h"

namespace korvel {

class PortEnumerator;

struct HostOptions {
  // Makes the link of a channel (TComm on real ports; tests plug others).
  ChannelHost::LinkFactory Links;
  // Ports to use instead of ConfigTqz.ini and the enumeration (--simulate).
  std::optional<std::vector<std::string>> ExplicitPorts;
  PortEnumerator* Enumerator = nullptr;
};

// What the window (or the headless loop) does for the host.
struct HostWindowHooks {
  std::function<void()> FocusToolbar;
  // Closes the main window; closing ends the program through Shutdown().
  std::function<void()> CloseWindow;
  ImageViewHooks Views;
};

// The whole program without its window: the process-wide job, the ten
// channels and everything that runs on the UI thread between them. The Qt
// window, the headless command-line mode and the end-to-end tests all drive
// this one object, and only from the UI thread.
class Host {
 public:
  Host(const Clock& clock, OperatorPrompts& prompts, HostOptions options);
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  AppState App;
  ChipInfo Chip;
  MemoryBuffers Buffers;
  OptionBuffer Options{};
  LogConfigForm LogConfig;
  HostWindowHooks Window;
  // The name of the project the job came from (empty until one is opened);
  // a save stores it again.
  std::string ProjectSourceName;

  ChannelHost& Channels() { return *channels_; }
  OperationDispatch& Operations() { return *dispatch_; }
  StepMachine& Steps() { return *steps_; }
  ImageJob& Images() { return *images_; }
  SerialNumbers& Serials() { return *serials_; }
  ChipChangeContext ChipContext();
  OperatorPrompts& Prompts() { return prompts_; }
  RandomSource& Random() { return random_; }
  FirmwareUpgrade& Firmware() { return *firmware_; }

  // Whether any channel runs an operation.
  bool AnyChannelBusy() const;
  // "Start Off-Line Program"; returns the channels whose unit was told to
  // start. OfflineSettleMs is the wait after each port opens (tests: 0).
  std::vector<int> StartOffLineProgram();
  int OfflineSettleMs = 30;
  // Told the channels of every off-line start, from the menu or the command
  // line: their units work alone from then on.
  std::function<void(const std::vector<int>& channels)> OfflineStarted;
  // "Save to Project File" and "Load From Project File", dialog first.
  ProjectSaveResult SaveProjectFromMenu();
  ProjectFileRead OpenProjectFromMenu();
  // The save and the open of a named file, without a dialog. An open while
  // a channel is busy is refused (Found, result kProjectUnreadable).
  ProjectSaveResult SaveProjectFile(const std::string& path);
  ProjectFileRead OpenProjectFile(const std::string& path);

  // Start-up, in the window's order; the window adds its own steps.
  void FormShow(const CommandLine& cmd, const std::string& currentDir, StartupHooks windowSteps);
  void OnTimer1Tick();
  // Returns false when Timer2 is to stop.
  bool OnTimer2Tick();
  // The window closes: ports, then the shutdown log.
  void Shutdown();
  // The log writer's turn at shutdown.
  void FinishLog();

  // Chooses a chip by its listed name as the chip dialog's OK would;
  // returns the error text for a name that is in no list.
  std::optional<std::string> SelectChipByName(const std::string& name);
  // Loads an object file as "&Load Object File" (first) or "加载更多数据"
  // (later files) would, without a dialog. Returns the error text, naming
  // the file and its first bad line, when the job is left without a loaded
  // image (unreadable file, bad records, nothing for the chip).
  std::optional<std::string> LoadObjectFileByName(const std::string& path, bool first);
  // Applies option-editor actions (NAME or NAME=VALUE) to the job's option
  // bytes as the chip's editor would, then OK. Returns the error naming the
  // refused control.
  std::optional<std::string> ApplyOptionActions(const std::vector<std::string>& actions);
  // After the BlueTooth dialog of code 0xB8: the protection word into the
  // flash image, the views and the check values refreshed.
  void CopyOptionProtectionToImage();

  // Where a command-line run speaks to the terminal; either may be empty.
  struct CommandLineOutput {
    std::function<void(const std::string& reason)> Error;  // standard error
    std::function<void(const std::string& line)> Summary;  // standard output
  };
  // What the command line asks for once the window is shown: the project
  // download, the --save-project or the --run. Returns whether anything was
  // started or refused.
  bool StartCommandLine(const CommandLine& cmd, std::function<void(int)> quit, CommandLineOutput out = {});
  // Starts the --chip/--load/--run run; false when the command line does
  // not ask for one. The run quits through quit(exitCode).
  bool StartUnattended(const CommandLine& cmd, std::function<void(int)> quit, CommandLineOutput out = {});
  // The project argument: opens it now and downloads it once the search has
  // settled, as an unattended "download" with its summary. A file that
  // cannot be used, or no unit, ends the program with 64 under "OFF" or
  // --exit; otherwise the program stays open. With --exit it quits with the
  // run's status, and under "OFF" the success closes it (ResDW.Txt).
  bool StartProjectDownload(const CommandLine& cmd, std::function<void(int)> quit, CommandLineOutput out = {});
  // --save-project: chip, files, then the project file; no unit is needed.
  // With --exit it quits with 0, or 64 with the reason on Error.
  bool StartProjectSave(const CommandLine& cmd, std::function<void(int)> quit, CommandLineOutput out = {});
  UnattendedRun* Unattended() { return unattended_.get(); }
  // Every channel operation as it ends, and the chips units report.
  AttemptTracker& Attempts() { return *attempts_; }
  // The chip record; null until the log configuration was loaded.
  ChipRecord* Record() { return record_.get(); }

  // The job as the requests see it, taken from the buffers and settings.
  void RefreshJob();
  const JobView& Job() const { return job_; }

 private:
  void CheckCommandLineExit();
  // --auto-detect, --offline-steps and what --run offline implies.
  void ApplyJobOptions(const CommandLine& cmd);
  // A listed unit that never answers is not held against a run: asked for,
  // or the ports were enumerated rather than named for units.
  bool MissingUnitsAllowed(const CommandLine& cmd) const;
  // Selects the chip of --chip and applies the --sn options to it.
  std::optional<std::string> SelectCommandLineChip(const std::string& name, const SerialOptions& serial);
  // What every command-line run does through the host.
  UnattendedRun::Actions RunActions(std::function<void(int)> quit, CommandLineOutput out);
  // --json: the results go to the summary output as JSON lines.
  void StartJson(const CommandLine& cmd, const CommandLineOutput& out);
  AttemptJob JobForAttempt() const;

  const Clock& clock_;
  OperatorPrompts& prompts_;
  JobView job_;
  StdRandomSource random_;
  std::unique_ptr<ChannelHost> channels_;
  std::unique_ptr<HostRequests> requests_;
  std::unique_ptr<StepMachine> steps_;
  std::unique_ptr<OperationDispatch> dispatch_;
  std::unique_ptr<ImageJob> images_;
  std::unique_ptr<SerialNumbers> serials_;
  std::unique_ptr<FirmwareUpgrade> firmware_;
  std::unique_ptr<LogFiles> logFiles_;
  std::unique_ptr<UnattendedRun> unattended_;
  std::unique_ptr<JsonResults> json_;
  std::unique_ptr<ChipRecord> record_;
  bool noRecord_ = false;
  // The file name of the last project opened by name.
  std::string projectFile_;
  OptionBuffer defaultTable_{};
  bool resultWritten_ = false;
  bool searchStarted_ = false;
  bool explicitPorts_ = false;  // --simulate gave the ports
  bool allowMissing_ = false;
  // Last, so that it is gone before what its listeners write to.
  std::unique_ptr<AttemptTracker> attempts_;
};

}  // namespace korvel
