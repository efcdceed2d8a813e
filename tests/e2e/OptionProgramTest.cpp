// korvelst --option: the option editor's actions before an unattended run.
#include <gtest/gtest.h>

#include <chrono>

#include "e2e/HeadlessHost.h"
#include "e2e/KorvelstProcess.h"

namespace korvel::e2e {
namespace {

using namespace std::chrono_literals;

class OptionProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<uint8_t> bytes(8 * 1024);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 13 + 5);
    ASSERT_TRUE(WriteHexFile(dir / "IMG.hex", {{0x08000000, bytes}}));
  }
  std::vector<std::string> Args(std::vector<std::string> options) const {
    std::vector<std::string> a{"--simulate", "10", "--chip", "STM32F103xB", "--load", dir / "IMG.hex"};
    for (auto& o : options) a.insert(a.end(), {"--option", o});
    a.insert(a.end(), {"--run", "auto", "--exit", "--echo-log"});
    return a;
  }
  ScratchDir dir;
};

TEST_F(OptionProgram, AutoWithReadProtectionSucceedsAndPrintsTheEditedBytes) {
  const KorvelstOutcome r = RunKorvelst(dir.Path(), Args({"STM32xEROP"}), 60s);
  EXPECT_EQ(r.Status, 0) << r.Output;
  EXPECT_NE(r.Out.find("> Option Buffer: 00 ff ff 00 "), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("\nOK=10, NG=0.\n"), std::string::npos) << r.Out;
}

TEST_F(OptionProgram, RefusedActionsExit64NamingTheControl) {
  const struct {
    std::vector<std::string> Args;
    const char* Says;
  } cases[] = {
      {Args({"STM32xEROP", "ComBoxM0ROP=1"}), "ComBoxM0ROP: hidden for STM32F103xB"},
      {Args({"PnlD0B0=7"}), "PnlD0B0=7: out of range"},
      {{"--simulate", "2", "--option", "STM32xEROP"}, "--option needs --run"},
  };
  for (const auto& k : cases) {
    const KorvelstOutcome r = RunKorvelst(dir.Path(), k.Args, 30s);
    EXPECT_EQ(r.Status, 64) << r.Output;
    EXPECT_NE(r.Err.find(k.Says), std::string::npos) << r.Err;
    EXPECT_EQ(r.Out.find("OK="), std::string::npos) << r.Out;
  }
}

}  // namespace
}  // namespace korvel::e2e
