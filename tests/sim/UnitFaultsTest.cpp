#include "sim/UnitFaults.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(UnitFaults, ParsesEveryKindAndAddsThemUpPerUnit) {
  std::string error;
  auto f = ParseUnitFaults({"3:silent", "2:name=Foo", "5:hangup=4", "1:garbage", "1:hangup=2"}, error);
  ASSERT_TRUE(f) << error;
  EXPECT_TRUE((*f)[3].Silent);
  EXPECT_EQ((*f)[2].Name, "Foo");
  EXPECT_EQ((*f)[5].HangupAfter, 4);
  EXPECT_TRUE((*f)[1].Garbage);
  EXPECT_EQ((*f)[1].HangupAfter, 2);
}

TEST(UnitFaults, RejectsMalformedSpecs) {
  for (const char* bad : {"silent", "0:silent", "x:silent", "3:", "3:loud", "3:hangup=", "3:hangup=0",
                          "3:name=", "3:hangup=-1"}) {
    std::string error;
    EXPECT_FALSE(ParseUnitFaults({bad}, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

}  // namespace
}  // namespace korvel
