// The firmware upgrade through the whole host against in-process simulated
// units that check every block against the firmware they were given.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/ManualDispatcher.h"
#include "engine/Host.h"
#include "sim/SimFirmware.h"
#include "sim/SimLink.h"

namespace korvel::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes Body(size_t n, uint8_t salt = 0) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 11 + 1) ^ salt;
  return b;
}

std::shared_ptr<const FirmwareImage> ImageOf(const Bytes& file) {
  FirmwareRead r = ParseFirmwareFile(file);
  return r.Firmware ? std::make_shared<const FirmwareImage>(std::move(*r.Firmware)) : nullptr;
}

class FirmwareHost : public testing::Test {
 protected:
  FirmwareHost() : clock(MakeTime(2026, 12, 5, 7, 14, 11)) {
    std::string pattern = (fs::temp_directory_path() / "korvel-fw-XXXXXX").string();
    if (::mkdtemp(pattern.data())) dir = pattern;
    uint32_t seed = 5;
    file = MakeFirmwareFile(Body(6000), FirmwareEndFor(6000), [&seed] { return seed = seed * 1103515245u + 12345u; });
  }
  ~FirmwareHost() override {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }

  void WriteFirmware(const Bytes& bytes) {
    std::ofstream(dir + "/TroxSTX.FWR", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  // Units on the given channels (0-based) with the given fault texts; the
  // other channels have no unit. Shows the window's start-up in dir and
  // searches.
  void Start(const std::vector<int>& channels, const std::vector<std::string>& faultTexts = {}) {
    std::string error;
    auto faults = ParseUnitFaults(faultTexts, error);
    ASSERT_TRUE(faults) << error;
    std::vector<std::string> ports;
    const auto image = ImageOf(file);
    for (int c = 0; c < kChannelCount; ++c) {
      units[c] = std::make_shared<SimUnit>((*faults)[c + 1]);
      units[c]->Firmware().Expected = image;
      ports.push_back("/dev/ttyACM" + std::to_string(c));
    }
    HostOptions options;
    options.Links = [this, channels](int c) {
      auto link = std::make_unique<SimLink>(ui, units[c]);
      link->Plugged = std::find(channels.begin(), channels.end(), c) != channels.end();
      return link;
    };
    options.ExplicitPorts = ports;
    host = std::make_unique<Host>(clock, prompts, std::move(options));
    host->Channels().SearchSettleMs = 0;
    host->FormShow(cmd, dir, {});
    host->OnTimer2Tick();
    Pump();
  }
  void Pump() {
    for (int i = 0; i < 100000 && ui.RunPending() > 0; ++i) {
    }
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) {
      host->OnTimer1Tick();
      Pump();
    }
  }
  int Lines(const std::string& text) const {
    int n = 0;
    for (const auto& l : host->App.Log.Lines()) n += l.ends_with(text);
    return n;
  }
  ChannelState& Ch(int c) { return host->App.Channels[c]; }

  std::string dir;
  Bytes file;
  CommandLine cmd;
  FixedClock clock;
  RecordingPrompts prompts;
  ManualDispatcher ui;
  std::array<std::shared_ptr<SimUnit>, kChannelCount> units;
  std::unique_ptr<Host> host;
};

// Three units on channels 2, 5 and 9; the one on 5 holds other firmware
// from its third block on, so it refuses that block.
TEST_F(FirmwareHost, UnitsAreUpgradedWhereTheySitAndARefusedBlockStopsOnlyThatUnit) {
  WriteFirmware(file);
  Start({1, 4, 8});
  ASSERT_EQ(host->App.Flags.DevicesFound, 3);
  ASSERT_TRUE(host->Firmware().Valid());
  FirmwareImage other = *ImageOf(file);
  other.Image[2 * 2048 + 1] ^= 0x80;
  units[4]->Firmware().Expected = std::make_shared<const FirmwareImage>(other);

  prompts.Answers = {PromptButton::Yes};
  EXPECT_EQ(host->Firmware().MenuClick(true), 3);
  ASSERT_EQ(prompts.Messages.size(), 1u);
  EXPECT_EQ(prompts.Messages[0].Text, "Upgrade the firmware of 3 units from TroxSTX.FWR?");
  for (int c : {1, 4, 8}) {
    EXPECT_EQ(Ch(c).Step, kStepFirmware);
    EXPECT_EQ(Ch(c).BlockCount, 3);  // 6000 bytes: E = 0x1800
    EXPECT_TRUE(Ch(c).UpgradePending);
  }
  EXPECT_EQ(Lines(ChannelPrefix(4) + "开始升级编程器5固件......"), 1);
  Pump();

  for (int c : {1, 8}) {
    SCOPED_TRACE(c);
    EXPECT_EQ(Ch(c).Outcome.Result, ChannelResult::Success);
    EXPECT_FALSE(Ch(c).UpgradePending);
    EXPECT_EQ(Lines(ChannelPrefix(c) + "Firmware " + std::to_string(c + 1) + " Upgrade Completed!"), 1);
    EXPECT_EQ(units[c]->Firmware().Upgrades, 1);
    EXPECT_EQ(units[c]->Firmware().BadBlocks, 0);
  }
  // The refused block ends the channel with the unit's error and no restart.
  EXPECT_EQ(Ch(4).Outcome.Result, ChannelResult::Failure);
  EXPECT_EQ(Ch(4).Outcome.Code, 0x31);
  EXPECT_EQ(Lines(ChannelPrefix(4) + "数据校验错误！"), 1);
  EXPECT_EQ(Lines("Firmware 5 Upgrade Completed!"), 0);
  EXPECT_EQ(units[4]->Firmware().Upgrades, 0);
  EXPECT_EQ(units[4]->Firmware().BadBlocks, 1);
  EXPECT_TRUE(Ch(4).UpgradePending);
  // No channel without a unit was touched.
  EXPECT_EQ(units[0]->Requests(), 0);
  EXPECT_EQ(units[2]->Requests(), 0);

  // 500 ms after the last channel finished the units are searched for again.
  const int wakeUps = units[1]->Requests();
  Ticks(FirmwareUpgrade::kSearchDelayTicks);
  EXPECT_EQ(host->Firmware().SearchesAfterUpgrade(), 0);
  Ticks(2);
  EXPECT_EQ(host->Firmware().SearchesAfterUpgrade(), 1);
  EXPECT_EQ(units[1]->Requests(), wakeUps + 1);
  EXPECT_EQ(host->App.Flags.DevicesFound, 3);
  for (int c : {1, 4, 8}) EXPECT_TRUE(Ch(c).Connected) << c;
  EXPECT_FALSE(host->Firmware().InProgress());
}

TEST_F(FirmwareHost, UpgradePendingIsSetAtStartUpAndClearedByEachIdentification) {
  WriteFirmware(file);
  Start({0, 3});
  for (int c = 0; c < kChannelCount; ++c) EXPECT_EQ(Ch(c).UpgradePending, c != 0 && c != 3) << c;
}

TEST_F(FirmwareHost, NothingIsSentWithoutAFileAUnitOrTheOperatorsYes) {
  struct Case {
    const char* Name;
    bool WriteFile;
    bool Damaged;
    std::vector<int> Channels;
    PromptButton Answer;
    std::string Message;  // the last message shown
  };
  const Case cases[] = {
      {"no file", false, false, {0}, PromptButton::Yes, "文件\"TroxSTX.FWR\"没有找到，请确认！"},
      {"damaged file", true, true, {0}, PromptButton::Yes, "No Device is Connected!"},
      {"no unit", true, false, {}, PromptButton::Yes, "No Device is Connected!"},
      {"operator says no", true, false, {0}, PromptButton::No, "Upgrade the firmware of 1 units from TroxSTX.FWR?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    fs::remove(dir + "/TroxSTX.FWR");
    if (c.WriteFile) {
      Bytes f = file;
      if (c.Damaged) f[4000] ^= 1;
      WriteFirmware(f);
    }
    prompts.Messages.clear();
    Start(c.Channels);
    prompts.Messages.clear();
    prompts.Answers = {c.Answer};
    const int before = units[0]->Requests();
    EXPECT_EQ(host->Firmware().MenuClick(true), 0);
    ASSERT_FALSE(prompts.Messages.empty());
    EXPECT_EQ(prompts.Messages.back().Text, c.Message);
    Pump();
    EXPECT_EQ(units[0]->Requests(), before);
    EXPECT_FALSE(Ch(0).Busy);
    host.reset();
  }
}

TEST_F(FirmwareHost, AUnitThatFallsSilentTimesOutAndTheOthersAreStillSearchedAgain) {
  WriteFirmware(file);
  // Unit 2 answers the wake-up and the first block only.
  Start({0, 1}, {"2:silent=3"});
  prompts.Answers = {PromptButton::Yes};
  EXPECT_EQ(host->Firmware().MenuClick(true), 2);
  Pump();
  EXPECT_EQ(Ch(0).Outcome.Result, ChannelResult::Success);
  EXPECT_TRUE(Ch(1).Busy);
  Ticks(499);
  EXPECT_TRUE(Ch(1).Busy);
  Ticks(1);
  EXPECT_EQ(Ch(1).Outcome.Result, ChannelResult::Timeout);
  EXPECT_EQ(Lines(ChannelPrefix(1) + "操作超时！"), 1);
  Ticks(FirmwareUpgrade::kSearchDelayTicks + 2);
  EXPECT_EQ(host->Firmware().SearchesAfterUpgrade(), 1);
  EXPECT_TRUE(Ch(0).Connected);
  EXPECT_FALSE(Ch(1).Connected);
}

// The unattended run: every unit upgraded, searched again, the summary and
// the exit status counting the units that failed or did not come back.
TEST_F(FirmwareHost, UnattendedUpgradeCountsUnitsThatFailedOrDidNotComeBack) {
  WriteFirmware(file);
  struct Case {
    const char* Name;
    std::vector<std::string> Faults;
    int Status;
    std::vector<std::string> Results;  // per channel 1..3
  };
  // 3 blocks: wake-up, blocks 1..3, restart, then the wake-up of the search
  // is request 6.
  const Case cases[] = {
      {"all good", {}, 0, {"Success", "Success", "Success"}},
      {"a block refused", {"2:status=B7:45"}, 1, {"Success", "Failure", "Success"}},
      {"not back", {"3:silent=6"}, 1, {"Success", "Success", "Missing"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    cmd = {};
    cmd.Run = "upgrade";
    cmd.Exit = true;
    std::optional<int> quit;
    std::vector<std::string> summary;
    std::string error;
    auto faults = ParseUnitFaults(c.Faults, error);
    ASSERT_TRUE(faults);
    std::vector<std::string> ports;
    const auto image = ImageOf(file);
    for (int k = 0; k < kChannelCount; ++k) {
      units[k] = std::make_shared<SimUnit>((*faults)[k + 1]);
      units[k]->Firmware().Expected = image;
    }
    for (int k = 0; k < 3; ++k) ports.push_back("/dev/ttyACM" + std::to_string(k));
    HostOptions options;
    options.Links = [this](int k) { return std::make_unique<SimLink>(ui, units[k]); };
    options.ExplicitPorts = ports;
    host = std::make_unique<Host>(clock, prompts, std::move(options));
    host->Channels().SearchSettleMs = 0;
    host->FormShow(cmd, dir, {});
    Host::CommandLineOutput out;
    out.Summary = [&summary](const std::string& l) { summary.push_back(l); };
    ASSERT_TRUE(host->StartCommandLine(cmd, [&quit](int code) { quit = code; }, out));
    host->OnTimer2Tick();
    Pump();
    for (int i = 0; i < 2000 && !quit; ++i) Ticks(1);
    ASSERT_TRUE(quit);
    EXPECT_EQ(*quit, c.Status);
    ASSERT_EQ(summary.size(), 4u);
    for (int k = 0; k < 3; ++k)
      EXPECT_NE(summary[k].find("\t" + c.Results[k] + "\t"), std::string::npos) << summary[k];
    EXPECT_EQ(host->Firmware().SearchesAfterUpgrade(), 1);
    host.reset();
  }
}

}  // namespace
}  // namespace korvel::test
