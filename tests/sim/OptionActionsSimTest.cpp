// Option-editor actions given to the host end up in every unit's chip.
#include <gtest/gtest.h>

#include "sim/SimHostFixture.h"

namespace korvel::test {
namespace {

class OptionActionsOnUnits : public SimHostFixture {};

TEST_F(OptionActionsOnUnits, AutoWritesTheEditedOptionBytesIntoEveryChip) {
  StartUnits({});
  LoadPattern("STM32F103xB", 4096);
  ASSERT_FALSE(HasFatalFailure());
  Host& host = *this->host;
  auto pump = [this] { Pump(); };

  EXPECT_EQ(host.ApplyOptionActions({"ComBoxM0ROP=1"}).value_or(""), "ComBoxM0ROP: hidden for STM32F103xB");
  ASSERT_FALSE(host.ApplyOptionActions({"STM32xEROP", "PnlP0B0=0"}));
  // The same path as the option button: the lines are printed.
  const auto& lines = host.App.Log.Lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "> Option Byte: 00 ff ff ff fe ff ff ff "), lines.end());

  EXPECT_EQ(host.Operations().Auto(), kChannelCount);
  pump();
  for (int c = 0; c < kChannelCount; ++c) {
    SCOPED_TRACE(c);
    EXPECT_EQ(host.App.Channels[c].Outcome.Result, ChannelResult::Success);
    const auto& chip = units[c]->Target().OptionBytes;
    EXPECT_EQ(chip[0], 0x00);
    EXPECT_EQ(chip[1], 0xFF);
    EXPECT_EQ(chip[8], 0xFE);
    EXPECT_EQ(chip[9], 0x01);
  }
}

}  // namespace
}  // namespace korvel::test
