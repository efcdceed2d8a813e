#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/ChannelOps.h"
#include "EngineFixtures.h"
#include "engine/StepMachine.h"

namespace korvel {
namespace {

struct RecordingRequests : ChannelRequests {
  std::vector<std::string> Sent;
  // "channel:chip" of every request that carries a job.
  std::vector<std::string> Jobs;
  void SendBlock(int ch, const JobView& job, const BlockRequest& r) override {
    static const char* kNames[] = {"header", "main", "second", "datamem", "program",
                                   "program2", "image", "9b", "9d"};
    Sent.push_back(std::string(kNames[int(r.Kind)]) + "/" + std::to_string(r.Block));
    Note(ch, job);
  }
  void SendCommand(int ch, const JobView& job, uint8_t command, uint16_t sub) override {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02x/%u", command, sub);
    Sent.push_back(buf);
    Note(ch, job);
  }
  void SendOptionBytes(int ch, const JobView& job) override {
    Sent.push_back("options");
    Note(ch, job);
  }
  void SendSecondImage(int ch, const JobView& job, uint8_t sub) override {
    Sent.push_back("image/" + std::to_string(sub));
    Note(ch, job);
  }
  void SendRestart(int) override { Sent.push_back("restart"); }
  void Note(int ch, const JobView& job) { Jobs.push_back(std::to_string(ch) + ":" + job.Chip.ChipName); }
  size_t Count(const std::string& prefix) const {
    return std::count_if(Sent.begin(), Sent.end(), [&](const std::string& s) { return s.starts_with(prefix); });
  }
};

using test::Stm32F103xB;
using test::Stm8S105K4;

class StepMachineTest : public ::testing::Test {
 protected:
  StepMachineTest() : clock(MakeTime(2026, 12, 5, 7, 14, 11)), app(clock), image(2 << 20, 0xFF) {
    for (auto& c : app.Channels) c.Connected = true;
    Use(Stm32F103xB(), true);
  }

  void Use(ChipInfo c, bool stm32) {
    job.Chip = std::move(c);
    job.Stm32 = stm32;
    job.MainImage = image;
    job.SecondImage = data;
    job.OptionBuffer = options;
    machine = std::make_unique<StepMachine>(app, job, WritableImages{image, data}, requests, prompts, hooks);
  }

