#include "protocol/ChannelHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/ChannelOps.h"
#include "app/ManualDispatcher.h"
#include "protocol/FrameCodec.h"
#include "sim/SimLink.h"

namespace korvel {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Wire(Bytes packet) {
  const uint16_t crc = CalcFrameCrc(packet, 0, static_cast<uint32_t>(packet.size() - 1));
  packet.push_back(crc & 0xFF);
  packet.push_back(crc >> 8);
  Bytes out(EncodedFrameCapacity(packet.size()));
  out.resize(EncodeFrame(packet, out));
  return out;
}

// Ten in-process units behind SimLinks; the dispatcher runs only when the
// test pumps it, so every exchange is deterministic.
class ChannelHostTest : public ::testing::Test {
 protected:
  ChannelHostTest() : clock(MakeTime(2026, 12, 5, 7, 14, 11)), app(clock) {
    for (int c = 0; c < kChannelCount; ++c) units[c] = std::make_shared<SimUnit>();
    MakeHost();
  }
  // The ports as the test names them, or (explicitPorts false) as the
  // search finds them: ConfigTqz.ini in AppDir, else enumeration.
  void MakeHost(bool explicitPorts = true) {
    host.reset();
    host = std::make_unique<ChannelHost>(app, [this](int c) {
      auto l = std::make_unique<SimLink>(ui, units[c]);
      links[c] = l.get();
      return l;
    });
    host->SearchSettleMs = 0;
    if (!explicitPorts) return;
    std::vector<std::string> ports;
    for (int c = 0; c < kChannelCount; ++c) ports.push_back("/dev/ttyACM" + std::to_string(c));
    host->UseExplicitPorts(ports);
  }
  void Search() {
    host->FindDevices();
    ui.RunPending();
  }
  bool HasLine(const std::string& text) const {
    for (const auto& l : app.Log.Lines())
      if (l == "> 07:14:11" + text) return true;
    return false;
  }
  int CountLinesWith(const std::string& part) const {
    int n = 0;
    for (const auto& l : app.Log.Lines()) n += l.find(part) != std::string::npos;
    return n;
  }
  void Feed(int c, const Bytes& b) { host->ReceiveData(c, b.data(), b.size()); }

