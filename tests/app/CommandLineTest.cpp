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
           {"--bogus"}, {"--simulate"}, {"--simulate", "11"}, {"--simulate", "x"}, {"--chip"}}) {
    EXPECT_TRUE(ParseCommandLine(args).Error.has_value()) << args[0];
  }
}

}  // namespace
}  // namespace korvel
