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

// Options that only shape a run, a save or a project download are refused
// without one: dropped silently they would let a script believe something
// ran (and --exit alone would leave a program nobody closes). Two jobs on
// one line would leave the script guessing which one the status is about.
std::optional<std::string> UnusableCombination(const CommandLine& c) {
  const bool run = !c.Run.empty(), save = !c.SaveProject.empty(), project = !c.Positional.empty();
  if (run && save) return std::string("--save-project and --run do not go together");
  // The port commands stand alone: a run would hold the ports they look at.
  if (c.ListPorts && c.WriteConfig) return std::string("--list-ports and --write-config do not go together");
  if (c.ListPorts || c.WriteConfig) {
    const char* other = run ? "--run" : save ? "--save-project" : project ? "a project file"
                      : c.Simulate > 0 ? "--simulate" : nullptr;
    if (other) return std::string(c.ListPorts ? "--list-ports" : "--write-config") + " does not go with " + other;
  }
  if (project && (run || save))
    return std::string("a project file does not go with ") + (run ? "--run" : "--save-project");
  if (save && (c.Chip.empty() || c.Loads.empty())) return std::string("--save-project needs --chip and --load");
  struct Need {
    bool Given;
    bool Allowed;
    const char* Text;
  };
  const Need needs[] = {
      {c.Exit, run || save || project, "--exit needs --run, --save-project or a project file"},
      {!c.Chip.empty(), run || save, "--chip needs --run or --save-project"},
      {!c.Loads.empty(), run || save, "--load needs --run or --save-project"},
      {c.AllowMissing, run || project, "--allow-missing needs --run or a project file"},
      {c.Serial.On, run || save, "--sn needs --run or --save-project"},
      {!c.OptionActions.empty(), run || save, "--option needs --run or --save-project"},
      {c.AutoDetect, run || save, "--auto-detect needs --run or --save-project"},
      {c.Steps.has_value(), run || save, "--offline-steps needs --run or --save-project"},
      {c.Listen.has_value(), c.Run == "offline", "--listen needs --run offline"},
      {c.Json, run || project, "--json needs --run or a project file"},
  };
  for (const Need& n : needs)
    if (n.Given && !n.Allowed) return std::string(n.Text);
  return std::nullopt;
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
    else if (name == "--auto-detect") c.AutoDetect = true;
    else if (name == "--list-ports") c.ListPorts = true;
    else if (name == "--write-config") c.WriteConfig = true;
    else if (name == "--json") c.Json = true;
    else if (name == "--no-record") c.NoRecord = true;
    else if (name == "--offline-steps") {
      auto v = take();
      if (!v) return r;
      std::string error;
      c.Steps = ParseOfflineSteps(*v, error);
      if (!c.Steps) {
        r.Error = error;
        return r;
      }
    } else if (name == "--listen") {
      auto v = take();
      if (!v) return r;
      auto n = ParseInteger(*v);
      if (!n || *n < 0 || *n > kMaxListenSeconds) {
        r.Error = "--listen takes a number of seconds from 0 to " + std::to_string(kMaxListenSeconds);
        return r;
      }
      c.Listen = static_cast<int>(*n);
    }
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
    } else if (name == "--save-project") {
      auto v = take();
      if (!v) return r;
      if (v->empty()) {
        r.Error = "--save-project needs a file name";
        return r;
      }
      c.SaveProject = *v;
    } else if (name == "--sn" || name == "--sn-address") {
      auto v = take();
      if (!v) return r;
      auto n = ParseUnsigned32(*v);
      if (!n) {
        r.Error = name + " takes a 32-bit number (decimal, or hexadecimal with 0x), not \"" + *v + "\"";
        return r;
      }
      if (name == "--sn") {
        c.Serial.On = true;
        c.Serial.Value = *n;
      } else {
        c.Serial.Address = *n;
      }
    } else if (name == "--sn-step") {
      auto v = take();
      if (!v) return r;
      auto n = ParseInteger(*v);
      if (!n || *n < 1 || *n > 0xFFFF) {
        r.Error = "--sn-step takes a step from 1 to 65535, not \"" + *v + "\"";
        return r;
      }
      c.Serial.Step = static_cast<uint16_t>(*n);
    } else if (name == "--sn-decimal") c.Serial.Decimal = true;
    else if (name == "--sn-ascii") c.Serial.Ascii = true;
    else if (name == "--sn-lsb-first") c.Serial.LsbFirst = true;
    else {
      r.Error = "unknown option " + name;
      return r;
    }
  }
  // The other serial-number options shape what --sn turns on.
  if (!c.Serial.On) {
    for (auto [given, option] : {std::pair{c.Serial.Step.has_value(), "--sn-step"},
                                 std::pair{c.Serial.Address.has_value(), "--sn-address"},
                                 std::pair{c.Serial.Decimal, "--sn-decimal"},
                                 std::pair{c.Serial.Ascii, "--sn-ascii"},
                                 std::pair{c.Serial.LsbFirst, "--sn-lsb-first"}}) {
      if (given) {
        r.Error = std::string(option) + " needs --sn";
        return r;
      }
    }
  } else if (c.Chip.empty() && (!c.Run.empty() || !c.SaveProject.empty())) {
    // The address is checked against the chip before anything runs.
    r.Error = "--sn needs --chip";
    return r;
  }
  if (auto error = UnusableCombination(c)) r.Error = error;
  if (!c.Positional.empty()) c.ProjectFile = c.Positional[0];
  if (c.Positional.size() >= 2 && Upper(c.Positional[1]) == "OFF") c.ExitAfterDownload = true;
  return r;
}

