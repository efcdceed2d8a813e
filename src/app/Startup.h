#pragma once
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "app/AppState.h"
#include "app/CommandLine.h"
#include "app/GaugeLayout.h"
#include "app/OperatorPrompts.h"

namespace korvel {

// The result file of a command-line download; a stale one must not be taken
// for this run's result.
inline constexpr const char* kResultFileName = "ResDW.Txt";
inline constexpr const char* kFirmwareFileName = "TroxSTX.FWR";
inline constexpr const char* kHelloText = "Hello KorvelVatX-ST User! ------ ";

// The steps of showing the main window that belong to other subsystems or to
// the window itself. Any hook may be left empty.
struct StartupHooks {
  // Subsystems.
  std::function<void()> LoadLogConfig;
  std::function<void()> SetOptionByteDefaults;
  // Reads the connection settings and fills the port list; may change
  // ChannelCount and the port names.
  std::function<void()> ReadConnectionSettings;
  std::function<void(const std::string& path)> LoadFirmware;
  // The firmware image is absent: no firmware upgrade this run.
  std::function<void()> FirmwareMissing;
  // Sets the first-search flag that Timer2's first tick acts on.
  std::function<void()> ArmFirstSearch;

  // The window.
  std::function<void()> ShowFirstSettingsTab;  // PageControlSet page 0
  // ViewPageCtrl on "Chip Setting", the hex grids' widths and headers.
  std::function<void()> SetDisplayDefaults;
  // The gauge states already carry Visible and Top; the window places them
  // and sizes InfoMemo.
  std::function<void(const GaugeLayout&)> LayoutGauges;
  std::function<void()> EnableTimer2;
};

// What the main window does when it is first shown, in its order.
// currentDir becomes the application directory; the firmware image and the
// result file are looked up there.
void RunFormShow(AppState& app, OperatorPrompts& prompts, const CommandLine& cmd,
                 const std::string& currentDir, const StartupHooks& hooks);

// The menu entries that only an STM32 job offers.
void ApplyFamilyMenus(MainControls& controls, bool stm32);

// Gauges 1..Shown visible at the layout's tops, the others hidden.
GaugeLayout ApplyGaugeLayout(ChannelTable& channels, int channelCount);

// Positional arguments switch to command-line mode: a project file, then
// "OFF" in any case. The operation buttons go so nobody starts a second job
// over the unattended one.
void ApplyCommandLine(JobFlags& flags, MainControls& controls, const CommandLine& cmd);

// --help and unusable arguments end the program before any window opens.
// Returns the exit code then (0 for --help, 64 for a bad command line).
std::optional<int> CommandLineExit(const CommandLineResult& parsed, const std::string& program,
                                   std::ostream& out, std::ostream& err);

// Mirrors every log line to out as it is added, flushed line by line so a
// pipe reader sees it at once. Returns the listener id.
int EchoLog(InfoLog& log, std::ostream& out);

// Closes every open link of the table. A link that fails to close is
// reported in the log and the others still close.
void CloseOpenPorts(ChannelTable& channels, InfoLog& log);

struct ShutdownHooks {
  std::function<void()> ClosePorts;
  // The log writer's turn (the shutdown log).
  std::function<void()> FinishLog;
  // Asks the main window to close; closing runs FormClose.
  std::function<void()> CloseWindow;
};

// "退出", "E&xit", a stop signal and the window's own close all end here.
class ShutdownSequence {
 public:
  explicit ShutdownSequence(ShutdownHooks hooks) : hooks_(std::move(hooks)) {}

  // The exit button: the ports, then the window closes.
  void ExitClick();
  // The window closes: the ports, then the log writer. Runs once; later
  // calls do nothing.
  void FormClose();
  bool Closed() const { return closed_; }

 private:
  ShutdownHooks hooks_;
  bool closed_ = false;
};

}  // namespace korvel
