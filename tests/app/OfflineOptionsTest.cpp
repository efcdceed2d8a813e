#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace korvel {
namespace {

TEST(OfflineOptions, StepListsThatAreRefused) {
  for (const char* text : {"", ",", "blank,flash", "rop-only,blank", "Blank"}) {
    std::string error;
    EXPECT_FALSE(ParseOfflineSteps(text, error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}

TEST(OfflineOptions, OfflineRunWithItsOptions) {
  auto r = ParseCommandLine({"--chip", "STM8S105K4", "--load", "a.hex", "--run", "offline", "--listen", "10",
                             "--auto-detect", "--offline-steps", "program,verify"});
  ASSERT_FALSE(r.Error) << *r.Error;
  EXPECT_EQ(r.Line.Run, "offline");
  EXPECT_EQ(r.Line.Listen, 10);
  EXPECT_TRUE(r.Line.AutoDetect);
  ASSERT_TRUE(r.Line.Steps);
  EXPECT_EQ(r.Line.Steps->Skip, 0x43);

  r = ParseCommandLine({"--chip", "X", "--load", "a.hex", "--save-project", "j.PKV", "--auto-detect",
                        "--offline-steps=rop-only"});
  ASSERT_FALSE(r.Error) << *r.Error;
  EXPECT_TRUE(r.Line.Steps->RopOnly);
}

TEST(OfflineOptions, OptionsWithoutTheirRunAreRefused) {
  for (auto args : std::vector<std::vector<std::string>>{
           {"--run", "auto", "--listen", "5"},
           {"--listen", "5"},
           {"--run", "offline", "--listen", "-1"},
           {"--run", "offline", "--listen", "86401"},
           {"--run", "offline", "--listen", "ten"},
           {"--auto-detect"},
           {"--offline-steps", "blank"},
           {"job.PKV", "--auto-detect"},
           {"--run", "offline", "--offline-steps", "polish"},
       }) {
    EXPECT_TRUE(ParseCommandLine(args).Error) << args[0] << " " << (args.size() > 1 ? args[1] : "");
  }
}

}  // namespace
}  // namespace korvel
