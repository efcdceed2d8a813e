#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/Link.h"
#include "app/Startup.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    path_ = fs::temp_directory_path() /
            ("korvel_startup_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++));
    fs::create_directories(path_);
  }
  ~TempDir() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }
  void Touch(const char* name) const { std::ofstream(path_ / name) << "x"; }

 private:
  static inline int counter_ = 0;
  fs::path path_;
};

// Puts each message box into the same record as the start-up steps.
struct SequencedPrompts : RecordingPrompts {
  explicit SequencedPrompts(std::vector<std::string>& calls) : calls_(calls) {}
  PromptButton Message(PromptKind kind, const std::string& text,
                       const std::vector<PromptButton>& buttons = {}) override {
    calls_.push_back("Message");
    return RecordingPrompts::Message(kind, text, buttons);
  }
  std::vector<std::string>& calls_;
};

struct StartupFixture : ::testing::Test {
  FixedClock clock{MakeTime(2026, 12, 5, 7, 14, 11)};
  AppState app{clock};
  std::vector<std::string> calls;
  SequencedPrompts prompts{calls};
  TempDir dir;

  StartupHooks RecordingHooks() {
    StartupHooks h;
    auto rec = [this](const char* name) { return [this, name] { calls.push_back(name); }; };
    h.LoadLogConfig = rec("LoadLogConfig");
    h.SetOptionByteDefaults = rec("SetOptionByteDefaults");
    h.ReadConnectionSettings = rec("ReadConnectionSettings");
    h.LoadFirmware = [this](const std::string& p) { calls.push_back("LoadFirmware " + p); };
    h.FirmwareMissing = rec("FirmwareMissing");
    h.ArmFirstSearch = rec("ArmFirstSearch");
    h.ShowFirstSettingsTab = rec("ShowFirstSettingsTab");
    h.SetDisplayDefaults = rec("SetDisplayDefaults");
    h.LayoutGauges = [this](const GaugeLayout& g) {
      calls.push_back("LayoutGauges " + std::to_string(g.Shown));
    };
    h.EnableTimer2 = rec("EnableTimer2");
    return h;
  }

  void Show(const std::vector<std::string>& args, StartupHooks hooks) {
    auto parsed = ParseCommandLine(args);
    ASSERT_FALSE(parsed.Error);
    RunFormShow(app, prompts, parsed.Line, dir.path().string() + "/", hooks);
  }
};

TEST_F(StartupFixture, FirstShowRunsItsStepsInOrderAndReportsAMissingFirmwareImage) {
  dir.Touch(kResultFileName);
  app.Flags.DevicesFound = 3;
  app.Flags.OnlineCounter = 7;
  app.Controls.EnWrtEep.Checked = true;
  auto hooks = RecordingHooks();
  // The Hello line comes after the gauges are laid out, before the firmware check.
  hooks.LayoutGauges = [&](const GaugeLayout& g) {
    EXPECT_TRUE(app.Log.Lines().empty());
    calls.push_back("LayoutGauges " + std::to_string(g.Shown));
  };
  Show({}, hooks);

  const std::vector<std::string> expected = {
      "ShowFirstSettingsTab", "LoadLogConfig", "SetDisplayDefaults", "SetOptionByteDefaults",
      "ShowFirstSettingsTab", "ReadConnectionSettings", "LayoutGauges 10", "FirmwareMissing",
      "ArmFirstSearch",       "EnableTimer2",           "Message"};  // the box holds up no search
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(app.Flags.AppDir, dir.path().string());
  EXPECT_FALSE(fs::exists(dir.path() / kResultFileName));
  EXPECT_EQ(app.Flags.DevicesFound, 0);
  EXPECT_EQ(app.Flags.OnlineCounter, 0u);
  EXPECT_EQ(app.Flags.ChannelCount, 10);
  EXPECT_FALSE(app.Controls.EnWrtEep.Checked);
  EXPECT_FALSE(app.Controls.Action("ReadSTM32xChipID1").Visible);
  EXPECT_FALSE(app.Controls.Action("BlankCheck1").Enabled);
  EXPECT_FALSE(app.Flags.CommandLineMode);

  const std::vector<std::string> lines = {
      "> 07:14:11 Hello KorvelVatX-ST User! ------ 2026-12-05",
      "> 07:14:11 File of \"TroxSTX.FWR\" not Found!"};
  EXPECT_EQ(app.Log.Lines(), lines);
  ASSERT_EQ(prompts.Messages.size(), 1u);
  EXPECT_EQ(prompts.Messages[0].Text, "文件\"TroxSTX.FWR\"没有找到，请确认！");
}

TEST_F(StartupFixture, PresentFirmwareImageIsLoadedWithoutAMessage) {
  dir.Touch(kFirmwareFileName);
  Show({}, RecordingHooks());
  const std::string load = "LoadFirmware " + (dir.path() / kFirmwareFileName).string();
  EXPECT_NE(std::find(calls.begin(), calls.end(), load), calls.end());
  EXPECT_TRUE(prompts.Messages.empty());
  EXPECT_EQ(app.Log.Lines().size(), 1u);
}

TEST_F(StartupFixture, GaugesFollowTheChannelCountTheConnectionSettingsGive) {
  auto hooks = RecordingHooks();
  hooks.ReadConnectionSettings = [&] { app.Flags.ChannelCount = 6; };
  Show({}, hooks);
  const int tops[8] = {339, 359, 378, 397, 417, 436, 455, 475};
  for (int i = 0; i < kChannelCount; ++i) {
    EXPECT_EQ(app.Channels[i].Gauge.Visible, i < 8) << "gauge " << i + 1;
    if (i < 8) {
      EXPECT_EQ(app.Channels[i].Gauge.Top, tops[i]) << "gauge " << i + 1;
    }
  }
  EXPECT_NE(std::find(calls.begin(), calls.end(), "LayoutGauges 8"), calls.end());
}

