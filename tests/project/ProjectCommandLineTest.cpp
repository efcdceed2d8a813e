// Projects on the command line, through the whole host against ten
// in-process simulated units: --save-project writes the job, a project
// argument downloads it once the search has settled, and "OFF" and --exit
// decide when the program ends and with which status.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/Clock.h"
#include "app/ManualDispatcher.h"
#include "engine/Host.h"
#include "sim/SimLink.h"
#include "support/ClosedLink.h"
#include "target/ImageFile.h"
#include "target/ImageTestFiles.h"

namespace korvel {
namespace {

using namespace testfiles;
namespace fs = std::filesystem;

constexpr const char* kChip = "STM32F103xB";
constexpr size_t kFlashBytes = 128 * 1024;

CommandLine Parsed(const std::vector<std::string>& args) {
  auto r = ParseCommandLine(args);
  EXPECT_FALSE(r.Error) << *r.Error;
  return r.Line;
}

// One run of the program: its host on the given units (none: ports that
// never open), what it printed and how it ended.
class Program {
 public:
  Program(const std::string& dir, const std::vector<std::string>& args, const std::vector<std::string>& faults = {},
          bool withUnits = true)
      : cmd_(Parsed(args)) {
    std::string error;
    auto parsed = ParseUnitFaults(faults, error);
    EXPECT_TRUE(parsed) << error;
    HostOptions o;
    std::vector<std::string> ports;
    if (withUnits) {
      for (int c = 0; c < kChannelCount; ++c) {
        Units[c] = std::make_shared<SimUnit>(parsed ? (*parsed)[c + 1] : UnitFaults{});
        ports.push_back("/dev/ttyACM" + std::to_string(c));
      }
      o.Links = [this](int c) { return std::make_unique<SimLink>(ui_, Units[c]); };
    } else {
      o.Links = [](int) { return std::make_unique<testing_support::ClosedLink>(); };
    }
    o.ExplicitPorts = ports;
    host = std::make_unique<Host>(clock_, prompts, std::move(o));
    host->Channels().SearchSettleMs = 0;
    host->Window.CloseWindow = [this] { Closed = true; };
    host->FormShow(cmd_, dir, {});
    Host::CommandLineOutput out;
    out.Error = [this](const std::string& e) { Errors.push_back(e); };
    out.Summary = [this](const std::string& l) { Summary.push_back(l); };
    host->StartCommandLine(cmd_, [this](int code) {
      QuitCode = code;
      Closed = true;
    }, out);
  }

  // Timer1 every 10 ms, Timer2 every 100 ms, the units' answers in between,
  // until the window closes or the time is up.
  void Run(int ticks) {
    for (int t = 0; t < ticks && !Closed; ++t) {
      if (timer2_ && t % 10 == 0) timer2_ = host->OnTimer2Tick();
      Pump();
      host->OnTimer1Tick();
      Pump();
    }
  }
  void Pump() {
    for (int i = 0; i < 100000 && ui_.RunPending() > 0; ++i) {
    }
  }
  bool Logged(const std::string& part) const {
    const auto& lines = host->App.Log.Lines();
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.find(part) != std::string::npos; });
  }

  std::array<std::shared_ptr<SimUnit>, kChannelCount> Units;
  std::unique_ptr<Host> host;
  RecordingPrompts prompts;
  std::optional<int> QuitCode;
  bool Closed = false;
  std::vector<std::string> Errors, Summary;

 private:
  CommandLine cmd_;
  FixedClock clock_{MakeTime(2026, 12, 5, 7, 14, 11)};
  ManualDispatcher ui_;
  bool timer2_ = true;
};

class ProjectCommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    flash = RandomBytes(kFlashBytes, 11);
    const ImageChunk chunk{0x08000000, flash};
    ASSERT_TRUE(WriteFileBytes(dir / "app.hex", FormatIntelHex(std::span(&chunk, 1)), ReplaceMode::InPlace).Ok);
  }
  // Saves the job of app.hex as job.PKV the way a script does.
  void SaveProject() {
    Program save(dir.path(), {"--chip", kChip, "--load", dir / "app.hex", "--save-project", project, "--exit"}, {},
                 false);
    ASSERT_EQ(save.QuitCode, 0) << (save.Errors.empty() ? "" : save.Errors[0]);
  }
  bool HoldsTheJob(SimUnit& unit) {
    const SimJob& job = unit.Job();
    return job.Complete() && std::equal(flash.begin(), flash.end(), job.Image.begin());
  }
  bool ResultWritten() const { return fs::exists(dir / "ResDW.Txt"); }

  TempDir dir;
  std::string project = dir / "job.PKV";
  std::vector<uint8_t> flash;
};

