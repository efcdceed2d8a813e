#include <gtest/gtest.h>

#include "app/ChannelOps.h"
#include "app/GaugeCaption.h"
#include "app/GaugeLayout.h"

namespace korvel {
namespace {

ChannelState Connected() {
  ChannelState ch;
  ch.Connected = true;
  ch.Step = kStepIdle;
  return ch;
}

// An Auto run from its start to its end, as the step machine leaves it.
void RunAuto(ChannelState& ch, ChannelResult result, const std::string& text) {
  ch.AutoChain = true;
  ch.Step = 5;
  StartChannelStep(ch, 500, 64);
  FinishChannel(ch, {result, 0, text});
}

TEST(GaugeCaption, ShortPortNames) {
  const std::pair<const char*, const char*> cases[] = {
      {"/dev/ttyACM3", "ttyACM3"},
      {"/dev/ttyUSB10", "ttyUSB10"},
      {"/dev/pts/4", "pts/4"},
      {"/dev/serial/by-path/pci-0000:00:14.0-usb-0:1.2:1.0", "usb-0:1.2:1.0"},
      {"/dev/serial/by-path/platform-fd500000.pcie-pci-0000:01:00.0-usbv2-0:1.4:1.0",
       "usbv2-0:1.4:1.0"},
      {"/dev/serial/by-id/usb-Maker_Unit_0042-if00", "usb-Maker_Unit_0042-if00"},
      {"/tmp/sim/unit3", "unit3"},
      {"COM3", "COM3"},
  };
  for (const auto& [port, shown] : cases) EXPECT_EQ(ShortPortName(port), shown) << port;
}

TEST(GaugeCaption, YieldRoundsToTenthsAndNeverOverstates) {
  struct Case {
    uint64_t Ok, Ng;
    const char* Text;
  };
  const Case cases[] = {
      {0, 0, "--"},        {37, 3, "92.5%"},  {1, 0, "100.0%"},   {0, 4, "0.0%"},
      {2, 1, "66.7%"},     {1, 2, "33.3%"},   {1999, 1, "99.9%"}, {99999, 1, "99.9%"},
      {1, 99999, "0.1%"},  {1, 7, "12.5%"},   {7, 1, "87.5%"},    {4294967295u * 2ull, 0, "100.0%"},
  };
  for (const auto& c : cases) EXPECT_EQ(YieldText({c.Ok, c.Ng}), c.Text) << c.Ok << "/" << c.Ng;
  EXPECT_EQ(TotalsText({37, 3}), "OK 37  NG 3  Yield 92.5%");
  EXPECT_EQ(TotalsText({}), "OK 0  NG 0  Yield --");
}

TEST(GaugeCaption, ConnectedMissingAndFailedChannels) {
  ChannelState idle = Connected();
  GaugeCaption c = CaptionOf(2, idle, "/dev/ttyACM2");
  EXPECT_EQ(c.Name, "Channel 3  ttyACM2");
  EXPECT_EQ(c.Counts, "OK 0  NG 0");
  EXPECT_EQ(c.BarText, "");  // the percentage
  EXPECT_FALSE(c.NoUnit);

  ChannelState missing;
  c = CaptionOf(9, missing, "");
  EXPECT_EQ(c.Name, "Channel 10");
  EXPECT_TRUE(c.NoUnit);
  EXPECT_EQ(c.BarText, "no unit");

  // A unit gone after a result shows as gone, counts kept.
  ChannelState gone = Connected();
  RunAuto(gone, ChannelResult::Success, "Programming Success!");
  gone.Connected = false;
  c = CaptionOf(0, gone, "/dev/ttyACM0");
  EXPECT_TRUE(c.NoUnit);
  EXPECT_EQ(c.Counts, "OK 1  NG 0");

  ChannelState failed = Connected();
  RunAuto(failed, ChannelResult::Failure, "数据校验错误！");
  c = CaptionOf(0, failed, "/dev/ttyACM0");
  EXPECT_EQ(c.BarText, "数据校验错误！");
  EXPECT_EQ(failed.Gauge.Color, kGaugeRed);
  EXPECT_EQ(c.Counts, "OK 0  NG 1");

  // Running again: the percentage, until the next result.
  failed.AutoChain = false;
  failed.Step = 5;
  StartChannelStep(failed, 500, 64);
  EXPECT_EQ(CaptionOf(0, failed, "").BarText, "");
  FinishChannel(failed, {ChannelResult::Timeout, 0, {}});
  EXPECT_EQ(CaptionOf(0, failed, "").BarText, "Timeout");
  EXPECT_EQ(CaptionOf(0, failed, "").Counts, "OK 0  NG 1");  // a plain blank check
}

TEST(GaugeCaption, ChipsCountOnceAndOnlyForAuto) {
  ChannelState ch = Connected();
  RunAuto(ch, ChannelResult::Success, "ok");
  RunAuto(ch, ChannelResult::Timeout, "操作超时！");
  // A second finish of the same operation is no second chip.
  FinishChannel(ch, {ChannelResult::Failure, 0, {}});
  // A download after an Auto keeps AutoChain but handles no chip.
  ch.Step = 0;
  StartChannelStep(ch, 0, 64);
  FinishChannel(ch, {ChannelResult::Success, 0, "下载成功"});
  ch.Step = kStepFirmware;
  StartChannelStep(ch, 0, 8);
  FinishChannel(ch, {ChannelResult::Failure, 0x45, {}});
  // The unit's own reports count beside them.
  ch.OkCount = 5;
  ch.NgCount = 2;
  const ChipCount c = ChannelChips(ch);
  EXPECT_EQ(c.Ok, 6u);
  EXPECT_EQ(c.Ng, 3u);

  ChannelTable table;
  table[0] = ch;
  RunAuto(table[4], ChannelResult::Failure, "x");
  EXPECT_EQ(TotalsText(SessionChips(table)), "OK 6  NG 4  Yield 60.0%");
}

TEST(GaugeCaption, UnitReportsStandUntilTheHostActs) {
  UnitReports reports;
  ChannelState ch = Connected();
  RunAuto(ch, ChannelResult::Success, "Programming Success!");
  // Chip detection after the Auto: the unit's chip is the latest word.
  reports.OnFrame(1, ch, 0x10, 0);
  EXPECT_FALSE(reports.Current(1, ch, true).Finished);
  reports.OnFrame(1, ch, 0xF0, 0x1E);
  UnitReport r = reports.Current(1, ch, true);
  EXPECT_FALSE(r.Heard);  // it was connected: nothing to learn
  EXPECT_EQ(CaptionOf(1, ch, "", r).BarText, "Error：芯片未设定读保护！");
  reports.OnFrame(1, ch, 0xF0, 6);
  EXPECT_EQ(CaptionOf(1, ch, "", reports.Current(1, ch, true)).BarText, "Successed!");
  reports.OnFrame(1, ch, 0xF0, 0x07);
  EXPECT_EQ(reports.Current(1, ch, true).Word, "Failed : Error=0x07!");

  // The host's next operation takes over, even once it has ended.
  ch.Step = 5;
  StartChannelStep(ch, 500, 64);
  EXPECT_FALSE(reports.Current(1, ch, true).Finished);
  FinishChannel(ch, {ChannelResult::Failure, 4, "芯片未擦除！"});
  EXPECT_EQ(CaptionOf(1, ch, "", reports.Current(1, ch, true)).BarText, "芯片未擦除！");

  // Off-line: not connected, but the unit speaks on its open port.
  ChannelState alone;
  EXPECT_TRUE(CaptionOf(3, alone, "/dev/ttyACM3", reports.Current(3, alone, true)).NoUnit);
  reports.OnFrame(3, alone, 0x40, 0);
  EXPECT_FALSE(CaptionOf(3, alone, "/dev/ttyACM3", reports.Current(3, alone, true)).NoUnit);
  EXPECT_TRUE(CaptionOf(3, alone, "/dev/ttyACM3", reports.Current(3, alone, false)).NoUnit);
  reports.Forget();
  EXPECT_TRUE(CaptionOf(3, alone, "/dev/ttyACM3", reports.Current(3, alone, true)).NoUnit);
  // Told to start alone, it is there before its first chip.
  reports.StartedAlone(3);
  EXPECT_FALSE(CaptionOf(3, alone, "/dev/ttyACM3", reports.Current(3, alone, true)).NoUnit);
}

TEST(GaugeCaption, AGaugeSetBackShowsNoOldWord) {
  ChannelState ch = Connected();
  RunAuto(ch, ChannelResult::Success, "Programming Success!");
  ch.Gauge.Progress = 0;  // a new unit on the channel
  EXPECT_EQ(CaptionOf(0, ch, "").BarText, "");
}

TEST(GaugeLayout, GrowsTheMemoAndKeepsTheGaugesAtTheBottom) {
  const GaugeLayout base = GaugeLayoutFor(10);
  EXPECT_EQ(GrowGaugeLayout(base, 0).Tops, base.Tops);
  EXPECT_EQ(GrowGaugeLayout(base, -40).MemoHeight, 262);
  const GaugeLayout grown = GrowGaugeLayout(base, 300);
  EXPECT_EQ(grown.MemoHeight, 562);
  EXPECT_EQ(grown.Tops.front(), 601);
  EXPECT_EQ(grown.Tops.back(), 775);
  EXPECT_EQ(grown.Shown, 10);
}

}  // namespace
}  // namespace korvel
