#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace korvel {
namespace {

TEST(CommandLine, PositionalProjectAndOffInAnyCase) {
  auto r = ParseCommandLine({"job.PKV", "off"});
  ASSERT_FALSE(r.Error);
  EXPECT_EQ(r.Line.ProjectFile, "job.PKV");
  EXPECT_TRUE(r.Line.ExitAfterDownload);

  r = ParseCommandLine({"job.PKV"});
  EXPECT_TRUE(r.Line.HasProject());
  EXPECT_FALSE(r.Line.ExitAfterDownload);

  r = ParseCommandLine({"job.PKV", "ON"});
  EXPECT_FALSE(r.Line.ExitAfterDownload);
}

TEST(CommandLine, Options) {
  auto r = ParseCommandLine({"--echo-log", "--simulate", "10", "--chip=STM32F103xB", "--load", "a.hex",
                             "--load", "b.bin", "--run", "auto", "--exit", "--sim-fault", "3:silent"});
  // --chip and --load come before --run: the rule that run options need a
  // run looks at the whole line, not at the order.
  ASSERT_FALSE(r.Error) << *r.Error;
  EXPECT_TRUE(r.Line.EchoLog);
  EXPECT_EQ(r.Line.Simulate, 10);
  EXPECT_EQ(r.Line.Chip, "STM32F103xB");
  EXPECT_EQ(r.Line.Loads, (std::vector<std::string>{"a.hex", "b.bin"}));
  EXPECT_EQ(r.Line.Run, "auto");
  EXPECT_TRUE(r.Line.Exit);
  EXPECT_EQ(r.Line.SimulateFaults, (std::vector<std::string>{"3:silent"}));
  EXPECT_FALSE(r.Line.HasProject());
}

TEST(CommandLine, Errors) {
  for (auto args : std::vector<std::vector<std::string>>{
           {"--bogus"}, {"--simulate"}, {"--simulate", "11"}, {"--simulate", "x"}, {"--chip"},
           {"--run", "format"}}) {
    EXPECT_TRUE(ParseCommandLine(args).Error.has_value()) << args[0];
  }
}

// Options that only shape a run, a save or a project download are refused
// without one: dropped silently they would let a script believe something
// ran, and --exit alone would leave a program nobody closes. Two jobs on one
// line are refused too: the exit status could only speak for one.
TEST(CommandLine, OptionsNeedTheJobTheyShape) {
  struct Case {
    std::vector<std::string> Args;
    const char* Error;  // nullptr: accepted
  };
  const Case cases[] = {
      {{"--exit"}, "--exit needs --run, --save-project or a project file"},
      {{"--allow-missing"}, "--allow-missing needs --run or a project file"},
      {{"--chip", "STM8S003F3", "--load", "a.hex"}, "--chip needs --run or --save-project"},
      {{"--save-project", "out.PKV", "--chip", "STM8S003F3"}, "--save-project needs --chip and --load"},
      {{"--save-project", "out.PKV", "--chip", "X", "--load", "a.hex", "--run", "auto"},
       "--save-project and --run do not go together"},
      {{"job.PKV", "--run", "auto"}, "a project file does not go with --run"},
      {{"job.PKV", "--save-project", "out.PKV", "--chip", "X", "--load", "a"},
       "a project file does not go with --save-project"},
      {{"--save-project="}, "--save-project needs a file name"},
      {{"--allow-missing", "--allow-missing", "--run", "blank", "--exit"}, nullptr},
      {{"job.PKV", "off", "--exit", "--allow-missing"}, nullptr},
      {{"--json"}, "--json needs --run or a project file"},
      {{"--json", "--chip", "X", "--load", "a.hex", "--save-project", "o.PKV"}, "--json needs --run or a project file"},
      {{"--json", "--run", "upgrade", "--exit", "--no-record"}, nullptr},
      {{"job.PKV", "OFF", "--json"}, nullptr},
      {{"--no-record"}, nullptr},
      {{"--chip", "STM8S003F3", "--load", "a.hex", "--save-project", "out.PKV", "--exit"}, nullptr},
  };
  for (const Case& c : cases) {
    const auto r = ParseCommandLine(c.Args);
    if (c.Error)
      EXPECT_EQ(r.Error, c.Error) << c.Args[0];
    else
      EXPECT_FALSE(r.Error) << *r.Error;
  }
  const auto json = ParseCommandLine({"--run", "offline", "--listen", "5", "--json", "--no-record"});
  EXPECT_TRUE(json.Line.Json);
  EXPECT_TRUE(json.Line.NoRecord);
  const auto save = ParseCommandLine({"--chip", "STM8S003F3", "--load", "a.hex", "--save-project", "out.PKV"});
  EXPECT_EQ(save.Line.SaveProject, "out.PKV");
  EXPECT_TRUE(save.Line.Unattended());
}

// The port commands end the program before any unit is opened: with a run
// or a project the script could not tell which of the two the status is of.
TEST(CommandLine, PortCommandsStandAlone) {
  struct Case {
    std::vector<std::string> Args;
    const char* Error;  // nullptr: accepted
  };
  const Case cases[] = {
      {{"--list-ports"}, nullptr},
      {{"--write-config", "--echo-log"}, nullptr},
      {{"--list-ports", "--write-config"}, "--list-ports and --write-config do not go together"},
      {{"--list-ports", "--run", "auto"}, "--list-ports does not go with --run"},
      {{"--write-config", "job.PKV"}, "--write-config does not go with a project file"},
      {{"--write-config", "--chip", "X", "--load", "a.hex", "--save-project", "o.PKV"},
       "--write-config does not go with --save-project"},
      {{"--list-ports", "--simulate", "2"}, "--list-ports does not go with --simulate"},
      {{"--list-ports", "--exit"}, "--exit needs --run, --save-project or a project file"},
  };
  for (const Case& c : cases) {
    const auto r = ParseCommandLine(c.Args);
    if (c.Error)
      EXPECT_EQ(r.Error, c.Error) << c.Args[0] << " " << c.Args[1];
    else
      EXPECT_FALSE(r.Error) << *r.Error;
  }
  const auto list = ParseCommandLine({"--list-ports"}).Line;
  EXPECT_TRUE(list.ListPorts);
  EXPECT_FALSE(list.WriteConfig);
  EXPECT_TRUE(ParseCommandLine({"--write-config"}).Line.WriteConfig);
}

TEST(CommandLine, OffscreenPlatformOnlyForUnattendedRunsWithoutADisplayOrAChoice) {
  struct Case {
    const char* Name;
    std::vector<std::string> Args;
    std::vector<std::pair<std::string, std::string>> Env;
    bool Offscreen;
  };
  const Case cases[] = {
      {"run, nothing set", {"--run", "auto", "--exit"}, {}, true},
      {"project", {"job.PKV", "OFF"}, {}, true},
      {"simulate", {"--simulate", "2"}, {}, true},
      {"empty variables count as unset", {"--run", "auto"}, {{"DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}}, true},
      {"X display", {"--run", "auto"}, {{"DISPLAY", ":0"}}, false},
      {"Wayland display", {"--run", "auto"}, {{"WAYLAND_DISPLAY", "wayland-0"}}, false},
      {"the user's platform", {"--run", "auto"}, {{"QT_QPA_PLATFORM", "vnc"}}, false},
      {"window wanted", {}, {}, false},
      {"echo only", {"--echo-log"}, {}, false},
  };
  static std::vector<std::pair<std::string, std::string>> env;
  auto lookup = [](const char* name) -> const char* {
    for (const auto& [k, v] : env)
      if (k == name) return v.c_str();
    return nullptr;
  };
  for (const Case& c : cases) {
    env = c.Env;
    auto r = ParseCommandLine(c.Args);
    ASSERT_FALSE(r.Error) << c.Name;
    EXPECT_EQ(ChoosesOffscreenPlatform(r.Line, lookup), c.Offscreen) << c.Name;
  }
}

}  // namespace
}  // namespace korvel

namespace korvel {
namespace {

TEST(CommandLine, SerialNumberOptions) {
  auto r = ParseCommandLine({"--chip", "STM32F103xB", "--run", "auto", "--sn", "0x100", "--sn-step=2",
                             "--sn-address", "0x0800FFF0", "--sn-ascii", "--sn-lsb-first"});
  ASSERT_FALSE(r.Error) << *r.Error;
  const SerialOptions& s = r.Line.Serial;
  EXPECT_TRUE(s.On);
  EXPECT_EQ(s.Value, 0x100u);
  EXPECT_EQ(s.Step, 2);
  EXPECT_EQ(s.Address, 0x0800FFF0u);
  EXPECT_TRUE(s.Ascii && s.LsbFirst);
  EXPECT_FALSE(s.Decimal);
  // A decimal number past 31 bits is a serial number too.
  r = ParseCommandLine({"--chip", "X", "--run", "auto", "--sn", "4294967295"});
  ASSERT_FALSE(r.Error) << *r.Error;
  EXPECT_EQ(r.Line.Serial.Value, 0xFFFFFFFFu);

  const struct {
    std::vector<std::string> Args;
    const char* Error;  // nullptr: any error
  } bad[] = {
      {{"--chip", "X", "--run", "auto", "--sn", "12G"}, nullptr},
      {{"--chip", "X", "--run", "auto", "--sn", "4294967296"}, nullptr},
      {{"--chip", "X", "--run", "auto", "--sn", "1", "--sn-step", "0"}, nullptr},
      {{"--chip", "X", "--run", "auto", "--sn", "1", "--sn-step", "65536"}, nullptr},
      {{"--chip", "X", "--run", "auto", "--sn", "1", "--sn-address", "0x1FFFFFFFF"}, nullptr},
      {{"--chip", "X", "--run", "auto", "--sn-step", "1"}, "--sn-step needs --sn"},
      {{"--chip", "X", "--run", "auto", "--sn-lsb-first"}, "--sn-lsb-first needs --sn"},
      {{"--run", "auto", "--sn", "1"}, "--sn needs --chip"},
      {{"--sn", "1"}, "--sn needs --run or --save-project"},
  };
  for (const auto& c : bad) {
    auto e = ParseCommandLine(c.Args).Error;
    ASSERT_TRUE(e) << c.Args.back();
    if (c.Error) {
      EXPECT_EQ(*e, c.Error);
    }
  }
}

}  // namespace
}  // namespace korvel
