// The whole host without its window against ten in-process simulated units:
// what an operator sees at the end of gang runs with faulty units.
#include <gtest/gtest.h>

#include "app/ManualDispatcher.h"
#include "engine/Host.h"
#include "sim/SimDriver.h"
#include "sim/SimLink.h"
#include "target/Checksums.h"

namespace korvel::test {
namespace {

class SimHost : public testing::Test {
 protected:
  SimHost() : clock(MakeTime(2026, 12, 5, 7, 14, 11)) {}

  // Ten units with the given faults (fault texts as korvelsim takes them),
  // searched and identified, the chip selected and an image in the buffer.
  void Start(const std::vector<std::string>& faultTexts, const std::string& chip) {
    std::string error;
    auto faults = ParseUnitFaults(faultTexts, error);
    ASSERT_TRUE(faults) << error;
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
    host->Channels().FindDevices();
    Pump();
    ASSERT_EQ(host->App.Flags.DevicesFound, kChannelCount);
    ASSERT_FALSE(host->SelectChipByName(chip));
    for (size_t i = 0; i < 64 * 1024; ++i) host->Buffers.Main[i] = static_cast<uint8_t>(i * 7 + 3);
    host->App.Flags.ImageLoaded = true;
  }
  void Pump() {
    for (int i = 0; i < 100000 && ui.RunPending() > 0; ++i) {
    }
  }
  int ChannelLines(int c, const std::string& text) const {
    int n = 0;
    for (const auto& l : host->App.Log.Lines()) n += l.ends_with(ChannelPrefix(c) + text);
    return n;
  }
  const ChannelOutcome& Outcome(int c) const { return host->App.Channels[c].Outcome; }

  FixedClock clock;
  RecordingPrompts prompts;
  ManualDispatcher ui;
  std::array<std::shared_ptr<SimUnit>, kChannelCount> units;
  std::unique_ptr<Host> host;
};

TEST_F(SimHost, AUnitOneDataReplyShortFailsAloneAndTheOthersSucceed) {
  Start({"4:short=1"}, "STM32F103xB");
  EXPECT_EQ(host->Operations().Auto(), kChannelCount);
  Pump();
  for (int c = 0; c < kChannelCount; ++c) {
    SCOPED_TRACE(c);
    EXPECT_FALSE(host->App.Channels[c].Busy);
    if (c == 3) {
      EXPECT_EQ(Outcome(c).Result, ChannelResult::Failure);
      EXPECT_EQ(Outcome(c).Text, "数据包错误！");
      EXPECT_EQ(ChannelLines(c, "数据包错误！"), 1);
      EXPECT_EQ(ChannelLines(c, "Flash数据校验成功！"), 0);
    } else {
      EXPECT_EQ(Outcome(c).Result, ChannelResult::Success);
      EXPECT_EQ(ChannelLines(c, "Programming Success!"), 1);
    }
  }
  EXPECT_TRUE(prompts.Messages.empty());
  EXPECT_EQ(host->App.Flags.OnlineCounter, 9u);
}

TEST_F(SimHost, ALineErrorMidRunEndsThatChannelOnceWithItsLine) {
  Start({}, "STM32F103xB");
  host->Operations().Auto();
  host->Channels().ReceiveError(7, 0x08);
  host->Channels().ReceiveError(7, 0x08);  // the second finds nothing running
  Pump();
  EXPECT_EQ(Outcome(7).Result, ChannelResult::Failure);
  EXPECT_EQ(Outcome(7).Code, kStatusSerialError);
  EXPECT_EQ(ChannelLines(7, "串口通讯错误！"), 1);
  EXPECT_EQ(ChannelLines(7, "Programming Success!"), 0);
  EXPECT_EQ(Outcome(6).Result, ChannelResult::Success);
}

TEST_F(SimHost, ReadChipMemoryMakesWhatWasReadTheJobWithItsCheckValues) {
  Start({"1:notblank"}, "STM32F103xB");
  const uint16_t loadedCrc = host->Buffers.FlashCrc;
  ASSERT_TRUE(host->Operations().ReadChipMemory());
  Pump();
  ASSERT_EQ(Outcome(0).Result, ChannelResult::Success);
  const auto& chip = units[0]->Target().Flash;
  ASSERT_TRUE(std::equal(chip.begin(), chip.begin() + 128 * 1024, host->Buffers.Main.begin()));
  const uint16_t readCrc = GetBrevanCheckSum(host->Buffers.Main, 0, 128 * 1024 - 1);
  EXPECT_NE(readCrc, loadedCrc);
  EXPECT_EQ(host->Buffers.FlashCrc, readCrc);
  EXPECT_EQ(host->Buffers.FlashSum, SumValue(host->Buffers.Main, 0, 128 * 1024 - 1));
  // The next operation's job carries them.
  host->RefreshJob();
  EXPECT_EQ(host->Job().Checks.FlashCrc, readCrc);
}

// A chip whose flash does not start at 0x08000000 is programmed with the
// bytes the loader put at the start of the buffer, not with what lies at
// the flash base's low bits.
TEST_F(SimHost, AChipWithItsFlashElsewhereGetsTheLoadedImage) {
  Start({}, "BlueNRG-132");
  ASSERT_EQ(host->Operations().Auto(), kChannelCount);
  Pump();
  for (int c = 0; c < kChannelCount; ++c) {
    SCOPED_TRACE(c);
    ASSERT_EQ(Outcome(c).Result, ChannelResult::Success) << Outcome(c).Text;
    const auto& flash = units[c]->Target().Flash;
    EXPECT_TRUE(std::equal(flash.begin(), flash.begin() + 64 * 1024, host->Buffers.Main.begin()));
  }
}

}  // namespace
}  // namespace korvel::test
