// The host's device search against ten simulated units on pseudo-terminals,
// through the real serial link and a headless UI loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>

#include "app/AppState.h"
#include "app/HeadlessLoop.h"
#include "e2e/StageRun.h"
#include "protocol/ChannelHost.h"
#include "serial/TComm.h"
#include "sim/PtyUnitServer.h"

namespace korvel {
namespace {

using namespace std::chrono_literals;

class SearchE2E : public ::testing::Test {
 protected:
  void Start(std::map<int, UnitFaults> faults = {}) {
    server = std::make_unique<PtyUnitServer>(kChannelCount, std::move(faults));
    std::string error;
    ASSERT_TRUE(server->Start(error)) << error;
    host = std::make_unique<ChannelHost>(app, [this](int) { return std::make_unique<TComm>(loop); });
    host->UseExplicitPorts(server->SlavePaths());
    host->ReadConnectionSettings();
    loop.SetTimer2([this] { loop.EnableTimer2(host->OnTimer2Tick()); });
  }
  void TearDown() override {
    host.reset();
    server.reset();
  }

  size_t Run(const std::vector<e2e::Stage>& stages, std::chrono::milliseconds deadline = 20s) {
    return e2e::RunStages(loop, [this] { host->OnTimer1Tick(); }, stages, deadline);
  }

  int Connected() const {
    return static_cast<int>(std::count_if(app.Channels.begin(), app.Channels.end(),
                                          [](const ChannelState& c) { return c.Connected; }));
  }
  int LinesWith(const std::string& part) const {
    const auto& lines = app.Log.Lines();
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
      return l.find(part) != std::string::npos;
    }));
  }

  SystemClock clock;
  AppState app{clock};
  HeadlessLoop loop;
  std::unique_ptr<PtyUnitServer> server;
  std::unique_ptr<ChannelHost> host;
};

TEST_F(SearchE2E, AllTenUnitsConnect) {
  Start();
  ASSERT_EQ(Run({{[&] { return Connected() == 10; }, {}}}), 1u);
  for (int c = 0; c < kChannelCount; ++c)
    EXPECT_EQ(LinesWith(ChannelPrefix(c) + "找到设备：Korvel200ST8-X10!"), 1) << c;
  EXPECT_EQ(app.Flags.DevicesFound, 10);
}

TEST_F(SearchE2E, SilentUnitStaysQuietAndOtherModelIsNotFound) {
  Start({{3, UnitFaults{.Silent = true}}, {2, UnitFaults{.Name = "Korvel100XY"}},
         {7, UnitFaults{.Garbage = true}}});
  ASSERT_EQ(Run({{[&] { return Connected() == 8 && LinesWith("未找到设备!") == 1; }, {}}}), 1u);
  EXPECT_EQ(LinesWith(ChannelPrefix(1) + "未找到设备!"), 1);
  EXPECT_FALSE(app.Channels[2].Connected);
  EXPECT_EQ(LinesWith(ChannelPrefix(2)), 0);
  EXPECT_TRUE(app.Channels[6].Connected);
}

TEST_F(SearchE2E, UnpluggingOneUnitDisconnectsOnlyItsChannelAndASecondSearchReconnects) {
  Start();
  std::string unplugged;
  const auto& box = app.Controls.ComboBoxCOMItems;
  const size_t met = Run({
      {[&] { return Connected() == 10; },
       [&] {
         unplugged = host->PortName(4);
         server->Unplug(4);
       }},
      {[&] { return !app.Channels[4].Connected; },
       [&] {
         EXPECT_EQ(Connected(), 9);
         EXPECT_EQ(box.size(), 9u);
         EXPECT_EQ(std::count(box.begin(), box.end(), unplugged), 0);
         server->Replug(4);
         host->UseExplicitPorts(server->SlavePaths());
         host->FindDevices();
       }},
      {[&] { return Connected() == 10; }, {}},
  });
  ASSERT_EQ(met, 3u);
  EXPECT_EQ(LinesWith(ChannelPrefix(4) + "找到设备：Korvel200ST8-X10!"), 2);
  EXPECT_EQ(LinesWith("找到设备：Korvel200ST8-X10!"), 20);
}

TEST_F(SearchE2E, UnitHangingUpMidSessionIsSeenAsUnplugged) {
  Start({{6, UnitFaults{.HangupAfter = 2}}});
  ASSERT_EQ(Run({{[&] { return Connected() == 10; }, [&] { host->SendRestart(5); }},
                 {[&] { return !app.Channels[5].Connected; }, {}}}),
            2u);
  EXPECT_EQ(Connected(), 9);
}

}  // namespace
}  // namespace korvel
