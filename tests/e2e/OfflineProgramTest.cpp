// korvelst --run offline with its own simulated units: the job goes down,
// the units are started off-line and program their chips alone, and the
// host, listening, counts what they report.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "app/ChannelOps.h"
#include "e2e/HeadlessHost.h"
#include "e2e/KorvelstProcess.h"

namespace korvel::e2e {
namespace {

using namespace std::chrono_literals;

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
  return n;
}

class OfflineProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    std::mt19937 rng(11);
    std::vector<uint8_t> image(16 * 1024);
    for (auto& b : image) b = static_cast<uint8_t>(rng());
    ASSERT_TRUE(WriteHexFile(dir / "IMG.hex", {{0x8000, image}}));
  }
  std::vector<std::string> Args(const std::string& fault, std::vector<std::string> extra) const {
    std::vector<std::string> a{"--simulate", "10",          "--sim-fault", fault,       "--chip", "STM8S105K4",
                               "--load",     dir / "IMG.hex", "--run",      "offline", "--echo-log"};
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
  }
  ScratchDir dir;
};

TEST_F(OfflineProgram, TenUnitsProgramThirtyChipsAloneAndTheHostCountsThem) {
  const KorvelstOutcome r = RunKorvelst(dir.Path(), Args("*:auto=3", {"--listen", "5"}), 60s);
  EXPECT_EQ(r.Status, 0) << r.Output;
  EXPECT_EQ(Count(r.Output, "Start Off-Line Programming......"), 1) << r.Output;
  EXPECT_EQ(Count(r.Output, "Progrmming Completed : "), 30) << r.Output;
  EXPECT_NE(r.Out.find("\nOK=30, NG=0.\n"), std::string::npos) << r.Out;
  for (int c = 0; c < 10; ++c)
    EXPECT_EQ(Count(r.Output, ChannelPrefix(c) + "OK=3, NG=0."), 1) << c;
  EXPECT_EQ(Count(r.Output, "未找到设备"), 0) << r.Output;
}

// Failed chips are the status; without --listen the run ends at the start.
// (Chips keep the default 500 ms: a report a unit sends while the start has
// its port closed is lost, as it would be on the line.)
TEST_F(OfflineProgram, FailedChipsAreTheStatusAndExitEndsAtTheStart) {
  const KorvelstOutcome listened =
      RunKorvelst(dir.Path(), Args("*:auto=2,fail=2", {"--listen", "3"}), 60s);
  EXPECT_EQ(listened.Status, 10) << listened.Output;
  EXPECT_NE(listened.Out.find("\nOK=10, NG=10.\n"), std::string::npos) << listened.Out;

  const KorvelstOutcome started = RunKorvelst(dir.Path(), Args("*:auto=2", {"--exit"}), 60s);
  EXPECT_EQ(started.Status, 0) << started.Output;
  EXPECT_NE(started.Out.find("\nOK=10, NG=0.\n"), std::string::npos) << started.Out;
  EXPECT_EQ(Count(started.Output, "Start Off-Line Programming......"), 1);
}

}  // namespace
}  // namespace korvel::e2e
