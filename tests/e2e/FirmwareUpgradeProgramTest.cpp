// korvelst upgrading the firmware of simulated units as a script would, with
// a firmware file korvelsim made.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "e2e/HeadlessHost.h"
#include "e2e/KorvelstProcess.h"
#include "e2e/SimProcess.h"

namespace korvel::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
  return n;
}

bool MakeFirmware(const std::string& path, const std::string& size = "") {
  std::string command = std::string(KORVELSIM_PATH) + " --make-firmware '" + path + "'";
  if (!size.empty()) command += " --size " + size;
  return std::system((command + " >/dev/null").c_str()) == 0;
}

TEST(FirmwareUpgradeProgram, FourSimulatedUnitsTakeTheFirmwareAndAreFoundAgain) {
  ScratchDir dir;
  ASSERT_TRUE(MakeFirmware(dir / "fw.FWR"));
  fs::copy_file(dir / "fw.FWR", dir / "TroxSTX.FWR");
  const KorvelstOutcome r =
      RunKorvelst(dir.Path(), {"--simulate", "4", "--run", "upgrade", "--exit", "--echo-log"}, 60s);
  EXPECT_EQ(r.Status, 0) << r.Output;
  for (int c = 0; c < 4; ++c) {
    const std::string done = ChannelPrefix(c) + "Firmware " + std::to_string(c + 1) + " Upgrade Completed!";
    ASSERT_EQ(Count(r.Out, done), 1) << r.Output;
    // Found by the first search and again after the upgrade.
    const size_t after = r.Out.find(done);
    EXPECT_NE(r.Out.find(ChannelPrefix(c) + "找到设备：", after), std::string::npos) << r.Output;
  }
  EXPECT_NE(r.Out.find("OK=4, NG=0."), std::string::npos) << r.Out;
}

// Units of korvelsim check the blocks against the firmware they were given:
// another firmware in the host's folder is refused by every one of them,
// and each counts in the exit status. Without TroxSTX.FWR nothing starts.
TEST(FirmwareUpgradeProgram, KorvelsimUnitsRefuseOtherFirmware) {
  struct Case {
    const char* Name;
    bool SameFirmware;
    bool HostFile;
    int Status;
    int Completed;
  };
  for (const Case& c : {Case{"same", true, true, 0, 3}, Case{"other", false, true, 3, 0},
                        Case{"no file", true, false, 64, 0}}) {
    SCOPED_TRACE(c.Name);
    ScratchDir dir;
    ASSERT_TRUE(MakeFirmware(dir / "units.FWR", "5000"));
    if (c.HostFile) {
      if (c.SameFirmware) fs::copy_file(dir / "units.FWR", dir / "TroxSTX.FWR");
      else ASSERT_TRUE(MakeFirmware(dir / "TroxSTX.FWR", "5000"));
    }
    SimProcess sim(KORVELSIM_PATH, 3, dir.Path(), {"--firmware", dir / "units.FWR"});
    ASSERT_TRUE(sim.Ready);
    const KorvelstOutcome r = RunKorvelst(dir.Path(), {"--run", "upgrade", "--exit", "--echo-log"}, 60s);
    EXPECT_EQ(r.Status, c.Status) << r.Output;
    EXPECT_EQ(Count(r.Out, "Upgrade Completed!\n"), c.Completed) << r.Output;
    if (!c.SameFirmware) {
      EXPECT_EQ(Count(r.Out, ": 数据校验错误！\n"), 3) << r.Output;
    }
  }
}

}  // namespace
}  // namespace korvel::e2e
