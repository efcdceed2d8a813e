#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/OfflineSteps.h"

namespace korvel {

// The program's command line. Positional arguments keep their historical
// meaning (a project file, then "OFF" in any case); options begin with "--".
// Serial numbers asked for on the command line: they set the window's
// serial-number controls before the run.
struct SerialOptions {
  bool On = false;                 // --sn VALUE: on-line serial numbers on
  uint32_t Value = 0;
  std::optional<uint16_t> Step;    // --sn-step N
  std::optional<uint32_t> Address; // --sn-address ADDR
  bool Decimal = false;            // --sn-decimal
  bool Ascii = false;              // --sn-ascii
  bool LsbFirst = false;           // --sn-lsb-first
};

struct CommandLine {
  std::vector<std::string> Positional;
  std::string ProjectFile;       // first positional argument
  bool ExitAfterDownload = false;  // second positional argument is "OFF"
  bool EchoLog = false;
  bool Help = false;
  int Simulate = 0;              // --simulate N: N in-process simulated units
  std::vector<std::string> SimulateFaults;  // --sim-fault FAULT (repeatable)
  std::string Chip;              // --chip NAME
  std::vector<std::string> Loads;  // --load FILE (repeatable)
  std::string Run;               // --run OP
  bool Exit = false;             // --exit
  bool AllowMissing = false;     // --allow-missing: silent listed units are no failure
  std::string SaveProject;       // --save-project OUT.PKV: the job of --chip/--load as a project
  SerialOptions Serial;
  std::vector<std::string> OptionActions;  // --option ACTION (repeatable)
  bool AutoDetect = false;       // --auto-detect: ticks ChkBoxAuto
  std::optional<OfflineSteps> Steps;  // --offline-steps LIST
  std::optional<int> Listen;     // --listen SECONDS (with --run offline)
  // Port commands: each ends the program before any window or unit.
  bool ListPorts = false;        // --list-ports: the USB serial ports and their channels
  bool WriteConfig = false;      // --write-config: ConfigTqz.ini from the ports found now
  bool Json = false;             // --json: results as JSON lines on standard output
  bool NoRecord = false;         // --no-record: no rows in the chip record

  bool HasProject() const { return !ProjectFile.empty(); }
  // Runs that need nobody at a screen: they must start without a display.
  bool Unattended() const {
    return !Run.empty() || Exit || HasProject() || Simulate > 0 || !SaveProject.empty();
  }
};

// The longest --listen: a day.
inline constexpr int kMaxListenSeconds = 86400;

struct CommandLineResult {
  CommandLine Line;
  std::optional<std::string> Error;  // set when the arguments are not usable
};

// args excludes the program name.
CommandLineResult ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText(const std::string& program);

// The operations --run accepts.
bool IsUnattendedOperation(const std::string& op);

// Reads an environment variable; nullptr when unset.
using EnvironmentLookup = const char* (*)(const char* name);

// Whether the program is to pick Qt's "offscreen" platform by itself: an
// unattended command line, no display (neither DISPLAY nor WAYLAND_DISPLAY
// set) and no platform chosen by the user (QT_QPA_PLATFORM). An empty
// variable counts as unset.
bool ChoosesOffscreenPlatform(const CommandLine& cmd, EnvironmentLookup env);

}  // namespace korvel