TEST_F(StartupFixture, CommandLineModeHidesTheOperationButtons) {
  struct Case {
    std::vector<std::string> Args;
    bool CommandLine;
    bool ExitAfter;
  };
  const Case cases[] = {
      {{}, false, false},
      {{"--echo-log"}, false, false},
      {{"job.PKV"}, true, false},
      {{"job.PKV", "off"}, true, true},
      {{"job.PKV", "oFF", "--echo-log"}, true, true},
      {{"job.PKV", "of"}, true, false},
  };
  for (const auto& c : cases) {
    AppState fresh{clock};
    auto parsed = ParseCommandLine(c.Args);
    fresh.Flags.DownloadsDone = 2;
    RunFormShow(fresh, prompts, parsed.Line, dir.path().string(), {});
    const std::string name = c.Args.empty() ? "no arguments" : c.Args.back();
    EXPECT_EQ(fresh.Flags.CommandLineMode, c.CommandLine) << name;
    EXPECT_EQ(fresh.Flags.ExitAfterDownload, c.ExitAfter) << name;
    EXPECT_EQ(fresh.Flags.DownloadsDone, 0) << name;
    MainControls defaults;
    for (const char* b : kCommandLineHiddenButtons)
      EXPECT_EQ(fresh.Controls.Action(b).Visible, !c.CommandLine && defaults.Action(b).Visible)
          << name << " " << b;
    EXPECT_TRUE(fresh.Controls.Action("SpdBtnDownLoad").Visible) << name;
    EXPECT_TRUE(fresh.Controls.Action("SpdBtnExit").Visible) << name;
  }
}

TEST(CommandLineExit, HelpPrintsTheUsageAndABadLineGoesToStderrWith64) {
  std::ostringstream out, err;
  EXPECT_EQ(CommandLineExit(ParseCommandLine({"--help"}), "korvelst", out, err), 0);
  EXPECT_EQ(out.str(), UsageText("korvelst"));
  EXPECT_TRUE(err.str().empty());

  out.str("");
  EXPECT_EQ(CommandLineExit(ParseCommandLine({"--bogus"}), "korvelst", out, err), 64);
  EXPECT_TRUE(out.str().empty());
  EXPECT_EQ(err.str().rfind("korvelst: unknown option --bogus\n", 0), 0u);
  EXPECT_NE(err.str().find(UsageText("korvelst")), std::string::npos);

  EXPECT_FALSE(CommandLineExit(ParseCommandLine({"job.PKV", "OFF"}), "korvelst", out, err));
}

TEST(EchoLog, MirrorsEachLineAsItIsAdded) {
  FixedClock clock{MakeTime(2026, 12, 5, 7, 14, 11)};
  InfoLog log{clock};
  std::ostringstream out;
  EchoLog(log, out);
  log.HostLine("one");
  EXPECT_EQ(out.str(), "> 07:14:11 one\n");
  log.ChannelLine(9, "two");
  EXPECT_EQ(out.str(), "> 07:14:11 one\n> 07:14:11 Channel 10: two\n");
}

class FakeLink : public Link {
 public:
  explicit FakeLink(bool open, bool throws = false) : open_(open), throws_(throws) {}
  void SetCommName(const std::string&) override {}
  std::string CommName() const override { return "/dev/null"; }
  void OpenPort() override { open_ = true; }
  void ClosePort() override {
    ++closes;
    if (throws_) throw ECommsError("port vanished");
    open_ = false;
  }
  bool IsOpen() const override { return open_; }
  bool SendData(const uint8_t*, size_t) override { return false; }
  int closes = 0;

 private:
  bool open_, throws_;
};

TEST(Shutdown, ClosesOpenPortsEvenWhenOneFailsAndLogsTheFailure) {
  FixedClock clock{MakeTime(2026, 12, 5, 7, 14, 11)};
  AppState app{clock};
  FakeLink closed(false), failing(true, true), open(true);
  app.Channels[0].Port = &closed;
  app.Channels[1].Port = &failing;
  app.Channels[2].Port = &open;
  CloseOpenPorts(app.Channels, app.Log);
  EXPECT_EQ(closed.closes, 0);
  EXPECT_EQ(failing.closes, 1);
  EXPECT_EQ(open.closes, 1);
  EXPECT_FALSE(open.IsOpen());
  EXPECT_EQ(app.Log.Lines(), std::vector<std::string>{"> 07:14:11 Channel 2: port vanished"});
}

TEST(Shutdown, ExitClosesThePortsThenTheWindowAndTheLogWriterHasTheLastTurnOnce) {
  std::vector<std::string> calls;
  ShutdownSequence* self = nullptr;
  ShutdownSequence seq({[&] { calls.push_back("ports"); }, [&] { calls.push_back("log"); },
                        [&] {
                          calls.push_back("window");
                          self->FormClose();
                        }});
  self = &seq;
  seq.ExitClick();
  seq.FormClose();
  seq.ExitClick();
  const std::vector<std::string> expected = {"ports", "window", "ports", "log"};
  EXPECT_EQ(calls, expected);
  EXPECT_TRUE(seq.Closed());
}

}  // namespace
}  // namespace korvel
