#pragma once
#include <optional>
#include <string>
#include <vector>

namespace korvel {

// The program's command line. Positional arguments keep their historical
// meaning (a project file, then "OFF" in any case); options begin with "--".
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

  bool HasProject() const { return !ProjectFile.empty(); }
};

struct CommandLineResult {
  CommandLine Line;
  std::optional<std::string> Error;  // set when the arguments are not usable
};

// args excludes the program name.
CommandLineResult ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText(const std::string& program);

}  // namespace korvel
