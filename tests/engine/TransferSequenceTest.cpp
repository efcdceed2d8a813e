#include "engine/TransferSequence.h"

#include <gtest/gtest.h>

#include "EngineFixtures.h"
#include "app/ChannelOps.h"

namespace korvel {
namespace {

using K = RequestKind;

// Drives one transfer with every reply a success and records what was
// asked for, in order.
struct TransferRun {
  std::vector<BlockRequest> Requests;
  std::vector<std::string> Messages;
  ChannelState End;
};

template <typename Next, typename Advance>
TransferRun Drive(const TransferJob& job, ChannelState ch, Next next, Advance advance) {
  TransferRun r;
  for (int guard = 0; guard < 5000; ++guard) {
    r.Requests.push_back(next(job, ch));
    TransferStep s = advance(job, ch);
    r.Messages.insert(r.Messages.end(), s.Messages.begin(), s.Messages.end());
    if (s.Done) break;
  }
  r.End = ch;
  return r;
}

ChannelState Armed(int blocks) {
  ChannelState ch;
  StartChannelStep(ch, 0, blocks);
  return ch;
}

TransferRun Download(const TransferJob& job) {
  return Drive(job, Armed(DownloadBlockCount(job)), NextDownloadRequest, AdvanceDownload);
}
TransferRun Program(const TransferJob& job) {
  return Drive(job, Armed(MainBlockCount(job)), NextProgramRequest, AdvanceProgram);
}
TransferRun Verify(const TransferJob& job, bool autoChain = false) {
  ChannelState ch = Armed(MainBlockCount(job));
  ch.AutoChain = autoChain;
  return Drive(job, ch, NextReadBackRequest, AdvanceVerify);
}
TransferRun Read(const TransferJob& job) {
  return Drive(job, Armed(MainBlockCount(job)), NextReadBackRequest, AdvanceRead);
}

std::vector<BlockRequest> Blocks(K kind, int from, int to, int step, uint32_t base) {
  std::vector<BlockRequest> v;
  for (int b = from; b < to; b += step) v.push_back({kind, static_cast<uint16_t>(b), base});
  return v;
}

std::vector<BlockRequest> Concat(std::initializer_list<std::vector<BlockRequest>> parts) {
  std::vector<BlockRequest> v;
  for (const auto& p : parts) v.insert(v.end(), p.begin(), p.end());
  return v;
}

TransferJob Job(const ChipInfo& chip, bool stm32, bool eep) {
  test::JobBuffers buffers;
  JobView view = buffers.View(chip, stm32);
  view.Settings.EepEnabled = eep;
  return MakeTransferJob(view);
}

TEST(DownloadSequence, Stm32HeaderThenMainFlash) {
  TransferRun r = Download(Job(test::Stm32F103xB(), true, false));
  EXPECT_EQ(r.Requests, Concat({{{K::JobHeader, 0, 0}}, Blocks(K::MainBlock, 0, 128, 4, 0)}));
  EXPECT_EQ(r.Messages, (std::vector<std::string>{"下载Main Flash数据......", "数据下载成功！"}));
  EXPECT_EQ(r.End.Gauge.Progress, r.End.Gauge.Max);
}

TEST(DownloadSequence, Stm8WithEepSendsEepFirst) {
  TransferRun r = Download(Job(test::Stm8S105K4(), false, true));
  EXPECT_EQ(r.Requests, Concat({{{K::JobHeader, 0, 0}, {K::SecondBlock, 0, 0x4000}},
                                Blocks(K::MainBlock, 0, 16, 4, 0x8000)}));
  EXPECT_EQ(r.Messages, (std::vector<std::string>{"下载EEP数据......", "下载Main Flash数据......",
                                                  "数据下载成功！"}));
  // Without EEP writing the EEP part is left out.
  TransferRun plain = Download(Job(test::Stm8S105K4(), false, false));
  EXPECT_EQ(plain.Requests.size(), 1u + 4u);
}

TEST(DownloadSequence, L1DataMemoryFollowsMainNumberedOn) {
  TransferRun r = Download(Job(test::Stm32L152xB(), true, true));
  EXPECT_EQ(r.Requests, Concat({{{K::JobHeader, 0, 0}}, Blocks(K::MainBlock, 0, 128, 4, 0),
                                {{K::DataMemBlock, 0, 0x80000}}}));
  EXPECT_EQ(r.Messages,
            (std::vector<std::string>{"下载Main Flash数据......",
                                      "Mian Flash下载完成,开始下载EEP数据......", "数据下载成功！"}));
  // An 8 KB data memory takes two blocks.
  ChipInfo big = test::Stm32L152xB();
  big.EepSize = 8192;
  TransferRun r8 = Download(Job(big, true, true));
  EXPECT_EQ(r8.Requests.back(), (BlockRequest{K::DataMemBlock, 4, 0x80000}));
}

TEST(ProgramSequence, MainFlashOnly) {
  TransferRun r = Program(Job(test::Stm32F103xB(), true, false));
  EXPECT_EQ(r.Requests, Blocks(K::ProgramMain, 0, 128, 4, 0));
  EXPECT_EQ(r.Messages, (std::vector<std::string>{"编程操作成功！"}));
  EXPECT_EQ(r.End.TimeoutTicks, 300);
}

TEST(ProgramSequence, DataEepromGoesIn4KBlocksCoveringItsEnd) {
  struct Case {
    uint16_t Size;
    std::vector<uint16_t> Blocks;
  };
  const Case cases[] = {
      {640, {0}}, {1500, {0}}, {4096, {0}}, {5000, {0, 4}}, {16384, {0, 4, 8, 12}},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.Size);
    ChipInfo chip = test::Stm8S105K4();
    chip.EepSize = tc.Size;
    const TransferJob job = Job(chip, false, true);
    TransferRun r = Program(job);
    std::vector<BlockRequest> expected = Blocks(K::ProgramMain, 0, 16, 4, 0x8000);
    for (uint16_t b : tc.Blocks) expected.push_back({K::ProgramSecond, b, 0x4000});
    EXPECT_EQ(r.Requests, expected);
    EXPECT_EQ(r.Messages, (std::vector<std::string>{"写EEP Data！", "编程操作成功！"}));
    EXPECT_GT(r.End.Gauge.Max, 0);
    // Verify and read cover the same blocks, up to the memory's last byte.
    for (TransferRun back : {Verify(job), Read(job)}) {
      std::vector<uint16_t> second;
      for (const BlockRequest& q : back.Requests)
        if (q.Kind == K::ReadSecond) second.push_back(q.Block);
      EXPECT_EQ(second, tc.Blocks);
      EXPECT_GT(back.End.Gauge.Max, 0);
    }
  }
}

TEST(ProgramSequence, Stm32OtpAreaGoesAsOneImage) {
  TransferRun r = Program(Job(test::Stm32G071xB(), true, true));
  EXPECT_EQ(r.Requests.back(), (BlockRequest{K::SecondImage, 0, 0}));
  EXPECT_EQ(r.Requests.size(), 32u + 1u);
  EXPECT_EQ(r.Messages, (std::vector<std::string>{"写OTP Data！", "编程操作成功！"}));
}

TEST(VerifySequence, MainThenEepWithTheirMessages) {
  TransferRun r = Verify(Job(test::Stm8S105K4(), false, true));
  EXPECT_EQ(r.Requests, Concat({Blocks(K::ReadMain, 0, 16, 4, 0), {{K::ReadSecond, 0, 0}}}));
  EXPECT_EQ(r.Messages, (std::vector<std::string>{"Flash数据校验成功！", "开始EEP数据校验......",
                                                  "EEP数据校验成功！"}));
  TransferRun plain = Verify(Job(test::Stm8S105K4(), false, false));
  EXPECT_EQ(plain.Messages, (std::vector<std::string>{"Flash数据校验成功！"}));
}

TEST(VerifySequence, FamilyDifferences) {
  ChipInfo f4;
  f4.FamilyCode = 0x60;
  f4.FlashSizeKB = 8;
  f4.FlashBase = 0x08000000;
  f4.EepSize = 528;
  f4.EepBase = 0x1FFF7800;
  f4.HasOtp = true;
  TransferRun quiet = Verify(Job(f4, true, true));
  EXPECT_EQ(quiet.Requests.size(), 2u + 1u);
  EXPECT_EQ(quiet.Messages, (std::vector<std::string>{"Flash数据校验成功！"}));  // the OTP end

  ChipInfo nrg;
  nrg.FamilyCode = 0xB8;
  nrg.FlashSizeKB = 8;
  nrg.FlashBase = 0x10040000;
  TransferRun chain = Verify(Job(nrg, true, false), true);
  EXPECT_EQ(chain.Messages, (std::vector<std::string>{"数据校验成功！", "自动编程操作成功！"}));
}

TEST(ReadSequence, MainThenSecondMemory) {
  TransferRun r = Read(Job(test::Stm32L152xB(), true, false));
  EXPECT_EQ(r.Requests, Concat({Blocks(K::ReadMain, 0, 128, 4, 0), {{K::ReadSecond, 0, 0}}}));
  EXPECT_EQ(r.Messages, (std::vector<std::string>{"Main Flash读取成功！", "读取EEP数据成功！"}));
  TransferRun otp = Read(Job(test::Stm32G071xB(), true, false));
  EXPECT_EQ(otp.Messages.back(), "读取OTP数据成功！");
  TransferRun none = Read(Job(test::Stm32F103xB(), true, false));
  EXPECT_EQ(none.Messages, (std::vector<std::string>{"Main Flash读取成功！"}));
}

TEST(ReadBackWindow, WhereEachReplyBelongs) {
  TransferJob stm8 = Job(test::Stm8S105K4(), false, true);
  ChannelState ch;
  ch.BlockIndex = 8;
  ReadBackWindow w = CurrentReadBackWindow(stm8, ch);
  EXPECT_EQ(w.Offset, 0x8000u + 8 * 1024);
  EXPECT_EQ(w.Length, 4096u);
  EXPECT_EQ(w.DisplayBase, 0x8000u + 8 * 1024);

  TransferJob f1 = Job(test::Stm32F103xB(), true, false);
  w = CurrentReadBackWindow(f1, ch);
  EXPECT_EQ(w.Offset, 8u * 1024);
  EXPECT_EQ(w.DisplayBase, 0x08000000u + 8 * 1024);

  ChipInfo small = test::Stm8S105K4();
  small.EepSize = 640;
  ch.SubPhase = kPhaseSecond;
  ch.BlockIndex = 0;
  w = CurrentReadBackWindow(Job(small, false, true), ch);
  EXPECT_EQ(w.Offset, 0x4000u);
  EXPECT_EQ(w.Length, 640u);  // up to the memory's end, not a whole block

  w = CurrentReadBackWindow(Job(test::Stm32L152xB(), true, true), ch);
  EXPECT_EQ(w.Offset, 0x80000u);
  EXPECT_FALSE(w.InSecondImage);

  w = CurrentReadBackWindow(Job(test::Stm32G071xB(), true, true), ch);
  EXPECT_TRUE(w.InSecondImage);
  EXPECT_EQ(w.Offset, 0u);
  EXPECT_EQ(w.Length, 1024u);
}

}  // namespace
}  // namespace korvel
