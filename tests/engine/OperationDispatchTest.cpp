#include <gtest/gtest.h>

#include "engine/OperationDispatch.h"

namespace korvel {
namespace {

struct NullRequests : ChannelRequests {
  int Count = 0;
  void SendBlock(int, const JobView&, const BlockRequest&) override { ++Count; }
  void SendCommand(int, const JobView&, uint8_t, uint16_t) override { ++Count; }
  void SendOptionBytes(int, const JobView&) override { ++Count; }
  void SendSecondImage(int, const JobView&, uint8_t) override { ++Count; }
  void SendRestart(int) override { ++Count; }
};

class OperationDispatchTest : public ::testing::Test {
 protected:
  OperationDispatchTest()
      : clock(MakeTime(2026, 12, 5, 7, 14, 11)), app(clock), image(2 << 20, 0xFF) {
    job.Chip.FlashSizeKB = 64;
    job.Chip.FlashBase = 0x08000000;
    job.Stm32 = true;
    job.MainImage = image;
    app.Flags.ChannelCount = 3;
    hooks.ShowOptionLines = [this] { app.Log.HostLine("option lines"); };
  }
  OperationDispatch Make() { return OperationDispatch(app, job, steps, prompts, hooks); }

  FixedClock clock;
  AppState app;
  std::vector<uint8_t> image;
  JobView job;
  NullRequests requests;
  RecordingPrompts prompts;
  StepMachine steps{app, job, WritableImages{image, {}}, requests, prompts, {}};
  DispatchHooks hooks;
};

TEST_F(OperationDispatchTest, GangStartsOnlyConnectedIdleChannels) {
  app.Flags.ChipSelected = app.Flags.ImageLoaded = app.Flags.Stm32Family = true;
  for (int ch = 0; ch < 3; ++ch) app.Channels[ch].Connected = true;
  app.Channels[3].Connected = true;  // beyond ChannelCount
  app.Channels[1].Busy = true;
  app.Channels[1].RxCount = 7;
  app.Channels[0].RxCount = 9;
  auto d = Make();
  EXPECT_EQ(d.Auto(), 2);
  EXPECT_EQ(app.Channels[0].Step, kStepBlankCheck);
  EXPECT_EQ(app.Channels[2].Step, kStepBlankCheck);
  EXPECT_EQ(app.Channels[0].RxCount, 0);
  EXPECT_EQ(app.Channels[1].RxCount, 7);  // its reply in flight survives
  EXPECT_FALSE(app.Channels[3].Busy);
  EXPECT_EQ(d.Auto(), 0);
  EXPECT_EQ(requests.Count, 2);
}

TEST_F(OperationDispatchTest, PreconditionsInOrder) {
  app.Channels[0].Connected = true;
  auto d = Make();
  EXPECT_EQ(d.Download(), 0);
  ASSERT_EQ(prompts.Messages.size(), 1u);
  EXPECT_EQ(prompts.Messages[0].Text, "请选择并确认芯片型号！");
  // The option listing came first.
  ASSERT_EQ(app.Log.Lines().size(), 1u);
  EXPECT_EQ(app.Log.Lines()[0], "> 07:14:11 option lines");

  app.Flags.ChipSelected = true;
  EXPECT_EQ(d.Program(), 0);
  EXPECT_EQ(prompts.Messages.back().Text, "请加载目标文件！");
  EXPECT_EQ(d.BlankCheck(), 1);  // needs no image
  EXPECT_EQ(requests.Count, 1);
}

TEST_F(OperationDispatchTest, Channel1OperationsNeedChannel1) {
  app.Flags.ChipSelected = true;
  app.Channels[1].Connected = true;
  auto d = Make();
  EXPECT_FALSE(d.ReadChipMemory());
  EXPECT_EQ(prompts.Messages.back().Text, "请连接好设备！");
  app.Channels[0].Connected = true;
  EXPECT_TRUE(d.ReadChipId());
  EXPECT_EQ(app.Log.Lines().back(), "> 07:14:11 读取芯片......");
  EXPECT_FALSE(d.ReadChipId());  // busy: nothing, no message
  EXPECT_EQ(prompts.Messages.size(), 1u);
  app.Channels[0].Busy = false;
  EXPECT_TRUE(d.ReadOptionBytes());
  auto& lines = app.Log.Lines();
  EXPECT_EQ(lines[lines.size() - 2], "");
  EXPECT_EQ(lines.back(), "> 07:14:11 读Option Byte ......");
}

TEST_F(OperationDispatchTest, ChannelsStartedTogetherShareOneJobThatLaterStartsLeaveAlone) {
  app.Flags.ChipSelected = app.Flags.ImageLoaded = app.Flags.Stm32Family = true;
  app.Channels[0].Connected = app.Channels[2].Connected = true;
  image[0] = 0x11;
  // Each channel's serial number is its own.
  hooks.ChannelOwnBytes = [](int, int order) {
    return std::vector<ImagePatch>{{0x10, {uint8_t(0xA0 + order)}}};
  };
  auto d = Make();
  EXPECT_EQ(d.Auto(), 2);
  const JobView& first = steps.Job(0);
  EXPECT_EQ(first.MainImage.data(), steps.Job(2).MainImage.data());
  EXPECT_NE(first.MainImage.data(), job.MainImage.data());
  uint8_t serial[2] = {};
  MainBytes(steps.Job(0), 0x10, &serial[0], 1);
  MainBytes(steps.Job(2), 0x10, &serial[1], 1);
  EXPECT_EQ(serial[0], 0xA0);
  EXPECT_EQ(serial[1], 0xA1);

  // Another chip, other bytes, then a start on the channel that came late.
  job.Chip.FlashSizeKB = 256;
  image[0] = 0x22;
  app.Channels[1].Connected = true;
  EXPECT_EQ(d.Erase(), 1);
  EXPECT_EQ(&steps.Job(0), &first);
  EXPECT_EQ(first.Chip.FlashSizeKB, 64);
  EXPECT_EQ(first.MainImage[0], 0x11);
  EXPECT_EQ(steps.Job(1).Chip.FlashSizeKB, 256);
  EXPECT_EQ(steps.Job(1).MainImage[0], 0x22);
}

TEST_F(OperationDispatchTest, TextsAndListingFollowTheChipSelectedNow) {
  app.Flags.ChipSelected = app.Flags.ImageLoaded = app.Flags.Stm32Family = true;
  app.Channels[0].Connected = true;
  // The window's chip, which the job view catches up with when refreshed.
  ChipInfo selected = job.Chip;
  hooks.RefreshJob = [&] { job.Chip = selected; };
  auto d = Make();
  selected.HasOtp = true;
  EXPECT_TRUE(d.ReadDataMemory());
  EXPECT_EQ(app.Log.Lines().back(), "> 07:14:11 Read OTP Memory......");

  app.Channels[0].Busy = false;
  selected.BlueNrgMode = true;
  app.Log.Clear();
  d.Download();
  for (const auto& line : app.Log.Lines()) EXPECT_EQ(line.find("option lines"), std::string::npos);
}

TEST_F(OperationDispatchTest, BadSerialNumberTextStopsTheOperation) {
  app.Flags.ChipSelected = app.Flags.ImageLoaded = true;
  app.Channels[0].Connected = true;
  app.Controls.CheckBoxSN.Checked = true;
  app.Controls.SNEdit.Text = "zz";
  auto d = Make();
  EXPECT_EQ(d.Auto(), 0);
  EXPECT_EQ(prompts.Messages.back().Text, "'zz' is not a valid integer value");
  EXPECT_FALSE(app.Channels[0].Busy);
}

}  // namespace
}  // namespace korvel
