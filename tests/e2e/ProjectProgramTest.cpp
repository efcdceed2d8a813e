// korvelst with a project, as a production line runs it: a script saves the
// job once, then downloads it to every unit with "OFF" and no display.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "e2e/HeadlessHost.h"
#include "e2e/KorvelstProcess.h"
#include "sim/PtyUnitServer.h"
#include "support/FileText.h"

namespace korvel::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr size_t kFlashBytes = 128 * 1024;

std::string Slurp(const fs::path& p) { return test::FileText(p); }

class ProjectProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    std::mt19937 rng(5);
    flash.resize(kFlashBytes);
    for (auto& b : flash) b = static_cast<uint8_t>(rng());
    ASSERT_TRUE(WriteHexFile(dir / "app.hex", {{0x08000000, flash}}));
    const KorvelstOutcome saved = RunKorvelst(
        dir.Path(), {"--chip", "STM32F103xB", "--load", "app.hex", "--save-project", "job.PKV", "--exit"}, 30s);
    ASSERT_EQ(saved.Status, 0) << saved.Output;
    ASSERT_TRUE(fs::is_regular_file(dir / "job.PKV")) << saved.Output;
  }
  ScratchDir dir;
  std::vector<uint8_t> flash;
};

// Ten units on pseudo-terminals named in the folder's ConfigTqz.ini, as
// real ones would be: each ends up holding the project's image.
TEST_F(ProjectProgram, OffDownloadsTheSavedProjectToTenUnitsAndCloses) {
  PtyUnitServer units(kChannelCount);
  std::string error;
  ASSERT_TRUE(units.Start(error)) << error;
  {
    std::ofstream ini(dir / "ConfigTqz.ini");
    ini << "[Connection]\nTOTDEV=" << kChannelCount << "\n";
    const auto paths = units.SlavePaths();
    for (size_t k = 0; k < paths.size(); ++k) ini << "DEV" << k + 1 << "=" << paths[k] << "\n";
  }
  const KorvelstOutcome r = RunKorvelst(dir.Path(), {"job.PKV", "OFF", "--echo-log"}, 60s);
  EXPECT_EQ(r.Status, 0) << r.Output;
  EXPECT_EQ(Slurp(dir / "ResDW.Txt"), "Download Success\r\n");
  EXPECT_NE(r.Out.find("OK=10, NG=0."), std::string::npos) << r.Out;
  for (int k = 0; k < kChannelCount; ++k) {
    const bool holds = units.WithUnit(k, [&](SimUnit& u) {
      const SimJob& job = u.Job();
      return job.Complete() && std::equal(flash.begin(), flash.end(), job.Image.begin());
    });
    EXPECT_TRUE(holds) << "unit " << k + 1;
  }
}

// The program's own simulated units; a silent one that a script with
// --exit must not wait for: it ends after the settle time with the number
// of failed channels and no result file; and a damaged copy of the project,
// which ends the run at once with 64 and the reason.
TEST_F(ProjectProgram, SimulatedUnitsSilentUnitAndDamagedProject) {
  std::string damaged = Slurp(dir / "job.PKV");
  damaged[5000] = static_cast<char>(damaged[5000] ^ 0x01);  // a flash byte
  { std::ofstream(dir / "damaged.PKV", std::ios::binary) << damaged; }
  struct Case {
    const char* Name;
    std::vector<std::string> Args;
    int Status;
    bool Result;
    const char* Out;  // on standard output
    const char* Err;  // on standard error
  };
  const Case cases[] = {
      {"ten units", {"--simulate", "10", "job.PKV", "OFF", "--echo-log"}, 0, true, "OK=10, NG=0.", ""},
      {"silent unit", {"--simulate", "10", "--sim-fault", "3:silent", "job.PKV", "OFF", "--exit"}, 1, false,
       "OK=9, NG=1.", ""},
      {"damaged", {"--simulate", "10", "damaged.PKV", "--exit"}, 64, false, "",
       "damaged.PKV: Project File Data Has Been Corrupted!"},
  };
  for (const Case& c : cases) {
    fs::remove(dir / "ResDW.Txt");
    const auto start = std::chrono::steady_clock::now();
    const KorvelstOutcome r = RunKorvelst(dir.Path(), c.Args, 60s);
    EXPECT_EQ(r.Status, c.Status) << c.Name << "\n" << r.Output;
    EXPECT_EQ(fs::exists(dir / "ResDW.Txt"), c.Result) << c.Name;
    EXPECT_NE(r.Out.find(c.Out), std::string::npos) << c.Name << "\n" << r.Out;
    EXPECT_NE(r.Err.find(c.Err), std::string::npos) << c.Name << "\n" << r.Err;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s) << c.Name;
  }
}

}  // namespace
}  // namespace korvel::e2e
