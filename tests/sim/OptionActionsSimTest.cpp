// Option-editor actions given to the host end up in every unit's chip.
#include <gtest/gtest.h>

#include "app/ManualDispatcher.h"
#include "engine/Host.h"
#include "sim/SimLink.h"

namespace korvel::test {
namespace {

TEST(OptionActionsOnUnits, AutoWritesTheEditedOptionBytesIntoEveryChip) {
  FixedClock clock(MakeTime(2026, 12, 5, 7, 14, 11));
  RecordingPrompts prompts;
  ManualDispatcher ui;
  std::array<std::shared_ptr<SimUnit>, kChannelCount> units;
  HostOptions options;
  std::vector<std::string> ports;
  for (int c = 0; c < kChannelCount; ++c) {
    units[c] = std::make_shared<SimUnit>(UnitFaults{});
    ports.push_back("/dev/ttyACM" + std::to_string(c));
  }
  options.ExplicitPorts = ports;
  options.Links = [&](int c) { return std::make_unique<SimLink>(ui, units[c]); };
  Host host(clock, prompts, std::move(options));
  auto pump = [&] {
    for (int i = 0; i < 100000 && ui.RunPending() > 0; ++i) {
    }
  };
  host.Channels().SearchSettleMs = 0;
  host.Channels().FindDevices();
  pump();
  ASSERT_EQ(host.App.Flags.DevicesFound, kChannelCount);
  ASSERT_FALSE(host.SelectChipByName("STM32F103xB"));
  for (size_t i = 0; i < 4096; ++i) host.Buffers.Main[i] = static_cast<uint8_t>(i * 7 + 3);
  host.App.Flags.ImageLoaded = true;

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
