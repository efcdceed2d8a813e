#include <gtest/gtest.h>

#include "app/AppState.h"
#include "app/ChannelOps.h"
#include "engine/AutoProgress.h"
#include "engine/ChannelErrors.h"
#include "engine/ProductionCounters.h"

namespace korvel {
namespace {

class ChannelMessagesTest : public ::testing::Test {
 protected:
  FixedClock clock{MakeTime(2026, 12, 5, 7, 14, 11)};
  AppState app{clock};
  RecordingPrompts prompts;
  int saves = 0;
  SaveLogNow save = [this] { ++saves; };

  const std::string& LastLine() const { return app.Log.Lines().back(); }
  void Progress(int channel, std::vector<uint8_t> frame) {
    uint8_t sum = 0;
    for (size_t i = 0; i < 7; ++i) sum = static_cast<uint8_t>(sum + frame[i]);
    frame[7] = static_cast<uint8_t>(0x100 - sum);
    HandleAutoProgress(app, channel, frame, save);
  }
};

TEST(ChannelErrorText, TableAndGenericFormat) {
  struct Row { uint8_t Status; const char* Text; };
  const Row rows[] = {
      {0x04, "芯片未擦除！"},
      {0x31, "数据校验错误！"},
      {0x51, "Flash的大小与芯片不匹配"},  // no closing "！"
      {0xE0, "串口通讯错误！"},
      {0x07, "操作失败！错误代码: 07(0x07)！"},
      {0x99, "操作失败！错误代码: 0153(0x99)！"},
      {0x15, "操作失败！错误代码: 021(0x15)！"},
  };
  for (const auto& r : rows) EXPECT_EQ(ChannelErrorText(r.Status), r.Text) << int(r.Status);
}

TEST_F(ChannelMessagesTest, ReportChannelErrorEndsTheChannel) {
  StartChannelStep(app.Channels[2], 500, 0);
  app.Channels[2].Step = 5;
  ReportChannelError(app, prompts, 2, 0x13);
  EXPECT_EQ(LastLine(), "> 07:14:11 Channel 3: 芯片已被读保护！");
  EXPECT_FALSE(app.Channels[2].Busy);
  EXPECT_EQ(app.Channels[2].Step, kStepIdle);
  EXPECT_EQ(app.Channels[2].Gauge.Color, kGaugeRed);
  EXPECT_EQ(app.Channels[2].Gauge.Progress, app.Channels[2].Gauge.Max);
  EXPECT_EQ(prompts.Beeps, 0);
  const ChannelOutcome& o = app.Channels[2].Outcome;
  EXPECT_EQ(o.Result, ChannelResult::Failure);
  EXPECT_EQ(o.Code, 0x13);
  EXPECT_EQ(o.Text, "芯片已被读保护！");
}

TEST_F(ChannelMessagesTest, SuccessStatusesBeepAndStayBlue) {
  for (uint8_t status : {0, 6}) {
    StartChannelStep(app.Channels[0], 500, 0);
    ReportChannelError(app, prompts, 0, status);
    EXPECT_EQ(LastLine(), "> 07:14:11 Channel 1: 操作成功！");
    EXPECT_EQ(app.Channels[0].Gauge.Color, kGaugeBlue) << int(status);
    EXPECT_EQ(app.Channels[0].Outcome.Result, ChannelResult::Success) << int(status);
  }
  EXPECT_EQ(prompts.Beeps, 2);
}

TEST_F(ChannelMessagesTest, PhaseLinesDifferOnChannelOne) {
  Progress(0, {0xFD, 0x10, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(LastLine(), "> 07:14:11 Channel 1: Initial Programming Interface ....");
  Progress(4, {0xFD, 0x10, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(LastLine(), "> 07:14:11 Channel 5: Start Auto-Programming....");
  EXPECT_EQ(app.Channels[4].Gauge.Progress, 5);
  EXPECT_EQ(app.Channels[4].Gauge.Max, 100);
  Progress(4, {0xFD, 0xA0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(LastLine(), "> 07:14:11 Channel 5: Do Chip Option Byte Programming....");
  EXPECT_EQ(app.Channels[4].Gauge.Progress, 50);
}

TEST_F(ChannelMessagesTest, ProgrammingPhaseWritesItsLineOnce) {
  Progress(1, {0xFD, 0x40, 0, 0x00, 0x00, 0x80, 0x00, 0});
  EXPECT_EQ(LastLine(), "> 07:14:11 Channel 2: Do Main Flash Programming....");
  const size_t lines = app.Log.Lines().size();
  Progress(1, {0xFD, 0x40, 0, 0x00, 0x01, 0x00, 0x02, 0});
  EXPECT_EQ(app.Log.Lines().size(), lines);
  EXPECT_EQ(app.Channels[1].Gauge.Progress, 0x0102);
  EXPECT_EQ(app.Channels[1].Gauge.Max, 0x0200);
}

TEST_F(ChannelMessagesTest, BadCheckByteAndUnknownPhasesChangeNothing) {
  app.Channels[0].Gauge.Progress = 33;
  std::vector<uint8_t> bad{0xFD, 0x20, 0, 0, 0, 0, 0, 0x01};
  HandleAutoProgress(app, 0, bad, save);
  Progress(0, {0xFD, 0x60, 0, 0, 0, 0, 0, 0});
  Progress(0, {0xFD, 0x90, 0, 0, 0, 0, 0, 0});
  std::vector<uint8_t> shortFrame{0xFD, 0x03};
  HandleAutoProgress(app, 0, shortFrame, save);
  EXPECT_TRUE(app.Log.Lines().empty());
  EXPECT_EQ(app.Channels[0].Gauge.Progress, 33);
}

TEST_F(ChannelMessagesTest, FinishedChipsAreCounted) {
  app.Channels[2].Step = 7;
  Progress(2, {0xFD, 0xF0, 6, 0, 0, 0, 0, 0});
  const auto& lines = app.Log.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "> 07:14:11 Channel 3: Progrmming Completed : Successed!");
  EXPECT_EQ(lines[1], "> 07:14:11 Channel 3: OK=1, NG=0.");
  EXPECT_EQ(lines[2], ">---------- Total OK Number is : 1, NG is 0 ----------");
  EXPECT_EQ(app.Channels[2].OkCount, 1u);
  EXPECT_EQ(app.Flags.TotalOk, 1u);
  EXPECT_EQ(app.Flags.OnlineCounter, 0u);
  EXPECT_EQ(app.Channels[2].Step, 7);  // the step machine is not touched

  Progress(0, {0xFD, 0xF0, 6, 0, 0, 0, 0, 0});
  EXPECT_EQ(app.Log.Lines()[3], "> 07:14:11 Channel 1: Progrmming Completed : Successed !");
  Progress(0, {0xFD, 0xF0, 0x1E, 0, 0, 0, 0, 0});
  EXPECT_EQ(app.Log.Lines()[6], "> 07:14:11 Channel 1: Progrmming Completed : Error：芯片未设定读保护！");
  EXPECT_EQ(app.Log.Lines()[7], "> 07:14:11 Channel 1: OK=1, NG=1.");
  Progress(0, {0xFD, 0xF0, 0x45, 0, 0, 0, 0, 0});
  EXPECT_EQ(app.Log.Lines()[9], "> 07:14:11 Channel 1: Progrmming Completed : Failed : Error=0x45!");
  EXPECT_EQ(LastLine(), ">---------- Total OK Number is : 2, NG is 2 ----------");
  EXPECT_EQ(app.Channels[0].Gauge.Color, kGaugeRed);
  EXPECT_EQ(app.Channels[0].Gauge.Progress, app.Channels[0].Gauge.Max);
}

TEST_F(ChannelMessagesTest, EveryTwoThousandthTotalsLineSavesTheLog) {
  for (int i = 0; i < 1999; ++i) AppendTotalsLine(app, save);
  EXPECT_EQ(saves, 0);
  AppendTotalsLine(app, save);
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(app.Flags.MemoLinesSinceSave, 0u);
  EXPECT_EQ(app.Log.Lines().size(), 2000u);  // the log is kept
  for (int i = 0; i < 2000; ++i) AppendTotalsLine(app, save);
  EXPECT_EQ(saves, 2);
}

TEST_F(ChannelMessagesTest, OnlineCounterAndItsPanel) {
  CountOnlineChip(app);
  CountOnlineChip(app);
  EXPECT_EQ(app.Flags.OnlineCounter, 2u);
  EXPECT_EQ(app.Flags.TotalOk, 0u);
  EXPECT_EQ(app.Controls.StatusPanels[3], "联机计数器：2");
}

TEST_F(ChannelMessagesTest, LimitAndDetectionControls) {
  auto& c = app.Controls;
  c.CheckBoxCtrl.Checked = true;
  OnCheckBoxCtrlClick(c, app.Settings);
  EXPECT_TRUE(c.SpinEditNum.Enabled);
  EXPECT_EQ(app.Settings.LimitFlag, 0x0F);
  c.CheckBoxCtrl.Checked = false;
  OnCheckBoxCtrlClick(c, app.Settings);
  EXPECT_FALSE(c.SpinEditNum.Enabled);
  EXPECT_EQ(app.Settings.LimitFlag, 0);

  c.ChkBoxAuto.Checked = true;
  OnChkBoxAutoClick(c);
  EXPECT_TRUE(c.SpinEditIn.Enabled && c.SpinEditOut.Enabled);
  c.ChkBoxAuto.Checked = false;
  OnChkBoxAutoClick(c);
  EXPECT_FALSE(c.SpinEditIn.Enabled || c.SpinEditOut.Enabled);
}

}  // namespace
}  // namespace korvel
