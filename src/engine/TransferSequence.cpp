#include "engine/TransferSequence.h"

#include <algorithm>

#include "engine/RandomSource.h"
#include "engine/RequestPackets.h"

namespace korvel {

namespace {

// Codes 0x20 and 0x28 download their data memory after the main flash.
bool DataMemoryAfterMain(const TransferJob& job) {
  return job.FamilyCode == 0x20 || job.FamilyCode == 0x28;
}

uint32_t Offset(const TransferJob& job, uint32_t address) {
  return ImageOffsetOf(job.Stm32, job.FlashBase, address);
}

void SetGauge(ChannelState& ch, int progress) {
  ch.Gauge.Progress = std::min(progress, ch.Gauge.Max);
}

}  // namespace

TransferJob MakeTransferJob(const JobView& job) {
  TransferJob t;
  t.Stm32 = job.Stm32;
  t.FamilyCode = job.Chip.FamilyCode;
  t.FlashSizeKB = job.Chip.FlashSizeKB;
  t.FlashBase = job.Chip.FlashBase;
  t.SecondSize = job.Chip.EepSize;
  t.SecondBase = job.Chip.EepBase;
  t.SecondIsOtp = job.Chip.HasOtp;
  t.SecondWrite = job.Settings.EepEnabled && job.Chip.EepSize != 0;
  return t;
}

uint16_t DownloadBlockCount(const TransferJob& job) { return job.FlashSizeKB; }
uint16_t MainBlockCount(const TransferJob& job) { return job.FlashSizeKB; }
uint16_t SecondBlocksUp(const TransferJob& job) {
  return static_cast<uint16_t>((job.SecondSize + 1023u) / 1024u);
}
uint16_t SecondBlocksDown(const TransferJob& job) {
  return static_cast<uint16_t>(job.SecondSize / 1024u);
}

BlockRequest NextDownloadRequest(const TransferJob& job, const ChannelState& ch) {
  switch (ch.SubPhase) {
    case kPhaseFirst: return {RequestKind::JobHeader, 0, 0};
    case kPhaseSecond:
      if (DataMemoryAfterMain(job))
        return {RequestKind::DataMemBlock, ch.BlockIndex, 0x80000};
      return {RequestKind::SecondBlock, ch.BlockIndex, Offset(job, job.SecondBase)};
    default: return {RequestKind::MainBlock, ch.BlockIndex, Offset(job, job.FlashBase)};
  }
}

TransferStep AdvanceDownload(const TransferJob& job, ChannelState& ch) {
  TransferStep r;
  const bool eepFirst = !job.Stm32 && job.SecondWrite;
  if (ch.SubPhase == kPhaseFirst) {
    ch.BlockIndex = 0;
    if (eepFirst) {
      ch.SubPhase = kPhaseSecond;
      r.Messages.push_back("下载EEP数据......");
    } else {
      ch.SubPhase = kPhaseMain;
      r.Messages.push_back("下载Main Flash数据......");
    }
    return r;
  }
  ch.BlockIndex = static_cast<uint16_t>(ch.BlockIndex + 4);
  if (ch.SubPhase == kPhaseSecond) {
    if (uint32_t{ch.BlockIndex} * 1024u < job.SecondSize) return r;
    ch.BlockIndex = 0;
    if (DataMemoryAfterMain(job)) {
      r.Done = true;
      r.Messages.push_back("数据下载成功！");
    } else {
      ch.SubPhase = kPhaseMain;
      r.Messages.push_back("下载Main Flash数据......");
    }
    return r;
  }
  SetGauge(ch, ch.BlockIndex + 1);
  if (ch.BlockIndex < ch.BlockCount) return r;
  if (DataMemoryAfterMain(job) && job.SecondWrite) {
    ch.SubPhase = kPhaseSecond;
    ch.BlockIndex = 0;
    r.Messages.push_back("Mian Flash下载完成,开始下载EEP数据......");
    return r;
  }
  r.Done = true;
  r.Messages.push_back("数据下载成功！");
  return r;
}

BlockRequest NextProgramRequest(const TransferJob& job, const ChannelState& ch) {
  if (ch.SubPhase == kPhaseFirst)
    return {RequestKind::ProgramMain, ch.BlockIndex, Offset(job, job.FlashBase)};
  if (job.Stm32 && job.SecondIsOtp) return {RequestKind::SecondImage, 0, 0};
  return {RequestKind::ProgramSecond, ch.BlockIndex, Offset(job, job.SecondBase)};
}

TransferStep AdvanceProgram(const TransferJob& job, ChannelState& ch) {
  TransferStep r;
  ch.TimeoutTicks = 300;
  if (ch.SubPhase == kPhaseFirst) {
    ch.BlockIndex = static_cast<uint16_t>(ch.BlockIndex + 4);
    SetGauge(ch, ch.BlockIndex + 1);
    if (ch.BlockIndex < ch.BlockCount) return r;
    ch.BlockIndex = 0;
    if (job.SecondWrite) {
      ch.SubPhase = kPhaseSecond;
      ch.TimeoutTicks = 500;
      ch.BlockCount = SecondBlocksUp(job);
      ch.Gauge.Max = ch.BlockCount + 1;
      ch.Gauge.Progress = 2;
      r.Messages.push_back(job.SecondIsOtp ? "写OTP Data！" : "写EEP Data！");
      return r;
    }
    r.Done = true;
    r.Messages.push_back("编程操作成功！");
    return r;
  }
  // The whole OTP image goes in one request; a data EEPROM in 4 KB blocks
  // like the main flash. BlockCount counts started kilobytes, so a memory
  // that ends inside a kilobyte is covered by the block that holds its end.
  if (!(job.Stm32 && job.SecondIsOtp)) {
    ch.BlockIndex = static_cast<uint16_t>(ch.BlockIndex + 4);
    SetGauge(ch, ch.BlockIndex + 2);
    if (ch.BlockIndex < ch.BlockCount) return r;
  }
  r.Done = true;
  r.Messages.push_back("编程操作成功！");
  return r;
}

BlockRequest NextReadBackRequest(const TransferJob&, const ChannelState& ch) {
  if (ch.SubPhase == kPhaseFirst) return {RequestKind::ReadMain, ch.BlockIndex, 0};
  return {RequestKind::ReadSecond, ch.BlockIndex, 0};
}

ReadBackWindow CurrentReadBackWindow(const TransferJob& job, const ChannelState& ch) {
  ReadBackWindow w;
  const uint32_t done = uint32_t{ch.BlockIndex} * 1024u;
  if (ch.SubPhase == kPhaseFirst) {
    w.Offset = Offset(job, job.FlashBase) + done;
    w.Length = 4096;
    w.DisplayBase = job.FlashBase + done;
    return w;
  }
  if (job.SecondIsOtp) {
    w.InSecondImage = true;
    w.Length = job.SecondSize;
    return w;
  }
  w.Offset = Offset(job, job.SecondBase) + done;
  w.Length = done < job.SecondSize ? std::min<uint32_t>(4096, job.SecondSize - done) : 0;
  w.DisplayBase = w.Offset;
  return w;
}

namespace {

// After a second-memory read-back reply: true when the memory is complete,
// that is when the blocks so far reach its last byte (a memory that ends
// inside a kilobyte has that part read too).
bool SecondReadBackComplete(const TransferJob& job, ChannelState& ch) {
  if (job.SecondIsOtp) return true;
  ch.BlockIndex = static_cast<uint16_t>(ch.BlockIndex + 4);
  return uint32_t{ch.BlockIndex} * 1024u >= job.SecondSize;
}

}  // namespace

TransferStep AdvanceVerify(const TransferJob& job, ChannelState& ch) {
  TransferStep r;
  if (ch.SubPhase == kPhaseFirst) {
    ch.BlockIndex = static_cast<uint16_t>(ch.BlockIndex + 4);
    SetGauge(ch, ch.BlockIndex + 1);
    if (ch.BlockIndex < ch.BlockCount) return r;
    ch.BlockIndex = 0;
    r.Done = true;
    if (job.FamilyCode == 0xB8) {
      r.Messages.push_back("数据校验成功！");
      if (ch.AutoChain) r.Messages.push_back("自动编程操作成功！");
      return r;
    }
    const bool quiet = job.FamilyCode == 0x40 || job.FamilyCode == 0x60;
    if (job.SecondWrite) {
      if (!quiet) r.Messages.push_back("Flash数据校验成功！");
      r.Done = false;
      ch.SubPhase = kPhaseSecond;
      // A memory under 1 KB still gets a gauge that can fill.
      ch.Gauge.Max = std::max<int>(SecondBlocksDown(job), 1);
      ch.Gauge.Progress = 3;
      if (!quiet) r.Messages.push_back("开始EEP数据校验......");
      return r;
    }
    r.Messages.push_back("Flash数据校验成功！");
    return r;
  }
  if (job.SecondIsOtp) {
    r.Done = true;
    r.Messages.push_back("Flash数据校验成功！");
    return r;
  }
  const bool complete = SecondReadBackComplete(job, ch);
  SetGauge(ch, ch.BlockIndex + 3);
  if (!complete) return r;
  r.Done = true;
  r.Messages.push_back("EEP数据校验成功！");
  return r;
}

TransferStep AdvanceRead(const TransferJob& job, ChannelState& ch) {
  TransferStep r;
  if (ch.SubPhase == kPhaseFirst) {
    ch.BlockIndex = static_cast<uint16_t>(ch.BlockIndex + 4);
    SetGauge(ch, ch.BlockIndex + 1);
    if (ch.BlockIndex < ch.BlockCount) return r;
    r.Messages.push_back("Main Flash读取成功！");
    if (job.SecondSize != 0) {
      ch.SubPhase = kPhaseSecond;
      ch.BlockIndex = 0;
      return r;
    }
    r.Done = true;
    return r;
  }
  if (!SecondReadBackComplete(job, ch)) return r;
  r.Done = true;
  r.Messages.push_back(job.SecondIsOtp ? "读取OTP数据成功！" : "读取EEP数据成功！");
  return r;
}

std::vector<uint8_t> BlockRequestPacket(const JobView& job, const TransferJob& transfer,
                                        const BlockRequest& q, RandomSource& random) {
  switch (q.Kind) {
    case RequestKind::JobHeader: return JobHeaderPacket(job, DrawJobHeaderRandom(random), q.Block);
    case RequestKind::MainBlock: return MainBlockPacket(job, q.Block, q.Base);
    case RequestKind::SecondBlock: return SecondBlockPacket(job, q.Block, q.Base);
    case RequestKind::DataMemBlock:
      return DataMemBlockPacket(job, MainBlockCount(transfer), q.Block);
    case RequestKind::ProgramMain:
      return ProgramBlockPacket(job, kCmdProgramMain, q.Block, q.Base, random.RequestByte());
    case RequestKind::ProgramSecond:
      return ProgramBlockPacket(job, kCmdProgramSecond, q.Block, q.Base, random.RequestByte());
    case RequestKind::SecondImage: return SecondImagePacket(job, 0, random.RequestByte());
    case RequestKind::ReadMain:
      return CommandPacket(job, kCmdReadMain, q.Block, random.RequestByte());
    case RequestKind::ReadSecond:
      return CommandPacket(job, kCmdReadSecond, q.Block, random.RequestByte());
  }
  return {};
}

}  // namespace korvel
