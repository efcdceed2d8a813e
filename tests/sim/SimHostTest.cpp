// The whole host without its window against ten in-process simulated units:
// what an operator sees at the end of gang runs with faulty units.
#include <gtest/gtest.h>

#include "sim/SimHostFixture.h"
#include "target/Checksums.h"

namespace korvel::test {
namespace {

class SimHost : public SimHostFixture {
 protected:
  // Ten units, the chip selected and an image in the buffer.
  void Start(const std::vector<std::string>& faultTexts, const std::string& chip) {
    StartUnits(faultTexts);
    if (HasFatalFailure()) return;
    LoadPattern(chip);
  }
  int ChannelLines(int c, const std::string& text) const {
    int n = 0;
    for (const auto& l : host->App.Log.Lines()) n += l.ends_with(ChannelPrefix(c) + text);
    return n;
  }
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