  FixedClock clock;
  AppState app;
  ManualDispatcher ui;
  std::array<std::shared_ptr<SimUnit>, kChannelCount> units;
  std::array<SimLink*, kChannelCount> links{};
  std::unique_ptr<ChannelHost> host;
};

TEST_F(ChannelHostTest, SearchConnectsEveryAnsweringUnit) {
  Search();
  for (int c = 0; c < kChannelCount; ++c) {
    EXPECT_TRUE(app.Channels[c].Connected) << c;
    EXPECT_EQ(app.Channels[c].Step, kStepIdle);
    EXPECT_EQ(app.Channels[c].TimeoutTicks, 500);
    EXPECT_FALSE(app.Channels[c].UpgradePending);
    EXPECT_TRUE(HasLine(ChannelPrefix(c) + "找到设备：Korvel200ST8-X10!")) << c;
    EXPECT_TRUE(HasLine(" Checking Device " + std::to_string(c + 1) + " In /dev/ttyACM" +
                        std::to_string(c) + "............"));
  }
  EXPECT_EQ(app.Flags.DevicesFound, 10);
  EXPECT_TRUE(app.Flags.Supports18V);
  EXPECT_EQ(app.Controls.InfoPanelCaption, "Korvel200ST8-X10");
}

TEST_F(ChannelHostTest, OtherModelSilentUnitAndPanelRules) {
  units[1] = std::make_shared<SimUnit>(UnitFaults{.Name = "Korvel100XY"});
  units[2] = std::make_shared<SimUnit>(UnitFaults{.Silent = true});
  units[3] = std::make_shared<SimUnit>(UnitFaults{.Name = "Korvel200ST-Z"});
  units[8] = std::make_shared<SimUnit>(UnitFaults{.Name = "Korvel200ST9"});
  units[9] = std::make_shared<SimUnit>(UnitFaults{.Garbage = true});
  MakeHost();
  Search();
  EXPECT_FALSE(app.Channels[1].Connected);
  EXPECT_TRUE(HasLine(ChannelPrefix(1) + "未找到设备!"));
  EXPECT_FALSE(app.Channels[2].Connected);
  EXPECT_EQ(CountLinesWith(ChannelPrefix(2)), 0);
  EXPECT_TRUE(app.Channels[3].Connected);
  EXPECT_TRUE(app.Channels[9].Connected);
  EXPECT_EQ(app.Flags.DevicesFound, 8);
  // Channel 10 answered last and shows its name; channel 9 before it did too.
  EXPECT_EQ(app.Controls.InfoPanelCaption, "Korvel200ST8-X10");
  EXPECT_TRUE(HasLine(ChannelPrefix(8) + "找到设备：Korvel200ST9!"));
}

TEST_F(ChannelHostTest, SearchOpensOnlyListedPortsUpToTheChannelCount) {
  const auto dir = std::filesystem::temp_directory_path() / ("korvel-host-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  app.Flags.AppDir = dir.string();
  {
    std::ofstream(dir / "ConfigTqz.ini") << "[Connection]\nTOTDEV=4\nDEV1=a\nDEV2=b\nDEV3=c\nDEV4=d\nDEV5=e\nDEV6=f\n";
  }
  MakeHost(false);
  Search();
  for (int c = 0; c < kChannelCount; ++c) EXPECT_EQ(links[c]->Opens(), c < 4 ? 1 : 0) << c;
  EXPECT_EQ(units[3]->Requests(), 1);
  EXPECT_EQ(units[4]->Requests(), 0);

  // Ten channels, two ports, the second unplugged: it gets no wake-up.
  std::ofstream(dir / "ConfigTqz.ini") << "[Connection]\nTOTDEV=10\nDEV1=a\nDEV2=b\n";
  links[1]->Plugged = false;
  Search();
  EXPECT_EQ(links[2]->Opens(), 1);  // only from the first search
  EXPECT_EQ(units[0]->Requests(), 2);
  EXPECT_EQ(units[1]->Requests(), 1);
  EXPECT_FALSE(app.Channels[1].Connected);
  std::filesystem::remove_all(dir);
}

// One unit listed twice, by its node and by a by-path link: the later
// channel is named with the earlier one and its port is not opened again,
// at every search.
TEST_F(ChannelHostTest, SearchOpensADeviceListedTwiceOnlyForTheFirstChannel) {
  const auto dir = std::filesystem::temp_directory_path() / ("korvel-same-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir / "by-path");
  std::ofstream(dir / "ttyACM0").flush();
  std::ofstream(dir / "ttyACM1").flush();
  std::filesystem::create_symlink("../ttyACM0", dir / "by-path" / "pci-0000:00:14.0-usb-0:2:1.0");
  const std::string acm0 = (dir / "ttyACM0").string(), acm1 = (dir / "ttyACM1").string();
  const std::string link = (dir / "by-path" / "pci-0000:00:14.0-usb-0:2:1.0").string();
  app.Flags.AppDir = dir.string();
  std::ofstream(dir / "ConfigTqz.ini") << "[Connection]\nDEV1=" << acm0 << "\nDEV2=" << acm1 << "\nDEV3=" << link
                                       << "\n";
  MakeHost(false);
  Search();
  Search();
  EXPECT_EQ(links[0]->Opens(), 2);
  EXPECT_EQ(links[1]->Opens(), 2);
  EXPECT_EQ(links[2]->Opens(), 0);
  EXPECT_EQ(units[2]->Requests(), 0);
  EXPECT_FALSE(app.Channels[2].Connected);
  EXPECT_TRUE(app.Channels[0].Connected);
  EXPECT_EQ(CountLinesWith(" Channel 3: " + link + " is the same device as " + acm0 +
                           " of Channel 1: not opened a second time"),
            2);
  std::filesystem::remove_all(dir);
}

TEST_F(ChannelHostTest, SecondSearchMakesConnectedChannelsIdentifyAgain) {
  Search();
  StartChannelStep(app.Channels[0], 0, 16);
  host->FindDevices();
  EXPECT_FALSE(app.Channels[0].Connected);
  EXPECT_FALSE(app.Channels[0].Busy);
  EXPECT_EQ(app.Channels[0].Outcome.Result, ChannelResult::Failure);
  ui.RunPending();
  EXPECT_TRUE(app.Channels[0].Connected);
  EXPECT_EQ(units[0]->Requests(), 2);
}

TEST_F(ChannelHostTest, RepliesOfAConnectedChannelGoToTheSeams) {
  Search();
  std::vector<std::pair<int, uint8_t>> replies;
  std::vector<int> progress, frameErrors;
  host->Handlers.OnReply = [&](int c, uint8_t st, std::span<const uint8_t> p) {
    replies.push_back({c, st});
    return p[0] != 0x77;  // 0x77 stands for a step without a handler
  };
  host->Handlers.OnProgress = [&](int c, std::span<const uint8_t>) { progress.push_back(c); };
  host->Handlers.OnFault = [&](int, uint8_t code, bool) { frameErrors.push_back(code); };

  const Bytes ack = Wire({0x95, 0, 0, 0x0B, 0, 0, 1, 0, 0x06});
  const Bytes data = Wire({0x9B, 0, 0, 0x0B, 0, 0, 2, 0, 0xAA, 0xBB});
  Bytes two = ack;
  two.insert(two.end(), data.begin(), data.end());
  app.Channels[4].RxCount = 0;
  Feed(4, two);
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0], std::make_pair(4, uint8_t{6}));
  EXPECT_EQ(replies[1], std::make_pair(4, uint8_t{0}));
  EXPECT_EQ(app.Channels[4].TimeoutTicks, 1000);

  // Split over two arrivals: handled once, when the rest comes.
  Feed(4, Bytes(ack.begin(), ack.begin() + 5));
  EXPECT_EQ(replies.size(), 2u);
  Feed(4, Bytes(ack.begin() + 5, ack.end()));
  EXPECT_EQ(replies.size(), 3u);

  Bytes fd = {0xFD, 0x10, 0, 0, 0, 0, 0, 0};
  app.Channels[4].Step = 7;
  Bytes fdWire(EncodedFrameCapacity(fd.size()));
  fdWire.resize(EncodeFrame(fd, fdWire));
  Feed(4, fdWire);
  EXPECT_EQ(progress, std::vector<int>{4});
  EXPECT_EQ(app.Channels[4].Step, 7);

  Feed(4, {0xC0, 1, 2, 3, 0xC0});
  EXPECT_EQ(frameErrors, std::vector<int>{0x20});

  Bytes bad = Wire({0x95, 0, 0, 0x0B, 0, 0, 1, 0, 0x06});
  bad[bad.size() - 7] ^= 0x01;  // a check-word byte
  Feed(4, bad);
  EXPECT_EQ(replies.back().second, kStatusCheckWord);

  app.Channels[4].Busy = true;
  Feed(4, Wire({0x77, 0, 0, 0, 0, 0, 1, 0, 0x06}));
  EXPECT_FALSE(app.Channels[4].Busy);
}

TEST_F(ChannelHostTest, UnconnectedChannelBytesNeverReachTheOperationHandlers) {
  int replies = 0;
  host->Handlers.OnReply = [&](int, uint8_t, std::span<const uint8_t>) { return ++replies, true; };
  Feed(0, Wire({0x95, 0, 0, 0x0B, 0, 0, 1, 0, 0x06}));
  EXPECT_EQ(replies, 0);
  EXPECT_TRUE(HasLine(ChannelPrefix(0) + "未找到设备!"));
  EXPECT_EQ(app.Controls.InfoPanelCaption, "未找到设备！");
}

TEST_F(ChannelHostTest, EndlessStreamWithoutDelimiterIsDroppedAndFramesStillArrive) {
  Bytes noise(5000, 0x41);
  for (int i = 0; i < 10; ++i) Feed(0, noise);
  EXPECT_LE(app.Channels[0].RxCount, kReceiveBufferSize);
  // A frame start then too much inside it: dropped as well.
  Bytes start = {0xC0};
  Feed(0, start);
  for (int i = 0; i < 4; ++i) Feed(0, noise);
  Feed(0, Wire(SimUnit::IdentificationReply("Korvel200ST8-X10")));
  EXPECT_TRUE(app.Channels[0].Connected);
}

TEST_F(ChannelHostTest, WorstCaseEscapedReplyStillFits) {
  Search();
  Bytes packet = {0x9B, 0, 0, 0x0B, 0, 0, 0x00, 0x10};
  packet.insert(packet.end(), 4096, 0xC0);
  Bytes wire = Wire(packet);
  ASSERT_GT(wire.size(), 8192u);
  size_t length = 0;
  host->Handlers.OnReply = [&](int, uint8_t st, std::span<const uint8_t> p) {
    length = st == 0 ? p.size() : 0;
    return true;
  };
  for (size_t off = 0; off < wire.size(); off += 2048)
    Feed(2, Bytes(wire.begin() + off, wire.begin() + std::min(wire.size(), off + 2048)));
  EXPECT_EQ(length, 4106u);
}

TEST_F(ChannelHostTest, HangupAndReceiveErrorHandlers) {
  Search();
  StartChannelStep(app.Channels[3], 0, 16);
  app.Channels[3].RxCount = 5;
  host->ReceiveError(3, 0x08);
  EXPECT_EQ(app.Channels[3].RxCount, 0);
  // The operation ends as failed instead of running on without Busy.
  EXPECT_FALSE(app.Channels[3].Busy);
  EXPECT_EQ(app.Channels[3].Step, kStepIdle);
  EXPECT_EQ(app.Channels[3].Outcome.Result, ChannelResult::Failure);
  EXPECT_EQ(app.Channels[3].Outcome.Code, kStatusSerialError);

  host->RequestHangup(3);
  EXPECT_FALSE(links[3]->IsOpen());
  EXPECT_FALSE(app.Channels[3].Connected);
  EXPECT_TRUE(app.Channels[4].Connected);
  auto& box = app.Controls.ComboBoxCOMItems;
  EXPECT_EQ(box.size(), 9u);
  EXPECT_EQ(std::count(box.begin(), box.end(), "/dev/ttyACM3"), 0);
  host->RequestHangup(5);
  EXPECT_EQ(std::count(box.begin(), box.end(), "/dev/ttyACM5"), 0);
  EXPECT_EQ(std::count(box.begin(), box.end(), "/dev/ttyACM4"), 1);
  for (int c = 0; c < kChannelCount; ++c) host->RequestHangup(c);
  EXPECT_TRUE(box.empty());
  EXPECT_EQ(app.Controls.ComboBoxCOMText, "请连接设备......");
}

// Faults a handler saw, ending a running operation as the engine does.
struct FaultLog {
  std::vector<std::tuple<int, uint8_t, bool>> Seen;
  void Install(ChannelHost& host, AppState& app) {
    host.Handlers.OnFault = [this, &app](int c, uint8_t code, bool running) {
      Seen.emplace_back(c, code, running);
      if (running) FinishChannel(app.Channels[c], {ChannelResult::Failure, code, {}});
    };
  }
};

TEST_F(ChannelHostTest, LinkFaultsEndARunningOperationOnceAndIdleNoiseIsThrottled) {
  Search();
  FaultLog faults;
  faults.Install(*host, app);
  // Noise full of frame delimiters: thousands of frames too short to decode.
  Bytes noise;
  for (int i = 0; i < 10000; ++i) noise.insert(noise.end(), {0xC0, uint8_t(i), 0x41});

  // Busy: the first bad frame ends the operation; the rest is idle noise
  // within the same second.
  StartChannelStep(app.Channels[0], 0, 16);
  Feed(0, noise);
  // Idle: one report, and the last result and gauge stay as they were.
  app.Channels[1].Outcome = {ChannelResult::Success, 0, {}};
  Feed(1, noise);
  host->ReceiveError(1, 0x08);
  using F = std::tuple<int, uint8_t, bool>;
  EXPECT_EQ(faults.Seen, (std::vector<F>{{0, 0x20, true}, {1, 0x20, false}}));
  EXPECT_EQ(app.Channels[0].Outcome.Code, 0x20);
  EXPECT_EQ(app.Channels[1].Gauge.Color, kGaugeBlue);
  EXPECT_EQ(app.Channels[1].Outcome.Result, ChannelResult::Success);

  // A second later the line may speak again.
  for (int i = 0; i < 99; ++i) host->OnTimer1Tick();
  host->ReceiveError(1, 0x08);
  EXPECT_EQ(faults.Seen.size(), 2u);
  host->OnTimer1Tick();
  host->ReceiveError(1, 0x08);
  EXPECT_EQ(faults.Seen.back(), F(1, kStatusSerialError, false));

  // A request the link refuses ends the operation that waits for its reply.
  StartChannelStep(app.Channels[2], 0, 16);
  links[2]->ClosePort();
  EXPECT_FALSE(host->SendRestart(2));
  EXPECT_EQ(faults.Seen.back(), F(2, kStatusSerialError, true));
  EXPECT_FALSE(app.Channels[2].Busy);
  const size_t seen = faults.Seen.size();
  EXPECT_FALSE(host->SendRestart(2));  // nothing runs any more: nothing to end
  EXPECT_EQ(faults.Seen.size(), seen);
}

TEST_F(ChannelHostTest, WhileADialogIsOpenTheChannelWaitsAndItsBytesQueueInOrder) {
  Search();
  const Bytes first = Wire({0x9B, 0, 0, 0x0B, 0, 0, 1, 0, 0x31});
  const Bytes during = Wire({0x9B, 1, 0, 0x0B, 0, 0, 1, 0, 0x06});
  const Bytes after = Wire({0x9B, 2, 0, 0x0B, 0, 0, 1, 0, 0x06});
  std::vector<int> order;  // parameter byte of each reply handled
  FaultLog faults;
  faults.Install(*host, app);
  host->Handlers.OnReply = [&](int c, uint8_t, std::span<const uint8_t> p) {
    order.push_back(p[1]);
    if (p[1] != 0) return true;
    // The "dialog": a nested event loop delivers bytes, a line error and
    // many ticks for this channel while the operator reads.
    ChannelState& ch = app.Channels[c];
    ch.DialogOpen = true;
    Feed(c, during);
    host->ReceiveError(c, 0x08);
    for (int i = 0; i < 2000; ++i) host->OnTimer1Tick();
    EXPECT_TRUE(ch.Busy);
    EXPECT_EQ(order.size(), 1u);
    ch.DialogOpen = false;
    FinishChannel(ch, {ChannelResult::Failure, 0x31, {}});
    return true;
  };
  StartChannelStep(app.Channels[5], 0, 16);
  Bytes arrival = first;
  arrival.insert(arrival.end(), after.begin(), after.end());
  Feed(5, arrival);
  // The reply that came with the first one goes before what waited.
  EXPECT_EQ(order, (std::vector<int>{0, 2, 1}));
  EXPECT_EQ(faults.Seen, (std::vector<std::tuple<int, uint8_t, bool>>{{5, kStatusSerialError, false}}));
  EXPECT_EQ(app.Channels[5].Outcome.Code, 0x31);
  EXPECT_EQ(CountLinesWith("操作超时！"), 0);
}

TEST_F(ChannelHostTest, UnitHangingUpAfterKRequestsDisconnectsOnlyItsChannel) {
  units[6] = std::make_shared<SimUnit>(UnitFaults{.HangupAfter = 2});
  MakeHost();
  Search();
  ASSERT_TRUE(app.Channels[6].Connected);
  host->SendRestart(6);
  ui.RunPending();
  EXPECT_FALSE(app.Channels[6].Connected);
  EXPECT_TRUE(app.Channels[5].Connected);
  EXPECT_EQ(units[6]->Restarts(), 1);
}

TEST_F(ChannelHostTest, WatchdogTimesOutASilentBusyChannelOnly) {
  Search();
  StartChannelStep(app.Channels[0], 0, 128);
  StartChannelStep(app.Channels[1], 300, 0);
  for (int i = 0; i < 499; ++i) host->OnTimer1Tick();
  EXPECT_TRUE(app.Channels[0].Busy);
  EXPECT_EQ(app.Channels[1].Gauge.Progress, 300);  // timed gauge ran to its end
  EXPECT_TRUE(HasLine(ChannelPrefix(1) + "操作超时！"));
  EXPECT_EQ(app.Channels[1].Gauge.Color, kGaugeRed);
  EXPECT_EQ(app.Channels[1].Outcome.Result, ChannelResult::Timeout);
  EXPECT_EQ(app.Channels[1].Outcome.Text, "操作超时！");
  EXPECT_EQ(app.Channels[0].Outcome.Result, ChannelResult::Running);
  host->OnTimer1Tick();
  EXPECT_FALSE(app.Channels[0].Busy);
  EXPECT_EQ(app.Channels[0].Step, kStepIdle);
  EXPECT_TRUE(HasLine(ChannelPrefix(0) + "操作超时！"));
  EXPECT_EQ(CountLinesWith("操作超时！"), 2);
}

TEST_F(ChannelHostTest, Timer2SearchesFirstAndStopsWhenAllAreFound) {
  int allFound = 0;
  host->Handlers.OnAllDevicesFound = [&] { ++allFound; };
  EXPECT_TRUE(host->OnTimer2Tick());
  EXPECT_EQ(units[0]->Requests(), 1);
  EXPECT_TRUE(host->OnTimer2Tick());  // replies not handled yet
  ui.RunPending();
  EXPECT_FALSE(host->OnTimer2Tick());
  EXPECT_EQ(allFound, 1);
  EXPECT_EQ(units[0]->Requests(), 1);
}

TEST_F(ChannelHostTest, RequestsGoOutFramedWithTheirCheckWord) {
  Search();
  std::vector<Bytes> seen;
  units[0]->SetCommand(0x93, [&](SimUnit&, std::span<const uint8_t> req, Bytes& reply) {
    seen.emplace_back(req.begin(), req.end());
    SimUnit::StatusReply(req, 0, reply);
  });
  const Bytes data = {0xC0, 0xDB, 1};
  ASSERT_TRUE(host->SendRequest(0, 0x93, 0x0305, 0x71, 0x02, data));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], (Bytes{0x93, 0x05, 0x03, 0x0B, 0x71, 0x02, 3, 0, 0xC0, 0xDB, 1,
                            static_cast<uint8_t>(CalcFrameCrc(seen[0], 0, 10) & 0xFF),
                            static_cast<uint8_t>(CalcFrameCrc(seen[0], 0, 10) >> 8)}));
  EXPECT_EQ(CheckReply(seen[0], seen[0].size()), 0);
  EXPECT_FALSE(host->SendRequest(0, 0x93, 0, 0, 0, Bytes(kPacketBufferSize)));
  links[0]->ClosePort();
  EXPECT_FALSE(host->SendRestart(0));
}

}  // namespace
}  // namespace korvel
