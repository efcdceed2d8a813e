#pragma once
// The whole host without its window against ten in-process simulated units,
// searched and identified: the fixture of the tests that look at what the
// units' chips hold after a run.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/ManualDispatcher.h"
#include "engine/Host.h"
#include "sim/SimDriver.h"
#include "sim/SimLink.h"

namespace korvel::test {

class SimHostFixture : public testing::Test {
 protected:
  SimHostFixture() : clock(MakeTime(2026, 12, 5, 7, 14, 11)) {}

  // Ten units with the given faults (fault texts as korvelsim takes them),
  // searched for.
  void StartUnits(const std::vector<std::string>& faultTexts) {
    ASSERT_TRUE(MakeHost(faultTexts));
    host->Channels().FindDevices();
    Pump();
    ASSERT_EQ(host->App.Flags.DevicesFound, kChannelCount);
  }
  // The host on ten units with the given faults, before any search.
  bool MakeHost(const std::vector<std::string>& faultTexts) {
    std::string error;
    auto faults = ParseUnitFaults(faultTexts, error);
    EXPECT_TRUE(faults) << error;
    if (!faults) return false;
    std::vector<std::string> ports;
    for (int c = 0; c < kChannelCount; ++c) {
      units[c] = std::make_shared<SimUnit>((*faults)[c + 1]);
      ports.push_back("/dev/ttyACM" + std::to_string(c));
    }
    HostOptions options;
    options.Links = [this](int c) { return std::make_unique<SimLink>(ui, units[c]); };
    options.ExplicitPorts = ports;
    host = std::make_unique<Host>(clock, prompts, std::move(options));
    host->Channels().SearchSettleMs = 0;
    return true;
  }
  // The chip selected and a counting pattern in the first bytes of the
  // main buffer, taken as a loaded image.
  void LoadPattern(const std::string& chip, size_t bytes = 64 * 1024) {
    ASSERT_FALSE(host->SelectChipByName(chip));
    for (size_t i = 0; i < bytes; ++i) host->Buffers.Main[i] = static_cast<uint8_t>(i * 7 + 3);
    host->App.Flags.ImageLoaded = true;
  }
  void Pump() {
    for (int i = 0; i < 100000 && ui.RunPending() > 0; ++i) {
    }
  }
  const ChannelOutcome& Outcome(int c) const { return host->App.Channels[c].Outcome; }

  FixedClock clock;
  RecordingPrompts prompts;
  ManualDispatcher ui;
  std::array<std::shared_ptr<SimUnit>, kChannelCount> units;
  std::unique_ptr<Host> host;
};

}  // namespace korvel::test