// The save needs no unit: no search has run when it is written.
TEST_F(ProjectCommandLine, SaveProjectWritesASoundFileWithoutAnyUnit) {
  Program save(dir.path(), {"--chip", kChip, "--load", dir / "app.hex", "--save-project", project, "--exit"}, {},
               false);
  EXPECT_EQ(save.QuitCode, 0);
  EXPECT_TRUE(save.Errors.empty());
  EXPECT_EQ(save.host->App.Flags.DevicesFound, 0);
  const ProjectFileRead read = ReadProjectFile(project);
  ASSERT_EQ(read.Result, kProjectOk) << read.Message;
  EXPECT_EQ(read.Staged->Chip.ChipName, kChip);
  EXPECT_TRUE(save.Logged("Created Project File : " + project));
}

// The serial-number options travel with a project saved by a script.
TEST_F(ProjectCommandLine, SaveProjectCarriesTheSerialNumberOptions) {
  Program save(dir.path(), {"--chip", kChip, "--load", dir / "app.hex", "--sn", "0x100", "--sn-step", "2",
                            "--sn-address", "0x0801FFF0", "--save-project", project, "--exit"},
               {}, false);
  ASSERT_EQ(save.QuitCode, 0) << (save.Errors.empty() ? "" : save.Errors[0]);
  const ProjectFileRead read = ReadProjectFile(project);
  ASSERT_EQ(read.Result, kProjectOk) << read.Message;
  EXPECT_NE(read.Staged->Settings.SnMode, kSnOff);
  EXPECT_EQ(read.Staged->Settings.SnValue, 0x100u);
  EXPECT_EQ(read.Staged->Settings.SnStep, 2);
  EXPECT_EQ(read.Staged->Settings.SnAddress, 0x0801FFF0u);
}

// Option-byte actions shape the job a script saves, as they shape a run.
TEST_F(ProjectCommandLine, SaveProjectCarriesTheOptionActions) {
  Program save(dir.path(), {"--chip", kChip, "--load", dir / "app.hex", "--option", "STM32xEROP",
                            "--save-project", project, "--exit"},
               {}, false);
  ASSERT_EQ(save.QuitCode, 0) << (save.Errors.empty() ? "" : save.Errors[0]);
  const ProjectFileRead read = ReadProjectFile(project);
  ASSERT_EQ(read.Result, kProjectOk) << read.Message;
  EXPECT_EQ(read.Staged->OptionBytes[0], 0x00);
  EXPECT_EQ(read.Staged->OptionBytes[1], 0xFF);
  Program refused(dir.path(), {"--chip", kChip, "--load", dir / "app.hex", "--option", "NoSuchControl",
                               "--save-project", dir / "other.PKV", "--exit"},
                  {}, false);
  EXPECT_EQ(refused.QuitCode, 64);
  EXPECT_FALSE(fs::exists(dir / "other.PKV"));
}

TEST_F(ProjectCommandLine, SaveProjectThatCannotBeMadeExits64WithTheReason) {
  struct Case {
    const char* Name;
    std::string Chip, Load, Out;
    const char* Reason;
  };
  const Case cases[] = {
      {"unknown chip", "STM32F999", dir / "app.hex", project, "Unknown chip \"STM32F999\""},
      {"missing image", kChip, dir / "gone.hex", project, "gone.hex"},
      {"folder not there", kChip, dir / "app.hex", dir / "no/such/folder/job.PKV", "Project File Not Saved"},
  };
  for (const Case& c : cases) {
    Program save(dir.path(), {"--chip", c.Chip, "--load", c.Load, "--save-project", c.Out, "--exit"}, {}, false);
    EXPECT_EQ(save.QuitCode, 64) << c.Name;
    ASSERT_EQ(save.Errors.size(), 1u) << c.Name;
    EXPECT_NE(save.Errors[0].find(c.Reason), std::string::npos) << c.Name << ": " << save.Errors[0];
    EXPECT_FALSE(fs::exists(project)) << c.Name;
  }
}

