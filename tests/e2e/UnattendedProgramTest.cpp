// korvelst itself, unattended with its own simulated units or korvelsim's,
// with no display in its environment: the run a production script makes.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "e2e/HeadlessHost.h"
#include "e2e/KorvelstProcess.h"
#include "e2e/SimProcess.h"
#include "support/FileText.h"

namespace korvel::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
  return n;
}

std::string Slurp(const fs::path& p) { return test::FileText(p); }

// The summary line of a channel ("Channel 3\tPORT\tRESULT\tMESSAGE").
std::string SummaryLine(const std::string& out, int channel) {
  const std::string head = "Channel " + std::to_string(channel) + "\t";
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(head, 0) == 0) return line;
  return {};
}

// A log line reads " Channel 3: Programming Success!"; the summary line
// ends in "\tProgramming Success!" and is not counted here.
constexpr const char* kSuccessLine = ": Programming Success!";

std::vector<uint8_t> RandomBytes(size_t n) {
  std::mt19937 rng(7);
  std::vector<uint8_t> bytes(n);
  for (auto& b : bytes) b = static_cast<uint8_t>(rng());
  return bytes;
}

class UnattendedProgram : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(WriteHexFile(dir / "app.hex", {{0x08000000, RandomBytes(128 * 1024)}})); }
  std::vector<std::string> Args(std::vector<std::string> extra = {}, bool simulate = true) const {
    std::vector<std::string> a{"--chip", "STM32F103xB", "--load", dir / "app.hex", "--run", "auto", "--exit",
                               "--echo-log"};
    if (simulate) a.insert(a.begin(), {"--simulate", "10"});
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
  }
  ScratchDir dir;
};

TEST_F(UnattendedProgram, AutoOnTenSimulatedUnitsExitsZeroAndSummarisesEveryChannel) {
  const KorvelstOutcome r = RunKorvelst(dir.Path(), Args(), 60s);
  EXPECT_EQ(r.Status, 0) << r.Output;
  EXPECT_EQ(Count(r.Output, kSuccessLine), 10) << r.Output;
  for (int c = 0; c < 10; ++c) {
    EXPECT_EQ(Count(r.Output, ChannelPrefix(c) + "Programming Success!"), 1) << c;
    const std::string line = SummaryLine(r.Out, c + 1);
    EXPECT_NE(line.find("\t/dev/"), std::string::npos) << line;
    EXPECT_NE(line.find("\tSuccess\tProgramming Success!"), std::string::npos) << line;
  }
  EXPECT_NE(r.Out.find("\nOK=10, NG=0.\n"), std::string::npos) << r.Out;
}

// A script numbers a batch: every chip its own number, in channel order.
TEST_F(UnattendedProgram, SerialNumbersGiveEachChipItsOwn) {
  const KorvelstOutcome r =
      RunKorvelst(dir.Path(), Args({"--sn", "0x100", "--sn-step", "1", "--sn-address", "0x0801FFFC"}), 60s);
  EXPECT_EQ(r.Status, 0) << r.Output;
  for (int c = 0; c < 10; ++c) {
    char sn[64];
    std::snprintf(sn, sizeof sn, "\tProgramming Success! SN 0x%08x", 0x100 + c);
    EXPECT_NE(SummaryLine(r.Out, c + 1).find(sn), std::string::npos) << r.Out;
  }
}

// A unit that answers the search and then falls silent fails its channel by
// timeout; one that never answers at all fails it as missing, unless the
// script allows missing units.
TEST_F(UnattendedProgram, SilentUnitsFailTheirChannelsInTheExitStatus) {
  struct Case {
    const char* Fault;
    std::vector<std::string> Extra;
    int Status;
    const char* Channel3;
    const char* Totals;
  };
  const Case cases[] = {
      {"3:silent=2", {}, 1, "操作超时！", "OK=9, NG=1."},
      {"3:silent", {}, 1, "\tMissing\tNo programmer unit answered on /dev/", "OK=9, NG=1."},
      {"3:silent", {"--allow-missing"}, 0, "\tMissing\t", "OK=9, NG=0."},
  };
  for (const Case& c : cases) {
    std::vector<std::string> extra{"--sim-fault", c.Fault};
    extra.insert(extra.end(), c.Extra.begin(), c.Extra.end());
    const KorvelstOutcome r = RunKorvelst(dir.Path(), Args(extra), 60s);
    EXPECT_EQ(r.Status, c.Status) << c.Fault << "\n" << r.Output;
    EXPECT_EQ(Count(r.Output, kSuccessLine), 9) << c.Fault;
    const std::string line = SummaryLine(r.Out, 3);
    EXPECT_NE(line.find(c.Channel3), std::string::npos) << c.Fault << ": " << line;
    EXPECT_EQ(line.find("Success"), std::string::npos) << c.Fault << ": " << line;
    EXPECT_NE(r.Out.find(c.Totals), std::string::npos) << c.Fault << "\n" << r.Out;
  }
}

