#include "app/CommandLine.h"

#include <algorithm>
#include <cctype>

#include "app/IntegerText.h"

namespace korvel {

namespace {

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return s;
}

}  // namespace

CommandLineResult ParseCommandLine(const std::vector<std::string>& args) {
  CommandLineResult r;
  CommandLine& c = r.Line;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0 || a == "--") {
      c.Positional.push_back(a);
      continue;
    }
    std::string name = a, value;
    bool hasValue = false;
    if (auto eq = a.find('='); eq != std::string::npos) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
      hasValue = true;
    }
    auto take = [&]() -> std::optional<std::string> {
      if (hasValue) return value;
      if (i + 1 < args.size()) return args[++i];
      r.Error = "option " + name + " needs a value";
      return std::nullopt;
    };
    if (name == "--echo-log") c.EchoLog = true;
    else if (name == "--help") c.Help = true;
    else if (name == "--exit") c.Exit = true;
    else if (name == "--allow-missing") c.AllowMissing = true;
    else if (name == "--simulate") {
      auto v = take();
      if (!v) return r;
      auto n = ParseInteger(*v);
      if (!n || *n < 1 || *n > 10) {
        r.Error = "--simulate takes a number of units from 1 to 10";
        return r;
      }
      c.Simulate = static_cast<int>(*n);
    } else if (name == "--sim-fault") {
      auto v = take();
      if (!v) return r;
      c.SimulateFaults.push_back(*v);
    } else if (name == "--chip") {
      auto v = take();
      if (!v) return r;
      c.Chip = *v;
    } else if (name == "--load") {
      auto v = take();
      if (!v) return r;
      c.Loads.push_back(*v);
    } else if (name == "--option") {
      auto v = take();
      if (!v) return r;
      c.OptionActions.push_back(*v);
    } else if (name == "--run") {
      auto v = take();
      if (!v) return r;
      if (!IsUnattendedOperation(*v)) {
        r.Error = "unknown operation \"" + *v + "\" for --run";
        return r;
      }
      c.Run = *v;
    } else {
      r.Error = "unknown option " + name;
      return r;
    }
  }
  // These only shape a --run; without one they would be dropped silently
  // (and --exit would leave a program nobody closes).
  if (c.Run.empty()) {
    for (auto [given, option] : {std::pair{c.Exit, "--exit"}, std::pair{!c.Chip.empty(), "--chip"},
                                 std::pair{!c.Loads.empty(), "--load"},
                                 std::pair{c.AllowMissing, "--allow-missing"},
                                 std::pair{!c.OptionActions.empty(), "--option"}}) {
      if (given) {
        r.Error = std::string(option) + " needs --run";
        return r;
      }
    }
  }
  if (!c.Positional.empty()) c.ProjectFile = c.Positional[0];
  if (c.Positional.size() >= 2 && Upper(c.Positional[1]) == "OFF") c.ExitAfterDownload = true;
  return r;
}

std::string UsageText(const std::string& program) {
  return "Usage: " + program + " [options] [PROJECT.PKV [OFF]]\n"
         "\n"
         "  PROJECT.PKV        load the project and download it to every programmer\n"
         "  OFF                with a project: close once every programmer downloaded;\n"
         "                     a project that cannot be read ends the program (64)\n"
         "\n"
         "Options:\n"
         "  --echo-log         print every information-log line on standard output\n"
         "  --simulate N       attach N simulated programmer units (1..10)\n"
         "  --sim-fault FAULT   give simulated units faults, e.g. 3:silent or *:wire\n"
         "                     (korvelsim --help lists every item)\n"
         "  --chip NAME        select the chip NAME (letter case does not matter\n"
         "                     when only one chip fits; korvelimg chips lists them)\n"
         "  --load FILE        load FILE as the object file; more --load add data\n"
         "  --run OP           run OP on every connected channel: download, auto,\n"
         "                     blank, erase, program or verify; at the end print one\n"
         "                     line per channel (channel, port, result, last message)\n"
         "                     and \"OK=n, NG=m.\" on standard output\n"
         "  --option ACTION    before the run, set an option byte as the chip's option\n"
         "                     editor would: NAME or NAME=VALUE, NAME a control of\n"
         "                     the editor (korvelimg options --chip NAME --controls)\n"
         "  --exit             close the program when the run has finished\n"
         "  --allow-missing    a listed unit that never answers is not a failure\n"
         "  --help             print this text\n"
         "\n"
         "Exit status of a --run with --exit: 0 when every channel succeeded, else\n"
         "the number of failed channels (a listed unit that never answered counts);\n"
         "64 when the command line, the chip name or a file is not usable or no\n"
         "unit was found, with the reason on standard error.\n"
         "\n"
         "With --run, --exit, --simulate or a project file and no display (neither\n"
         "DISPLAY nor WAYLAND_DISPLAY set) the program runs on Qt's offscreen\n"
         "platform by itself, unless QT_QPA_PLATFORM names one.\n";
}

bool IsUnattendedOperation(const std::string& op) {
  for (const char* known : {"download", "auto", "blank", "erase", "program", "verify"})
    if (op == known) return true;
  return false;
}

bool ChoosesOffscreenPlatform(const CommandLine& cmd, EnvironmentLookup env) {
  auto set = [env](const char* name) {
    const char* v = env(name);
    return v != nullptr && *v != '\0';
  };
  return cmd.Unattended() && !set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM");
}

}  // namespace korvel