// The whole line: the project saved by a script, downloaded to ten units,
// "Download Success" in ResDW.Txt and the window closed.
TEST_F(ProjectCommandLine, OffDownloadsTheProjectToEveryUnitAndCloses) {
  SaveProject();
  Program run(dir.path(), {project, "off"});
  // Opened at once, before any unit was searched; the job is the project's.
  EXPECT_TRUE(run.host->App.Flags.ImageLoaded);
  EXPECT_EQ(run.host->Chip.ChipName, kChip);
  EXPECT_TRUE(run.Logged("Project File Open Success!"));
  // In command-line mode the open's message goes to the log only.
  EXPECT_TRUE(std::none_of(run.prompts.Messages.begin(), run.prompts.Messages.end(),
                           [](const auto& m) { return m.Text == "Project File Open Success!"; }));
  run.Run(3000);
  EXPECT_TRUE(run.Closed);
  EXPECT_FALSE(run.QuitCode);  // OFF closes the window; the status stays 0
  EXPECT_EQ(ReadText(dir / "ResDW.Txt"), "Download Success\r\n");
  for (int c = 0; c < kChannelCount; ++c) EXPECT_TRUE(HoldsTheJob(*run.Units[c])) << "unit " << c + 1;
  EXPECT_EQ(run.Summary.back(), "OK=10, NG=0.");
  EXPECT_EQ(run.host->App.Flags.DownloadsDone, 10);
}

// A result file that cannot be written is no success: the program stays
// open and says why instead of closing as if the line had its job.
TEST_F(ProjectCommandLine, OffStaysOpenWhenTheResultFileCannotBeWritten) {
  SaveProject();
  fs::create_directories(fs::path(dir / "ResDW.Txt") / "in-the-way");
  Program run(dir.path(), {project, "off"});
  run.Run(3000);
  EXPECT_FALSE(run.Closed);
  EXPECT_TRUE(run.Logged("ResDW.Txt: "));
}

// Without "OFF" and --exit the program downloads and stays open.
TEST_F(ProjectCommandLine, WithoutOffTheProgramDownloadsAndStaysOpen) {
  SaveProject();
  Program run(dir.path(), {project});
  run.Run(3000);
  EXPECT_FALSE(run.Closed);
  EXPECT_FALSE(ResultWritten());
  for (int c = 0; c < kChannelCount; ++c) EXPECT_TRUE(HoldsTheJob(*run.Units[c])) << "unit " << c + 1;
}

