// "Start Off-Line Program" through the whole host against in-process units:
// which port each channel opens, who gets the restart request, and what the
// host makes of the units' reports once the channels are not connected.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/ManualDispatcher.h"
#include "engine/Host.h"
#include "sim/SimAutoDetect.h"
#include "sim/SimDriver.h"
#include "sim/SimLink.h"

namespace korvel::test {
namespace {

namespace fs = std::filesystem;

class OfflineStart : public testing::Test {
 protected:
  OfflineStart() : clock(MakeTime(2026, 12, 5, 7, 14, 11)) {
    dir = fs::temp_directory_path() / ("korvel-offline-" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  ~OfflineStart() override {
    host.reset();
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  // The units behind ten links; the ports come from ConfigTqz.ini.
  void Make(const std::string& ini, const std::string& faults = "delay=0") {
    std::ofstream(dir / "ConfigTqz.ini") << ini;
    for (int c = 0; c < kChannelCount; ++c) units[c] = std::make_shared<SimUnit>(UnitFaultsOf(faults));
    HostOptions options;
    options.Links = [this](int c) {
      auto l = std::make_unique<SimLink>(ui, units[c]);
      links[c] = l.get();
      return l;
    };
    host = std::make_unique<Host>(clock, prompts, std::move(options));
    host->App.Flags.AppDir = dir.string();
    host->OfflineSettleMs = 0;
    host->Channels().SearchSettleMs = 0;
  }
  void Pump() {
    for (int i = 0; i < 100000 && ui.RunPending() > 0; ++i) {
    }
  }
  int LinesWith(const std::string& part) const {
    int n = 0;
    for (const auto& l : host->App.Log.Lines()) n += l.find(part) != std::string::npos;
    return n;
  }

  FixedClock clock;
  RecordingPrompts prompts;
  ManualDispatcher ui;
  fs::path dir;
  std::array<std::shared_ptr<SimUnit>, kChannelCount> units;
  std::array<SimLink*, kChannelCount> links{};
  std::unique_ptr<Host> host;
};

// Twelve ports listed, ten channels: the first ten, in list order, each on
// its own channel (the last two lines name channels 1 and 2 again).
TEST_F(OfflineStart, TwelveListedPortsStartTenChannelsInListOrder) {
  std::string ini = "[Connection]\nTOTDEV=10\n";
  for (int c = 0; c < 10; ++c) ini += "DEV" + std::to_string(c + 1) + "=/dev/p" + std::to_string(c) + "\n";
  ini += "DEV1=/dev/x\nDEV2=/dev/y\n";
  Make(ini);
  links[4]->Plugged = false;  // this port will not open; the others still go
  const std::vector<int> started = host->StartOffLineProgram();
  Pump();
  EXPECT_EQ(started, (std::vector<int>{0, 1, 2, 3, 5, 6, 7, 8, 9}));
  for (int c = 0; c < kChannelCount; ++c) {
    SCOPED_TRACE(c);
    EXPECT_EQ(links[c]->CommName(), "/dev/p" + std::to_string(c));
    EXPECT_EQ(units[c]->Restarts(), c == 4 ? 0 : 1);
    EXPECT_EQ(units[c]->Requests(), c == 4 ? 0 : 1);  // the restart alone, no wake-up
    EXPECT_FALSE(host->App.Channels[c].Connected);
  }
  EXPECT_EQ(host->App.Log.Lines().front(), "> 07:14:11 Start Off-Line Programming......");
  // The units' acknowledgements are no unit of another model.
  EXPECT_EQ(LinesWith("未找到设备"), 0);
}

TEST_F(OfflineStart, ThreePortsOfEightChannelsStartThreeAndNothingWithoutPorts) {
  Make("[Connection]\nTOTDEV=8\nDEV1=/dev/a\nDEV2=/dev/b\nDEV3=/dev/c\n");
  EXPECT_EQ(host->StartOffLineProgram(), (std::vector<int>{0, 1, 2}));
  for (int c = 3; c < kChannelCount; ++c) {
    EXPECT_FALSE(links[c]->IsOpen()) << c;
    EXPECT_EQ(units[c]->Requests(), 0) << c;
  }

  Make("[Connection]\nTOTDEV=8\n");
  EXPECT_TRUE(host->StartOffLineProgram().empty());
  for (int c = 0; c < kChannelCount; ++c) EXPECT_EQ(links[c]->Opens(), 0);
}

// After a download the channels were connected and idle; the start leaves
// them not connected, and a chip a unit reports then is still shown and
// counted.
TEST_F(OfflineStart, ReportsOfUnitsRunningAloneAreCounted) {
  Make("[Connection]\nDEV1=/dev/a\nDEV2=/dev/b\n");
  host->Channels().FindDevices();
  Pump();
  ASSERT_EQ(host->App.Flags.DevicesFound, 2);
  ASSERT_FALSE(host->SelectChipByName("STM8S105K4"));
  host->App.Flags.ImageLoaded = true;
  ASSERT_EQ(host->Operations().Download(), 2);
  Pump();
  ASSERT_EQ(host->App.Flags.DownloadsDone, 2);

  ASSERT_EQ(host->StartOffLineProgram().size(), 2u);
  Pump();
  EXPECT_FALSE(host->App.Channels[1].Connected);
  auto frame = [](uint8_t result) {
    const auto f = ProgressFrame(kRunDone, result);
    return Wire(Bytes(f.begin(), f.end()));
  };
  const Bytes done = frame(kChipGood), failed = frame(0x1E);
  host->Channels().ReceiveData(1, done.data(), done.size());
  host->Channels().ReceiveData(1, failed.data(), failed.size());
  EXPECT_EQ(host->App.Channels[1].OkCount, 1u);
  EXPECT_EQ(host->App.Channels[1].NgCount, 1u);
  EXPECT_EQ(host->App.Flags.TotalOk, 1u);
  EXPECT_EQ(LinesWith("Channel 2: Progrmming Completed : Error：芯片未设定读保护！"), 1);
  EXPECT_EQ(LinesWith("Channel 2: OK=1, NG=1."), 1);
  EXPECT_EQ(LinesWith("未找到设备"), 0);
}

}  // namespace
}  // namespace korvel::test
