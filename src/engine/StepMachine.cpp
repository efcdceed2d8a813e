#include "engine/StepMachine.h"

#include <algorithm>
#include <cstdio>

#include "app/ChannelOps.h"

namespace korvel {

namespace {

constexpr size_t kDataOffset = 8;
constexpr size_t kBlockBytes = 4096;

bool MainFirstOrder(uint8_t code) { return code == 0x20 || code == 0x28; }

std::string Format(const char* fmt, unsigned a, unsigned b, unsigned c) {
  char buf[128];
  std::snprintf(buf, sizeof buf, fmt, a, b, c);
  return buf;
}

}  // namespace

StepMachine::StepMachine(AppState& app, JobView& job, ChannelRequests& requests,
                         OperatorPrompts& prompts, StepHooks hooks)
    : app_(app), job_(job), send_(requests), prompts_(prompts), hooks_(std::move(hooks)) {}

void StepMachine::Info(int ch, const std::string& text) { ChannelInfo(app_.Log, ch, text); }

void StepMachine::Fail(int ch, uint8_t status) {
  if (hooks_.ReportChannelError) hooks_.ReportChannelError(ch, status);
  else FinishChannel(app_.Channels[ch], true);
}

void StepMachine::EndSuccess(int ch) {
  if (hooks_.ReportChannelError) hooks_.ReportChannelError(ch, 0);
  else FinishChannel(app_.Channels[ch], false);
}

void StepMachine::AutoCompletion(int ch) {
  if (hooks_.AdvanceSerial) hooks_.AdvanceSerial();
  ++app_.Flags.OnlineCounter;
  app_.Controls.StatusPanels[3] = "联机计数器：" + std::to_string(app_.Flags.OnlineCounter);
  FinishChannel(app_.Channels[ch], false);
  app_.Controls.Changed();
}

// ---- dispatch ---------------------------------------------------------------

void StepMachine::OnReply(int ch, uint8_t status, std::span<const uint8_t> packet) {
  ChannelState& c = app_.Channels[ch];
  switch (c.Step) {
    case kStepDownload: return OnDownload(ch, status);
    case kStepErase: return OnErase(ch, status);
    case kStepBlankCheck: return OnBlankCheck(ch, status);
    case kStepProgram: return OnProgram(ch, status);
    case kStepVerify: return OnVerify(ch, status, packet);
    case kStepRead: return OnRead(ch, status, packet);
    case kStepChecksum: return OnChecksum(ch, status, packet);
    case kStepWriteOptions: return OnWriteOptions(ch, status);
    case kStepReadOptions: return OnReadOptions(ch, status, packet);
    case kStepUniqueId: return OnUniqueId(ch, status, packet);
    case kStepWriteOtp: return OnWriteOtp(ch, status);
    case kStepVerifyOtp:
      if (status != 0) return Fail(ch, status);
      return VerifySecondPhase(ch, packet.size() > kDataOffset ? packet.subspan(kDataOffset)
                                                              : std::span<const uint8_t>{});
    default:
      // A reply nobody waits for.
      c.Busy = false;
      return;
  }
}

// ---- download ---------------------------------------------------------------

void StepMachine::OnDownload(int ch, uint8_t status) {
  if (!Ok(status)) return Fail(ch, status);
  ChannelState& c = app_.Channels[ch];
  const uint8_t code = job_.Chip->FamilyCode;
  if (c.SubPhase == 0) {
    c.BlockIndex = 0;
    if (job_.Stm32 || !job_.SecondToWrite()) {
      c.SubPhase = 2;
      Info(ch, "下载Main Flash数据......");
    } else {
      c.SubPhase = 1;
      Info(ch, "下载EEP数据......");
    }
    send_.SendNextDownload(ch);
    return;
  }
  if (c.SubPhase == 1 && !MainFirstOrder(code)) {
    c.SubPhase = 2;
    c.BlockIndex = 0;
    Info(ch, "下载Main Flash数据......");
    send_.SendNextDownload(ch);
    return;
  }
  c.BlockIndex += 4;
  c.Gauge.Progress = std::min<int>(c.BlockIndex, c.Gauge.Max);
  if (c.SubPhase == 2) {
    if (c.BlockIndex < c.BlockCount) return send_.SendNextDownload(ch);
    if (MainFirstOrder(code) && job_.SecondToWrite()) {
      // These chips take the data memory after the main flash, numbered on
      // from the main block total.
      c.SubPhase = 1;
      c.BlockIndex = 0;
      Info(ch, "Mian Flash下载完成,开始下载EEP数据......");
      return send_.SendNextDownload(ch);
    }
  } else if (uint32_t(c.BlockIndex) * 1024 < job_.SecondSize()) {
    return send_.SendNextDownload(ch);
  }
  FinishChannel(c, false);
  Info(ch, "数据下载成功！");
  ++app_.Flags.DownloadsDone;
  send_.SendRestart(ch);
}

// ---- erase and blank check --------------------------------------------------

void StepMachine::ProgramNext(int ch) {
  ChannelState& c = app_.Channels[ch];
  if (!c.AutoChain) return EndSuccess(ch);
  Info(ch, "开始芯片编程...");
  c.Step = kStepProgram;
  StartChannelStep(c, 0, job_.Chip->FlashSizeKB);
  send_.SendNextProgram(ch);
}

void StepMachine::OnErase(int ch, uint8_t status) {
  if (!Ok(status)) return Fail(ch, status);
  Info(ch, "擦除芯片操作成功！");
  ProgramNext(ch);
}

void StepMachine::OnBlankCheck(int ch, uint8_t status) {
  ChannelState& c = app_.Channels[ch];
  if (Ok(status)) {
    Info(ch, "芯片为空！");
    return ProgramNext(ch);
  }
  if (status == 21) {
    Info(ch, "芯片不为空！");
    if (!c.AutoChain) return FinishChannel(c, true);
    Info(ch, "芯片擦除......");
    c.Step = kStepErase;
    StartChannelStep(c, 3000, job_.Chip->FlashSizeKB);
    return send_.SendCommand(ch, kCmdChipOp, kSubErase);
  }
  if ((status == 19 || status == 16 || status == 90) && c.AutoChain) {
    Info(ch, "芯片已保护，擦除芯片...");
    c.Step = kStepErase;
    StartChannelStep(c, 500, job_.Chip->FlashSizeKB);
    return send_.SendCommand(ch, kCmdChipOp, kSubErase);
  }
  Fail(ch, status);
}

// ---- program ----------------------------------------------------------------

void StepMachine::OnProgram(int ch, uint8_t status) {
  if (!Ok(status)) return Fail(ch, status);
  ChannelState& c = app_.Channels[ch];
  c.TimeoutTicks = 300;
  if (c.SubPhase == 0) {
    c.BlockIndex += 4;
    c.Gauge.Progress = c.BlockIndex + 1;
    if (c.BlockIndex < c.BlockCount) return send_.SendNextProgram(ch);
    c.BlockIndex = 0;
    if (!job_.SecondToWrite()) return ProgrammingEnd(ch);
    c.SubPhase = 1;
    c.TimeoutTicks = 500;
    c.BlockCount = static_cast<uint16_t>((job_.SecondSize() + 1023) / 1024);
    Info(ch, job_.SecondIsOtp() ? "写OTP Data！" : "写EEP Data！");
    c.Gauge.Max = c.BlockCount + 1;
    c.Gauge.Progress = 2;
    return send_.SendNextProgram(ch);
  }
  // The second memory goes in 1 KB steps, so a 1500-byte EEPROM takes two
  // blocks; an OTP area of an STM32 goes whole in one request.
  c.BlockIndex += 1;
  if (job_.Stm32 && job_.SecondIsOtp()) c.BlockIndex = c.BlockCount;
  c.Gauge.Progress = std::min<int>(c.BlockIndex + 2, c.Gauge.Max);
  if (c.BlockIndex < c.BlockCount) return send_.SendNextProgram(ch);
  ProgrammingEnd(ch);
}

void StepMachine::ProgrammingEnd(int ch) {
  Info(ch, "编程操作成功！");
  if (!app_.Channels[ch].AutoChain) return EndSuccess(ch);
  StartVerification(ch);
}

void StepMachine::StartVerification(int ch) {
  ChannelState& c = app_.Channels[ch];
  Info(ch, "开始Flash数据校验......");
  c.Step = kStepVerify;
  StartChannelStep(c, 0, job_.Chip->FlashSizeKB);
  send_.SendCommand(ch, kCmdReadMain, c.BlockIndex);
}

// ---- verify -----------------------------------------------------------------

bool StepMachine::CompareRows(std::span<const uint8_t> chip, uint32_t offset, size_t length,
                              const char* format, uint32_t shownBase) {
  length = std::min(length, chip.size());
  for (size_t row = 0; row < length; row += 16) {
    size_t end = std::min(row + 16, length);
    bool differs = false;
    for (size_t i = row; i < end; ++i) {
      size_t at = offset + i;
      uint8_t expected = at < job_.Image.size() ? job_.Image[at] : 0xFF;
      if (expected != chip[i]) differs = true;
    }
    if (!differs) continue;
    // One dialog per differing byte of the first differing row; Abort
    // stops the dialogs, either way the verification fails.
    for (size_t i = row; i < end; ++i) {
      size_t at = offset + i;
      uint8_t expected = at < job_.Image.size() ? job_.Image[at] : 0xFF;
      if (expected == chip[i]) continue;
      auto text = Format(format, unsigned(shownBase + at), expected, chip[i]);
      auto answer = prompts_.Message(PromptKind::Error, text, {PromptButton::Yes, PromptButton::Abort});
      if (answer != PromptButton::Yes) break;
    }
    return false;
  }
  return true;
}

void StepMachine::OnVerify(int ch, uint8_t status, std::span<const uint8_t> packet) {
  if (status != 0) return Fail(ch, status);
  ChannelState& c = app_.Channels[ch];
  std::span<const uint8_t> data =
      packet.size() > kDataOffset ? packet.subspan(kDataOffset) : std::span<const uint8_t>{};
  if (c.SubPhase != 0) return VerifySecondPhase(ch, data);

  if (data.size() < kBlockBytes) return Fail(ch, 0x20);
  const uint32_t offset = job_.MainStart() + uint32_t(c.BlockIndex) * 1024;
  const uint32_t shown = job_.Stm32 ? job_.Chip->FlashBase : 0;
  if (!CompareRows(data, offset, kBlockBytes, "Chip 1: Buffer Address 0x%08x = 0x%02x, Chip = 0x%02x",
                   shown))
    return Fail(ch, 0x31);
  c.BlockIndex += 4;
  c.Gauge.Progress = c.BlockIndex + 1;
  if (c.BlockIndex < c.BlockCount) return send_.SendCommand(ch, kCmdReadMain, c.BlockIndex);
  c.BlockIndex = 0;
  const uint8_t code = job_.Chip->FamilyCode;
  if (code == 184) {
    Info(ch, "数据校验成功！");
    if (!c.AutoChain) return EndSuccess(ch);
    Info(ch, "自动编程操作成功！");
    return AutoCompletion(ch);
  }
  if (job_.SecondToWrite()) {
    const bool quiet = code == 0x40 || code == 0x60;
    if (!quiet) Info(ch, "Flash数据校验成功！");
    c.SubPhase = 1;
    c.Gauge.Max = std::max(1, job_.SecondSize() / 1024);
    c.Gauge.Progress = 3;
    if (!quiet) Info(ch, "开始EEP数据校验......");
    return send_.SendCommand(ch, kCmdReadSecond, c.BlockIndex);
  }
  Info(ch, "Flash数据校验成功！");
  VerifyChainEnd(ch);
}

void StepMachine::VerifySecondPhase(int ch, std::span<const uint8_t> data) {
  ChannelState& c = app_.Channels[ch];
  const uint16_t size = job_.SecondSize();
  if (job_.SecondIsOtp()) {
    std::span<const uint8_t> otp = job_.DataImage.first(std::min<size_t>(size, job_.DataImage.size()));
    if (data.size() < otp.size()) return Fail(ch, 0x20);
    for (size_t i = 0; i < otp.size(); i += 16) {
      size_t end = std::min(i + 16, otp.size());
      if (!std::equal(otp.begin() + i, otp.begin() + end, data.begin() + i)) {
        for (size_t k = i; k < end; ++k) {
          if (otp[k] == data[k]) continue;
          auto text = Format("Chip 1: OTP Buffer Address 0x%08x = 0x%02x, Chip = 0x%02x", unsigned(k),
                             otp[k], data[k]);
          if (prompts_.Message(PromptKind::Error, text, {PromptButton::Yes, PromptButton::Abort}) !=
              PromptButton::Yes)
            break;
        }
        return Fail(ch, 0x31);
      }
    }
    Info(ch, "Flash数据校验成功！");
    return VerifyChainEnd(ch);
  }
  const uint32_t done = uint32_t(c.BlockIndex) * 1024;
  const size_t length = std::min<size_t>(kBlockBytes, size > done ? size - done : 0);
  if (data.size() < length) return Fail(ch, 0x20);
  if (!CompareRows(data, job_.SecondStart() + done, length,
                   "Chip 1:Buffer Address 0x%08x = 0x%02x, Chip = 0x%02x", 0))
    return Fail(ch, 0x31);
  c.BlockIndex += 4;
  c.Gauge.Progress = std::min<int>(c.BlockIndex + 3, c.Gauge.Max);
  if (c.BlockIndex < size / 1024) return send_.SendCommand(ch, kCmdReadSecond, c.BlockIndex);
  Info(ch, "EEP数据校验成功！");
  VerifyChainEnd(ch);
}

void StepMachine::VerifyChainEnd(int ch) {
  ChannelState& c = app_.Channels[ch];
  if (!c.AutoChain) return EndSuccess(ch);
  if (job_.SkipOptionBytes()) return AutoCompletion(ch);
  Info(ch, "写Option Byte......");
  c.Step = kStepWriteOptions;
  StartChannelStep(c, 500, 0);
  send_.SendOptionBytes(ch);
}

// ---- option bytes, read, checksum, ID, OTP ----------------------------------

void StepMachine::OnWriteOptions(int ch, uint8_t status) {
  if (!Ok(status)) return Fail(ch, status);
  Info(ch, "写Option Byte操作成功！");
  if (!app_.Channels[ch].AutoChain) return EndSuccess(ch);
  Info(ch, "Programming Success!");
  AutoCompletion(ch);
}

void StepMachine::OnRead(int ch, uint8_t status, std::span<const uint8_t> packet) {
  if (status != 0) return Fail(ch, status);
  ChannelState& c = app_.Channels[ch];
  std::span<const uint8_t> data =
      packet.size() > kDataOffset ? packet.subspan(kDataOffset) : std::span<const uint8_t>{};
  auto store = [&](std::span<uint8_t> dst, size_t offset, size_t length) {
    if (offset >= dst.size()) return;
    length = std::min({length, data.size(), dst.size() - offset});
    std::copy_n(data.begin(), length, dst.begin() + offset);
  };
  if (c.SubPhase == 0) {
    const uint32_t base = job_.Stm32 ? 0 : 0x8000;
    store(job_.Image, base + uint32_t(c.BlockIndex) * 1024, kBlockBytes);
    c.BlockIndex += 4;
    c.Gauge.Progress = std::min<int>(c.BlockIndex, c.Gauge.Max);
    if (c.BlockIndex < c.BlockCount) return send_.SendCommand(ch, kCmdReadMain, c.BlockIndex);
    Info(ch, "Main Flash读取成功！");
    if (hooks_.MainFlashRead) hooks_.MainFlashRead();
    if (job_.SecondSize() == 0) return EndSuccess(ch);
    c.SubPhase = 1;
    c.BlockIndex = 0;
    return send_.SendCommand(ch, kCmdReadSecond, c.BlockIndex);
  }
  const uint16_t size = job_.SecondSize();
  const uint32_t done = uint32_t(c.BlockIndex) * 1024;
  const size_t length = std::min<size_t>(kBlockBytes, size > done ? size - done : 0);
  if (job_.SecondIsOtp()) store(job_.DataImage, done, length);
  else store(job_.Image, job_.SecondStart() + done, length);
  c.BlockIndex += 4;
  if (uint32_t(c.BlockIndex) * 1024 < size) return send_.SendCommand(ch, kCmdReadSecond, c.BlockIndex);
  if (job_.SecondIsOtp()) {
    Info(ch, "读取OTP数据成功！");
    if (hooks_.OtpChecksum) {
      char buf[64];
      auto otp = job_.DataImage.first(std::min<size_t>(size, job_.DataImage.size()));
      std::snprintf(buf, sizeof buf, "OTP Data CheckSum  = 0x%04x", unsigned(hooks_.OtpChecksum(otp)));
      Info(ch, buf);
    }
  } else {
    Info(ch, "读取EEP数据成功！");
  }
  EndSuccess(ch);
  if (hooks_.DataMemoryRead) hooks_.DataMemoryRead();
}

void StepMachine::OnChecksum(int ch, uint8_t status, std::span<const uint8_t> packet) {
  if (status != 0) return Fail(ch, status);
  if (packet.size() < 12) return Fail(ch, 0x20);
  char buf[96];
  std::snprintf(buf, sizeof buf, "读取芯片校验和 : 0x%04x,0x%04x", unsigned(packet[8] | packet[9] << 8),
                unsigned(packet[10] | packet[11] << 8));
  Info(ch, buf);
  EndSuccess(ch);
}

void StepMachine::OnReadOptions(int ch, uint8_t status, std::span<const uint8_t> packet) {
  if (!Ok(status)) return Fail(ch, status);
  EndSuccess(ch);
  const size_t count = job_.Chip->FamilyCode >= 224 ? 15 : 128;
  if (packet.size() < kDataOffset + count) return;
  if (hooks_.OptionBytesRead) hooks_.OptionBytesRead(ch, packet.subspan(kDataOffset, count));
}

void StepMachine::OnUniqueId(int ch, uint8_t status, std::span<const uint8_t> packet) {
  if (status != 0) return Fail(ch, status);
  if (packet.size() < kDataOffset + 12) return Fail(ch, 0x20);
  std::string id;
  for (size_t i = 0; i < 12; ++i) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02x ", packet[kDataOffset + i]);
    id += buf;
  }
  Info(ch, "UID=" + id);
  EndSuccess(ch);
}

void StepMachine::OnWriteOtp(int ch, uint8_t status) {
  if (!Ok(status)) return Fail(ch, status);
  Info(ch, "写OTP数据操作成功！");
  EndSuccess(ch);
}

}  // namespace korvel