  // A reply as the receive path hands it on: header with the data length,
  // the data, and a check word (not looked at here).
  void Reply(int ch, uint8_t status, std::vector<uint8_t> bytes = {}) {
    std::vector<uint8_t> packet(8, 0);
    packet[6] = uint8_t(bytes.size());
    packet[7] = uint8_t(bytes.size() >> 8);
    packet.insert(packet.end(), bytes.begin(), bytes.end());
    packet.insert(packet.end(), {0xEE, 0xEE});
    machine->OnReply(ch, status, packet);
  }
  // A read-back reply of the image as the host holds it at offset.
  std::vector<uint8_t> Block(uint32_t offset, size_t n = 4096) {
    return std::vector<uint8_t>(image.begin() + offset, image.begin() + offset + n);
  }
  bool Logged(const std::string& text) const {
    return std::any_of(app.Log.Lines().begin(), app.Log.Lines().end(),
                       [&](const std::string& l) { return l.ends_with(text); });
  }
  FixedClock clock;
  AppState app;
  std::vector<uint8_t> image;
  std::vector<uint8_t> data = std::vector<uint8_t>(4096, 0xFF);
  std::array<uint8_t, 128> options{};
  JobView job;
  RecordingRequests requests;
  RecordingPrompts prompts;
  StepHooks hooks;
  std::unique_ptr<StepMachine> machine;
};

TEST_F(StepMachineTest, AutoOnStm32RunsTheWholeChain) {
  for (size_t i = 0; i < 128 * 1024; ++i) image[i] = uint8_t(i * 7);
  machine->StartAuto(2);
  ChannelState& c = app.Channels[2];
  EXPECT_EQ(c.Step, kStepBlankCheck);
  EXPECT_EQ(c.TimeoutTicks, 500);
  EXPECT_TRUE(c.GaugeRunning);
  Reply(2, 0);
  EXPECT_EQ(c.Step, kStepProgram);
  for (int i = 0; i < 32; ++i) Reply(2, 6);
  EXPECT_EQ(requests.Count("program"), 32u);
  EXPECT_EQ(c.Step, kStepVerify);
  for (uint32_t b = 0; b < 32; ++b) Reply(2, 0, Block(b * 4096));
  EXPECT_EQ(requests.Count("9b/0"), 1u);
  EXPECT_EQ(requests.Count("9b/124"), 1u);
  EXPECT_EQ(c.Step, kStepWriteOptions);
  Reply(2, 0);
  EXPECT_FALSE(c.Busy);
  EXPECT_EQ(c.Step, 240);
  EXPECT_EQ(c.Gauge.Color, kGaugeBlue);
  EXPECT_EQ(c.Outcome.Result, ChannelResult::Success);
  EXPECT_EQ(app.Flags.OnlineCounter, 1u);
  EXPECT_EQ(app.Controls.StatusPanels[3], "联机计数器：1");
  EXPECT_TRUE(prompts.Messages.empty());
  const char* expected[] = {"芯片查空......", "芯片为空！", "开始芯片编程...", "编程操作成功！",
                            "开始Flash数据校验......", "Flash数据校验成功！", "写Option Byte......",
                            "写Option Byte操作成功！", "Programming Success!"};
  ASSERT_EQ(app.Log.Lines().size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i)
    EXPECT_EQ(app.Log.Lines()[i], std::string("> 07:14:11 Channel 3: ") + expected[i]);
}

TEST_F(StepMachineTest, ARunningChannelKeepsTheJobItStartedWith) {
  for (size_t i = 0; i < 128 * 1024; ++i) image[i] = uint8_t(i * 3);
  const std::vector<uint8_t> startedWith = image;
  machine->StartAuto(0);
  Reply(0, 0);  // blank: programming begins

  // Meanwhile the operator picks another chip, loads other bytes, asks to
  // skip option bytes and starts another channel on that.
  job.Chip = test::Stm32G071xB();
  job.Settings.OptionFlags = kOptionSkipOptionBytes;
  std::fill(image.begin(), image.end(), 0x00);
  machine->StartBlankCheck(1);

  for (int i = 0; i < 32; ++i) Reply(0, 6);
  for (uint32_t b = 0; b < 32; ++b)
    Reply(0, 0, std::vector<uint8_t>(startedWith.begin() + b * 4096, startedWith.begin() + (b + 1) * 4096));
  EXPECT_TRUE(prompts.Messages.empty());
  EXPECT_EQ(app.Channels[0].Step, kStepWriteOptions);  // the job it started with writes them
  for (const auto& j : requests.Jobs)
    EXPECT_EQ(j, j.starts_with("0:") ? "0:STM32F103xB" : "1:STM32G071xB");
  EXPECT_EQ(requests.Jobs.size(), 1u + 1u + 32u + 32u + 1u);
}

TEST_F(StepMachineTest, BlankCheckOutcomes) {
  struct Case {
    const char* Name;
    bool Auto;
    uint8_t Status;
    uint8_t NextStep;    // 240: finished
    int Ticks;           // watchdog after the reply
    bool Red;
    const char* LastLine;
    ChannelResult Result;
    uint8_t Code;
  };
  using enum ChannelResult;
  const Case cases[] = {
      {"single, blank", false, 0, 240, 0, false, "操作成功！", Success, 0},
      {"single, not blank: red, no error text", false, 21, 240, 0, true, "芯片不为空！", Failure, 21},
      {"single, protected: error path", false, 19, 240, 0, true, "芯片已被读保护！", Failure, 19},
      {"auto, not blank: erase with 30 s", true, 21, kStepErase, 3000, false, "芯片擦除......", Running, 0},
      {"auto, protected: erase with 5 s", true, 90, kStepErase, 500, false, "芯片已保护，擦除芯片...", Running, 0},
      {"auto, protected 16", true, 16, kStepErase, 500, false, "芯片已保护，擦除芯片...", Running, 0},
      {"auto, other error", true, 0x0B, 240, 0, true, "芯片没有响应！", Failure, 0x0B},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.Name);
    app.Channels[0] = ChannelState{};
    app.Channels[0].Connected = true;
    if (tc.Auto) machine->StartAuto(0);
    else machine->StartBlankCheck(0);
    Reply(0, tc.Status);
    EXPECT_EQ(app.Channels[0].Step, tc.NextStep);
    EXPECT_EQ(app.Channels[0].TimeoutTicks, tc.Ticks);
    EXPECT_EQ(app.Channels[0].Gauge.Color == kGaugeRed, tc.Red);
    EXPECT_TRUE(app.Log.Lines().back().ends_with(tc.LastLine)) << app.Log.Lines().back();
    EXPECT_EQ(app.Channels[0].Outcome.Result, tc.Result);
    EXPECT_EQ(app.Channels[0].Outcome.Code, tc.Code);
  }
  // The erase after "not blank" goes on into programming.
  requests.Sent.clear();
  app.Channels[0] = ChannelState{};
  machine->StartAuto(0);
  Reply(0, 21);
  Reply(0, 0);
  EXPECT_TRUE(Logged("擦除芯片操作成功！"));
  EXPECT_EQ(app.Channels[0].Step, kStepProgram);
  EXPECT_EQ(requests.Sent, (std::vector<std::string>{"93/5", "93/3", "program/0"}));
}

TEST_F(StepMachineTest, VerifyMismatchShowsTheFirstDifferingRowOnly) {
  machine->StartVerify(0);
  auto block = Block(0);
  block[0x21] ^= 1;  // row 2: two differences
  block[0x2F] ^= 1;
  block[0x40] ^= 1;  // row 4: not shown
  prompts.Answers = {PromptButton::Yes, PromptButton::Yes};
  Reply(0, 0, block);
  ASSERT_EQ(prompts.Messages.size(), 2u);
  EXPECT_EQ(prompts.Messages[0].Text, "Chip 1: Buffer Address 0x08000021 = 0xff, Chip = 0xfe");
  EXPECT_EQ(prompts.Messages[1].Text, "Chip 1: Buffer Address 0x0800002f = 0xff, Chip = 0xfe");
  EXPECT_TRUE(Logged("数据校验错误！"));
  EXPECT_EQ(app.Channels[0].Gauge.Color, kGaugeRed);
  EXPECT_FALSE(app.Channels[0].Busy);

  // Abort stops the dialogs at once.
  prompts.Messages.clear();
  machine->StartVerify(1);
  Reply(1, 0, block);
  EXPECT_EQ(prompts.Messages.size(), 1u);
}

TEST_F(StepMachineTest, AChannelsOwnBytesAreWhatItVerifiesAgainst) {
  job.Own = {{0x0FFE, {0x12, 0x34, 0x56, 0x78}}};  // across two 4 KB blocks
  machine->StartVerify(0);
  auto first = Block(0), second = Block(4096);
  first[0x0FFE] = 0x12;
  first[0x0FFF] = 0x34;
  Reply(0, 0, first);
  EXPECT_TRUE(prompts.Messages.empty());
  Reply(0, 0, second);  // still the shared bytes at 0x1000: a difference
  ASSERT_EQ(prompts.Messages.size(), 1u);
  EXPECT_EQ(prompts.Messages[0].Text, "Chip 1: Buffer Address 0x08001000 = 0x56, Chip = 0xff");
}

TEST_F(StepMachineTest, VerifyAcceptsOnlyStatusZero) {
  machine->StartVerify(0);
  Reply(0, 6, Block(0));
  EXPECT_FALSE(app.Channels[0].Busy);
  EXPECT_FALSE(Logged("Flash数据校验成功！"));
  EXPECT_EQ(requests.Count("9b"), 1u);
}

TEST_F(StepMachineTest, SecondMemoryOf1500BytesIsProgrammedInOneBlock) {
  ChipInfo c = Stm8S105K4();
  c.EepSize = 1500;
  Use(c, false);
  job.Settings.EepEnabled = true;
  machine->StartProgram(0);
  for (int i = 0; i < 4; ++i) Reply(0, 0);  // 16 KB main flash
  EXPECT_EQ(app.Channels[0].SubPhase, 1);
  EXPECT_TRUE(Logged("写EEP Data！"));
  Reply(0, 0);
  EXPECT_FALSE(app.Channels[0].Busy);
  EXPECT_EQ(requests.Count("program/"), 4u);
  EXPECT_EQ(requests.Count("program2/"), 1u);
  EXPECT_TRUE(Logged("编程操作成功！"));
}

TEST_F(StepMachineTest, AutoOnStm8WithEepromVerifiesDataAndSkipsOptionBytesWhenAsked) {
  Use(Stm8S105K4(), false);
  job.Settings.EepEnabled = true;
  job.Settings.OptionFlags = kOptionSkipOptionBytes;
  machine->StartAuto(0);
  EXPECT_EQ(app.Channels[0].Step, kStepProgram);
  for (int i = 0; i < 4 + 1; ++i) Reply(0, 0);
  ASSERT_EQ(app.Channels[0].Step, kStepVerify);
  for (uint32_t b = 0; b < 4; ++b) Reply(0, 0, Block(0x8000 + b * 4096));
  EXPECT_TRUE(Logged("开始EEP数据校验......"));
  EXPECT_EQ(requests.Sent.back(), "9d/0");
  Reply(0, 0, Block(0x4000));
  EXPECT_TRUE(Logged("EEP数据校验成功！"));
  EXPECT_FALSE(app.Channels[0].Busy);
  EXPECT_EQ(app.Flags.OnlineCounter, 1u);
  EXPECT_EQ(requests.Count("options"), 0u);
}

TEST_F(StepMachineTest, DownloadOrders) {
  // STM8 with EEP data: header, EEP block, then the main flash.
  Use(Stm8S105K4(), false);
  job.Settings.EepEnabled = true;
  machine->StartDownload(0);
  Reply(0, 0);
  EXPECT_EQ(app.Channels[0].SubPhase, 1);
  Reply(0, 0);
  EXPECT_EQ(app.Channels[0].SubPhase, 2);
  for (int i = 0; i < 4; ++i) Reply(0, 0);
  EXPECT_TRUE(Logged("数据下载成功！"));
  EXPECT_EQ(app.Flags.DownloadsDone, 1);
  EXPECT_EQ(app.Channels[0].Outcome.Result, ChannelResult::Success);
  EXPECT_EQ(requests.Sent.back(), "restart");
  EXPECT_EQ(requests.Count("header") + requests.Count("second") + requests.Count("main"), 6u);

  // Chip code 0x20: main flash first, then the data memory.
  ChipInfo l1;
  l1.FamilyCode = 0x20;
  l1.FlashSizeKB = 32;
  l1.FlashBase = 0x08000000;
  l1.EepSize = 4096;
  l1.EepBase = 0x08080000;
  Use(l1, true);
  requests.Sent.clear();
  machine->StartDownload(1);
  Reply(1, 0);
  EXPECT_EQ(app.Channels[1].SubPhase, 2);
  for (int i = 0; i < 8; ++i) Reply(1, 0);
  EXPECT_TRUE(Logged("Mian Flash下载完成,开始下载EEP数据......"));
  EXPECT_EQ(app.Channels[1].SubPhase, 1);
  EXPECT_TRUE(app.Channels[1].Busy);
  Reply(1, 0);
  EXPECT_FALSE(app.Channels[1].Busy);
  EXPECT_EQ(requests.Count("header") + requests.Count("main") + requests.Count("datamem"), 10u);
  EXPECT_EQ(app.Flags.DownloadsDone, 2);
}

TEST_F(StepMachineTest, DataRepliesOfInspectionSteps) {
  machine->StartReadUniqueId(0);
  Reply(0, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  EXPECT_TRUE(Logged(" Channel 1: UID=01 02 03 04 05 06 07 08 09 0a 0b 0c "));

  machine->StartReadChecksum(0);
  Reply(0, 0, {0x34, 0x12, 0xCD, 0xAB});
  EXPECT_TRUE(Logged("读取芯片校验和 : 0x1234,0xabcd"));

  std::vector<uint8_t> seen;
  hooks.OptionBytesRead = [&](int, std::span<const uint8_t> b) { seen.assign(b.begin(), b.end()); };
  Use(job.Chip, true);
  machine->StartReadOptions(0);
  Reply(0, 0, std::vector<uint8_t>(128, 0xA5));
  EXPECT_EQ(seen.size(), 128u);
  EXPECT_FALSE(app.Channels[0].Busy);
}

TEST_F(StepMachineTest, DataRepliesShortOfTheirSizeFailAsBadPackets) {
  Use(test::Stm32G071xB(), true);  // has an OTP area of 1024 bytes
  struct Case {
    const char* Name;
    void (StepMachine::*Start)(int);
    size_t Size;
  };
  const Case cases[] = {
      {"read memory, 100 bytes", &StepMachine::StartReadMemory, 100},
      {"read memory, one short", &StepMachine::StartReadMemory, 4095},
      {"verify, one short", &StepMachine::StartVerify, 4095},
      {"verify, one long", &StepMachine::StartVerify, 4097},
      {"OTP verify", &StepMachine::StartVerifyOtp, 1023},
      {"OTP read", &StepMachine::StartReadSecond, 1000},
      {"chip checksum", &StepMachine::StartReadChecksum, 3},
      {"unique ID", &StepMachine::StartReadUniqueId, 11},
      {"option bytes", &StepMachine::StartReadOptions, 127},
      {"option bytes, a bare acknowledge", &StepMachine::StartReadOptions, 0},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.Name);
    app.Log.Clear();
    std::fill(image.begin(), image.begin() + 8192, 0x11);
    (machine.get()->*tc.Start)(0);
    Reply(0, 0, std::vector<uint8_t>(tc.Size, 0x5A));
    const ChannelState& c = app.Channels[0];
    EXPECT_FALSE(c.Busy);
    EXPECT_EQ(c.Outcome.Result, ChannelResult::Failure);
    EXPECT_EQ(c.Outcome.Code, 0x20);
    EXPECT_EQ(app.Log.Lines().back(), "> 07:14:11 Channel 1: 数据包错误！");
    EXPECT_FALSE(Logged("成功！"));
    EXPECT_TRUE(prompts.Messages.empty());
    EXPECT_EQ(std::count(image.begin(), image.begin() + 8192, 0x5A), 0);
  }
}

TEST_F(StepMachineTest, ReadMemoryFillsTheImage) {
  machine->StartReadMemory(0);
  for (uint32_t b = 0; b < 32; ++b) Reply(0, 0, std::vector<uint8_t>(4096, uint8_t(b)));
  EXPECT_EQ(image[0], 0);
  EXPECT_EQ(image[31 * 4096], 31);
  EXPECT_EQ(image[128 * 1024], 0xFF);
  EXPECT_TRUE(Logged("Main Flash读取成功！"));
  EXPECT_FALSE(app.Channels[0].Busy);
}

TEST_F(StepMachineTest, ReplyWithoutAWaitingStepOnlyClearsBusy) {
  app.Channels[4].Busy = true;
  app.Channels[4].Step = 240;
  Reply(4, 0);
  EXPECT_FALSE(app.Channels[4].Busy);
  EXPECT_TRUE(requests.Sent.empty());
  EXPECT_TRUE(app.Log.Lines().empty());
}

}  // namespace
}  // namespace korvel
