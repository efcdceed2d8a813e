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
    } else if (name == "--run") {
      auto v = take();
      if (!v) return r;
      c.Run = *v;
    } else {
      r.Error = "unknown option " + name;
      return r;
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
         "  OFF                with a project: close once every programmer downloaded\n"
         "\n"
         "Options:\n"
         "  --echo-log         print every information-log line on standard output\n"
         "  --simulate N       attach N simulated programmer units (1..10)\n"
         "  --sim-fault FAULT   give simulated units faults, e.g. 3:silent or *:wire\n"
         "                     (korvelsim --help lists every item)\n"
         "  --chip NAME        select the chip NAME\n"
         "  --load FILE        load FILE as the object file; more --load add data\n"
         "  --run OP           run OP on every connected channel: download, auto,\n"
         "                     blank, erase, program or verify\n"
         "  --exit             close the program when the run has finished\n"
         "  --help             print this text\n";
}

}  // namespace korvel