// A unit that never identifies does not hold the download up: it starts 3 s
// after the wake-up frames and the unit is named. A unit that fails its
// download keeps an "OFF" program open; --exit ends it with the number of
// failed channels. No result file claims a success that did not happen, and
// with both "OFF" and --exit a success still leaves the result file.
TEST_F(ProjectCommandLine, MissingAndFailingUnitsKeepOffOpenAndCountUnderExit) {
  SaveProject();
  struct Case {
    const char* Name;
    std::vector<std::string> Extra;
    const char* Fault;
    bool Closed;
    std::optional<int> Quit;
    bool Result;
    const char* Totals;
  };
  const Case cases[] = {
      {"all good, OFF --exit", {"OFF", "--exit"}, "", true, 0, true, "OK=10, NG=0."},
      {"missing, OFF", {"OFF"}, "3:silent", false, std::nullopt, false, "OK=9, NG=1."},
      {"missing, OFF --exit", {"OFF", "--exit"}, "3:silent", true, 1, false, "OK=9, NG=1."},
      {"missing allowed, OFF", {"OFF", "--allow-missing"}, "3:silent", true, std::nullopt, true, "OK=9, NG=0."},
      {"download fails, OFF", {"OFF"}, "3:silent=2", false, std::nullopt, false, "OK=9, NG=1."},
      {"download fails, --exit", {"--exit"}, "3:silent=2", true, 1, false, "OK=9, NG=1."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    fs::remove(dir / "ResDW.Txt");
    std::vector<std::string> args{project};
    args.insert(args.end(), c.Extra.begin(), c.Extra.end());
    const bool faulty = *c.Fault != '\0';
    Program run(dir.path(), args, faulty ? std::vector<std::string>{c.Fault} : std::vector<std::string>{});
    // While a listed unit keeps quiet nothing starts before the settle time.
    run.Run(250);
    if (std::string(c.Fault) == "3:silent") {
      EXPECT_FALSE(run.host->App.Channels[0].Busy || HoldsTheJob(*run.Units[0]));
    }
    run.Run(3000);
    EXPECT_EQ(run.Closed, c.Closed);
    EXPECT_EQ(run.QuitCode, c.Quit);
    EXPECT_EQ(ResultWritten(), c.Result);
    ASSERT_FALSE(run.Summary.empty());
    EXPECT_EQ(run.Summary.back(), c.Totals);
    for (int u : {0, 1, 3, 9}) EXPECT_TRUE(HoldsTheJob(*run.Units[u])) << "unit " << u + 1;
    EXPECT_EQ(HoldsTheJob(*run.Units[2]), !faulty);
  }
  Program quiet(dir.path(), {project, "OFF"}, {"3:silent"});
  quiet.Run(400);
  EXPECT_TRUE(quiet.Logged(" Channel 3: No programmer unit answered on /dev/ttyACM2"));
}

// A project that cannot be downloaded: under "OFF" or --exit the program
// ends with 64 and the reason, without touching a unit; otherwise it says
// so and stays open. The job stays as it was either way.
TEST_F(ProjectCommandLine, UnusableProjectEndsWith64UnderOffOrExit) {
  WriteText(dir / "garbage.PKV", "not a project at all");
  fs::create_directory(dir / "folder.PKV");
  struct Case {
    std::string File;
    const char* Reason;
  };
  const Case cases[] = {
      {dir / "gone.PKV", "is not found!"},
      {dir / "garbage.PKV", "Not Valid Brevan Project File!"},
      {dir / "folder.PKV", "not a regular file"},
  };
  for (const Case& c : cases) {
    for (const std::vector<std::string>& extra : {std::vector<std::string>{"OFF"}, {"--exit"}, {}}) {
      std::vector<std::string> args{c.File};
      args.insert(args.end(), extra.begin(), extra.end());
      Program run(dir.path(), args);
      run.Run(600);
      const std::string name = c.File + (extra.empty() ? "" : " " + extra[0]);
      EXPECT_FALSE(run.host->App.Flags.ImageLoaded) << name;
      EXPECT_FALSE(run.Units[0]->Job().HeaderAccepted) << name;
      EXPECT_TRUE(run.Summary.empty()) << name;
      if (extra.empty()) {
        EXPECT_FALSE(run.Closed) << name;
        EXPECT_TRUE(run.Errors.empty()) << name;
        continue;
      }
      EXPECT_EQ(run.QuitCode, 64) << name;
      ASSERT_EQ(run.Errors.size(), 1u) << name;
      EXPECT_NE(run.Errors[0].find(c.File), std::string::npos) << run.Errors[0];
      EXPECT_NE(run.Errors[0].find(c.Reason), std::string::npos) << run.Errors[0];
    }
  }
}

// Under "OFF" nobody closes a program that found no unit at all.
TEST_F(ProjectCommandLine, NoUnitAtAllEndsOffWith64) {
  SaveProject();
  Program run(dir.path(), {project, "OFF"}, {"*:silent"});
  run.Run(400);
  EXPECT_EQ(run.QuitCode, 64);
  ASSERT_EQ(run.Errors.size(), 1u);
  EXPECT_NE(run.Errors[0].find("No programmer unit found"), std::string::npos) << run.Errors[0];
  EXPECT_FALSE(ResultWritten());
}

// The open replaces what the busy channels' operation started from, on
// screen and for the next operation: refused until they are done.
TEST_F(ProjectCommandLine, OpenIsRefusedWhileAChannelIsBusy) {
  SaveProject();
  Program window(dir.path(), {}, {}, false);
  Host& host = *window.host;
  host.App.Channels[4].Busy = true;
  window.prompts.FileNames = {project};
  const ProjectFileRead refused = host.OpenProjectFromMenu();
  EXPECT_NE(refused.Result, kProjectOk);
  EXPECT_FALSE(host.App.Flags.ImageLoaded);
  EXPECT_TRUE(window.Logged("wait until every channel has finished"));
  host.App.Channels[4].Busy = false;
  EXPECT_EQ(host.OpenProjectFile(project).Result, kProjectOk);
  EXPECT_TRUE(host.App.Flags.ImageLoaded);
}

}  // namespace
}  // namespace korvel