std::string UsageText(const std::string& program) {
  return "Usage: " + program + " [options] [PROJECT.PKV [OFF]]\n"
         "\n"
         "  PROJECT.PKV        load the project and download it to every programmer\n"
         "                     once the search has settled (every listed unit found,\n"
         "                     or 3 s)\n"
         "  OFF                with a project: write \"Download Success\" to ResDW.Txt\n"
         "                     and close once every listed programmer downloaded; a\n"
         "                     project that cannot be read or no unit found ends the\n"
         "                     program (64)\n"
         "\n"
         "Options:\n"
         "  --echo-log         print every information-log line on standard output\n"
         "                     (on standard error with --json)\n"
         "  --simulate N       attach N simulated programmer units (1..10)\n"
         "  --sim-fault FAULT   give simulated units faults, e.g. 3:silent or *:wire\n"
         "                     (korvelsim --help lists every item)\n"
         "  --chip NAME        select the chip NAME (letter case does not matter\n"
         "                     when only one chip fits; korvelimg chips lists them)\n"
         "  --load FILE        load FILE as the object file; more --load add data\n"
         "  --run OP           run OP on every connected channel: download, auto,\n"
         "                     blank, erase, program, verify, offline or upgrade; at\n"
         "                     the end print one line per channel (channel, port,\n"
         "                     result, last message) and \"OK=n, NG=m.\" on standard\n"
         "                     output\n"
         "                     offline: download the job, then start every unit\n"
         "                     programming alone (automatic chip detection on)\n"
         "                     upgrade: write TroxSTX.FWR into every unit, then find\n"
         "                     them again\n"
         "  --listen SECONDS   with --run offline: stay that long after the start,\n"
         "                     counting the chips the units report, then close; the\n"
         "                     closing \"OK=n, NG=m.\" counts chips\n"
         "  --auto-detect      tick \"自动芯片检测\": units program the chips they detect\n"
         "  --offline-steps LIST\n"
         "                     the steps a unit runs alone on each chip, e.g.\n"
         "                     blank,erase,program,verify,options (program and verify\n"
         "                     take in the EEP data; program-flash, program-eep,\n"
         "                     verify-flash, verify-eep name one memory), or rop-only\n"
         "  --exit             close the program when the run, the save or the\n"
         "                     download of a project has finished, failed or not\n"
         "  --option ACTION    before the run or the save, set an option byte as the\n"
         "                     chip's option editor would: NAME or NAME=VALUE, NAME a\n"
         "                     control of the editor (korvelimg options --chip NAME\n"
         "                     --controls)\n"
         "  --allow-missing    a listed unit that never answers is not a failure\n"
         "  --save-project OUT.PKV\n"
         "                     with --chip and --load: write the job as a project\n"
         "                     file (no programmer needed)\n"
         "  --sn VALUE         on-line serial numbers from VALUE (decimal, or 0x...):\n"
         "                     each chip Auto programs gets its own number, the\n"
         "                     channels in order; a failed chip's number is used\n"
         "                     again first (needs --chip)\n"
         "  --sn-step N        the step between numbers, 1..65535 (default 1)\n"
         "  --sn-address ADDR  where the four bytes go (default 0x0000FFF0); an\n"
         "                     address outside the chip is refused (64)\n"
         "  --sn-decimal       show the number in decimal\n"
         "  --sn-ascii         store the first four digits as characters\n"
         "  --sn-lsb-first     least significant byte (last character) first\n"
         "  --list-ports       list the USB serial ports in channel order, one line\n"
         "                     each: channel, device, USB path, /dev/serial/by-path\n"
         "                     link, whether it opens, who holds it; then exit\n"
         "  --write-config     write ConfigTqz.ini with the by-path names of the\n"
         "                     ports that open now, in channel order, keeping the\n"
         "                     old file as ConfigTqz.ini.bak; 64 when none is found\n"
         "  --json             with --run or a project file: the results as JSON,\n"
         "                     one object per line, on standard output instead of\n"
         "                     the summary (search, progress, end, chip, summary;\n"
         "                     see the README)\n"
         "  --no-record        write no rows to the chip record\n"
         "                     (VatSTxLogS/chips-YYYY-MM-DD.csv)\n"
         "  --help             print this text\n"
         "\n"
         "Exit status of a --run or a project download with --exit: 0 when every\n"
         "channel succeeded, else the number of failed channels (a listed unit that\n"
         "never answered counts); of a --save-project: 0 when the file was written.\n"
         "Of --run offline --listen: the number of failed chips reported plus the\n"
         "channels that were not started, at most 63.\n"
         "64 when the command line, the chip name or a file is not usable, a project\n"
         "cannot be written or no unit was found, with the reason on standard error.\n"
         "\n"
         "With --run, --exit, --simulate, --save-project or a project file and no\n"
         "display (neither DISPLAY nor WAYLAND_DISPLAY set) the program runs on Qt's\n"
         "offscreen platform by itself, unless QT_QPA_PLATFORM names one.\n";
}

bool IsUnattendedOperation(const std::string& op) {
  for (const char* known : {"download", "auto", "blank", "erase", "program", "verify", "offline", "upgrade"})
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