// Units of korvelsim named in the folder's ConfigTqz.ini, as real ones
// would be: the same run, the same outcome.
TEST_F(UnattendedProgram, UnitsOfKorvelsimInTheFolderBehaveTheSame) {
  struct Case {
    std::vector<std::string> Faults;
    int Status;
    int Successes;
    const char* Channel3;  // its log line when it fails
  };
  for (const Case& c : {Case{{}, 0, 10, " Channel 3: 操作超时！"},
                        Case{{"--fault", "3:silent=2"}, 1, 9, " Channel 3: 操作超时！"},
                        Case{{"--fault", "3:silent"}, 1, 9, " Channel 3: No programmer unit answered on /dev/"}}) {
    SimProcess sim(KORVELSIM_PATH, 10, dir.Path(), c.Faults);
    ASSERT_TRUE(sim.Ready);
    const KorvelstOutcome r = RunKorvelst(dir.Path(), Args({}, false), 60s);
    EXPECT_EQ(r.Status, c.Status) << r.Output;
    EXPECT_EQ(Count(r.Output, kSuccessLine), c.Successes) << r.Output;
    EXPECT_EQ(Count(r.Output, c.Channel3), 10 - c.Successes) << r.Output;
  }
}

// The run a script must never pass: a cut image file ends the program with
// 64 and the reason on standard error, without --echo-log, with no display,
// before anything is programmed (no summary: no channel was started).
TEST_F(UnattendedProgram, TruncatedImageExits64BeforeProgrammingAnything) {
  // Cut in the middle of its third line.
  {
    std::ofstream(dir / "TRUNCATED.hex", std::ios::binary)
        << ":020000040800F2\n:10000000000102030405060708090A0B0C0D0E0F78\n:10001000000102";
  }
  const KorvelstOutcome r = RunKorvelst(
      dir.Path(), {"--simulate", "10", "--chip", "STM32F103xB", "--load", "TRUNCATED.hex", "--run", "auto", "--exit"},
      30s);
  EXPECT_EQ(r.Status, 64) << r.Output;
  // The file and its first bad line.
  EXPECT_NE(r.Err.find("TRUNCATED.hex"), std::string::npos) << r.Err;
  EXPECT_NE(r.Err.find("line 3"), std::string::npos) << r.Err;
  EXPECT_EQ(r.Out.find("OK="), std::string::npos) << r.Out;
}

// Other input a script cannot use: 64 and the reason on standard error.
TEST_F(UnattendedProgram, UnusableInputExits64WithItsReasonOnStderr) {
  { std::ofstream(dir / "job.PKV", std::ios::binary) << "not a project"; }
  ScratchDir empty;  // a ConfigTqz.ini whose port is not there
  { std::ofstream(empty / "ConfigTqz.ini") << "[Connection]\nTOTDEV=1\nDEV1=" << (empty / "ttyACM0") << "\n"; }
  struct Case {
    const char* Name;
    std::string Dir;
    std::vector<std::string> Args;
    std::vector<std::string> Reason;  // each part is on standard error
  };
  const std::vector<std::string> run = {"--run", "auto", "--exit"};
  auto with = [&](std::vector<std::string> head) {
    head.insert(head.end(), run.begin(), run.end());
    return head;
  };
  const Case cases[] = {
      {"unknown chip", dir.Path(), with({"--simulate", "2", "--chip", "STM32F999", "--load", "app.hex"}),
       {"Unknown chip \"STM32F999\"", "korvelimg chips"}},
      {"missing image", dir.Path(), with({"--simulate", "2", "--chip", "STM32F103xB", "--load", "gone.hex"}),
       {"gone.hex"}},
      {"no unit", empty.Path(), with({"--chip", "STM32F103xB", "--load", dir / "app.hex"}),
       {"No programmer unit found"}},
      {"missing project with OFF", dir.Path(), {"--simulate", "2", "gone.PKV", "off"},
       {"File of gone.PKV is not found!"}},
      {"unreadable project with OFF", dir.Path(), {"--simulate", "2", "job.PKV", "OFF"}, {"job.PKV"}},
      {"serial number outside the chip", dir.Path(),
       with({"--simulate", "2", "--chip", "STM32F103xB", "--load", "app.hex", "--sn", "1"}),
       {"serial-number address 0x0000fff0"}},
      {"serial number that is no number", dir.Path(),
       with({"--simulate", "2", "--chip", "STM32F103xB", "--load", "app.hex", "--sn", "0x1G"}), {"--sn"}},
  };
  for (const Case& c : cases) {
    const KorvelstOutcome r = RunKorvelst(c.Dir, c.Args, 30s);
    EXPECT_EQ(r.Status, 64) << c.Name << "\n" << r.Output;
    for (const std::string& part : c.Reason) EXPECT_NE(r.Err.find(part), std::string::npos) << c.Name << "\n" << r.Err;
    EXPECT_EQ(r.Out.find("OK="), std::string::npos) << c.Name << "\n" << r.Out;
  }
}

// File names are bytes: a start folder, an image and a port named with
// bytes that are not UTF-8 work as any other.
TEST_F(UnattendedProgram, NamesThatAreNotUtf8AreKeptAsBytes) {
  SimProcess sim(KORVELSIM_PATH, 1, dir.Path());
  ASSERT_TRUE(sim.Ready);
  ASSERT_EQ(sim.Ports.size(), 1u);
  const std::string folder = dir / "run-\xff\xfe";
  const std::string port = folder + "/tty-\xe9";
  fs::create_directory(folder);
  fs::create_symlink(sim.Ports[0], port);
  { std::ofstream(folder + "/ConfigTqz.ini") << "[Connection]\nTOTDEV=1\nDEV1=" << port << "\n"; }
  ASSERT_TRUE(WriteHexFile(folder + "/image-\xfc.hex", {{0x08000000, RandomBytes(4096)}}));

  const KorvelstOutcome r = RunKorvelst(
      folder, {"--chip", "STM32F103xB", "--load", "image-\xfc.hex", "--run", "auto", "--exit", "--echo-log"}, 60s);
  EXPECT_EQ(r.Status, 0) << r.Output;
  EXPECT_EQ(SummaryLine(r.Out, 1), "Channel 1\t" + port + "\tSuccess\tProgramming Success!") << r.Out;
  // The shutdown log went into the start folder as it is named.
  EXPECT_TRUE(fs::is_directory(folder + "/VatSTxLogS")) << r.Output;
}

// A closed terminal (SIGHUP) ends the program as SIGTERM does: the window
// closes and the shutdown log is written. A run cut short does not pass
// for a successful one.
TEST_F(UnattendedProgram, HangupAndTerminateWriteTheShutdownLog) {
  struct Case {
    const char* Name;
    int Signo;
    std::vector<std::string> Args;
    int Status;
  };
  const Case cases[] = {
      {"hang-up", SIGHUP, {"--simulate", "1", "--echo-log"}, 0},
      {"terminate", SIGTERM, {"--simulate", "1", "--echo-log"}, 0},
      {"run cut short", SIGTERM,
       {"--simulate", "1", "--sim-fault", "1:delay=2000", "--chip", "STM32F103xB", "--load", dir / "app.hex",
        "--run", "auto", "--exit", "--echo-log"},
       128 + SIGTERM},
  };
  for (const Case& c : cases) {
    // The customer's log file is written whatever the length of the log.
    { std::ofstream(dir / "VatLogX.cfg") << "[ConfigLog]\r\nEnLog\r\nCustomer\r\nCusDef0\r\nSpcFile=shutdown.log\r\n[EndCfg]\r\n"; }
    fs::remove(dir / "shutdown.log");
    const KorvelstOutcome r = RunKorvelst(dir.Path(), c.Args, 30s, {"Hello KorvelVatX-ST User!", c.Signo});
    EXPECT_EQ(r.Status, c.Status) << c.Name << "\n" << r.Output;
    EXPECT_NE(Slurp(dir / "shutdown.log").find("Hello KorvelVatX-ST User!"), std::string::npos) << c.Name;
  }
}

}  // namespace
}  // namespace korvel::e2e
