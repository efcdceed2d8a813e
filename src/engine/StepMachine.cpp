#include "engine/StepMachine.h"

#include <algorithm>
#include <cstdio>

#include "app/ChannelOps.h"
#include "engine/ChannelErrors.h"
#include "engine/ProductionCounters.h"
#include "engine/RequestPackets.h"
#include "engine/VerifyCompare.h"
#include "protocol/FrameCodec.h"

namespace korvel {

namespace {

// What a block of a flash or EEPROM read-back carries.
constexpr size_t kReadBackBlock = 4096;
constexpr size_t kChecksumWords = 4;
constexpr size_t kUniqueIdSize = 12;
constexpr const char* kNotBlankText = "芯片不为空！";
constexpr const char* kProgrammingSuccess = "Programming Success!";


}  // namespace

StepMachine::StepMachine(AppState& app, const JobView& live, WritableImages images,
                         ChannelRequests& requests, OperatorPrompts& prompts, StepHooks hooks)
    : app_(app),
      live_(live),
      images_(images),
      send_(requests),
      prompts_(prompts),
      hooks_(std::move(hooks)) {}

void StepMachine::Info(int ch, const std::string& text) { ChannelInfo(app_.Log, ch, text); }

void StepMachine::Info(int ch, const std::vector<std::string>& texts) {
  for (const auto& t : texts) Info(ch, t);
}

void StepMachine::Fail(int ch, uint8_t status) { ReportChannelError(app_, prompts_, ch, status); }

// A single operation that succeeded ends through the status report, which
// writes "操作成功！" with a beep.
void StepMachine::EndSuccess(int ch) { ReportChannelError(app_, prompts_, ch, 0); }

void StepMachine::AutoCompletion(int ch, std::string successLine) {
  if (auto serial = hooks_.AdvanceSerial ? hooks_.AdvanceSerial(ch) : std::nullopt) {
    char note[24];
    std::snprintf(note, sizeof note, "SN 0x%08x", unsigned(*serial));
    successLine += successLine.empty() ? note : std::string(" ") + note;
  }
  if (!successLine.empty()) Info(ch, successLine);
  CountOnlineChip(app_);
  FinishChannel(app_.Channels[ch], {ChannelResult::Success, 0, successLine});
  app_.Controls.Changed();
}

// ---- dispatch ---------------------------------------------------------------

void StepMachine::OnReply(int ch, uint8_t status, std::span<const uint8_t> packet) {
  const std::span<const uint8_t> data = ReplyData(packet);
  switch (app_.Channels[ch].Step) {
    case kStepDownload: return OnDownload(ch, status);
    case kStepErase: return OnErase(ch, status);
    case kStepBlankCheck: return OnBlankCheck(ch, status);
    case kStepProgram: return OnProgram(ch, status);
    case kStepVerify: return OnVerify(ch, status, data);
    case kStepRead: return OnRead(ch, status, data);
    case kStepChecksum: return OnChecksum(ch, status, data);
    case kStepWriteOptions: return OnWriteOptions(ch, status);
    case kStepReadOptions: return OnReadOptions(ch, status, data);
    case kStepUniqueId: return OnUniqueId(ch, status, data);
    case kStepWriteOtp: return OnWriteOtp(ch, status);
    case kStepVerifyOtp: return OnVerifyOtp(ch, status, data);
    default:
      // A reply nobody waits for.
      app_.Channels[ch].Busy = false;
      return;
  }
}

// ---- download ---------------------------------------------------------------

void StepMachine::OnDownload(int ch, uint8_t status) {
  if (!Ok(status)) return Fail(ch, status);
  ChannelState& c = app_.Channels[ch];
  const TransferJob t = Transfer(ch);
  TransferStep r = AdvanceDownload(t, c);
  if (!r.Done) {
    Info(ch, r.Messages);
    return send_.SendBlock(ch, Job(ch), NextDownloadRequest(t, c));
  }
  Info(ch, r.Messages);
  FinishChannel(c, {ChannelResult::Success, 0, r.Messages.empty() ? std::string() : r.Messages.back()});
  ++app_.Flags.DownloadsDone;
  send_.SendRestart(ch);
}

// ---- erase and blank check --------------------------------------------------

void StepMachine::ProgramNext(int ch) {
  ChannelState& c = app_.Channels[ch];
  if (!c.AutoChain) return EndSuccess(ch);
  Info(ch, "开始芯片编程...");
  c.Step = kStepProgram;
  StartChannelStep(c, 0, FlashBlocks(ch));
  send_.SendBlock(ch, Job(ch), NextProgramRequest(Transfer(ch), c));
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
    Info(ch, kNotBlankText);
    // A blank check of its own only reports: red, without an error line.
    if (!c.AutoChain) return FinishChannel(c, {ChannelResult::Failure, status, kNotBlankText});
    Info(ch, "芯片擦除......");
    c.Step = kStepErase;
    StartChannelStep(c, 3000, FlashBlocks(ch));
    return send_.SendCommand(ch, Job(ch), kCmdChipOperation, kSubErase);
  }
  if ((status == 19 || status == 16 || status == 90) && c.AutoChain) {
    Info(ch, "芯片已保护，擦除芯片...");
    c.Step = kStepErase;
    StartChannelStep(c, 500, FlashBlocks(ch));
    return send_.SendCommand(ch, Job(ch), kCmdChipOperation, kSubErase);
  }
  Fail(ch, status);
}

// ---- program ----------------------------------------------------------------

void StepMachine::OnProgram(int ch, uint8_t status) {
  if (!Ok(status)) return Fail(ch, status);
  ChannelState& c = app_.Channels[ch];
  const TransferJob t = Transfer(ch);
  TransferStep r = AdvanceProgram(t, c);
  Info(ch, r.Messages);
  if (!r.Done) return send_.SendBlock(ch, Job(ch), NextProgramRequest(t, c));
  if (!c.AutoChain) return EndSuccess(ch);
  StartVerification(ch);
}

void StepMachine::StartVerification(int ch) {
  ChannelState& c = app_.Channels[ch];
  Info(ch, "开始Flash数据校验......");
  c.Step = kStepVerify;
  StartChannelStep(c, 0, FlashBlocks(ch));
  send_.SendBlock(ch, Job(ch), NextReadBackRequest(Transfer(ch), c));
}

// ---- verify -----------------------------------------------------------------

size_t StepMachine::ReadBackSize(const ReadBackWindow& w) {
  // An OTP area comes back whole; everything else in 4 KB blocks, even
  // where less than that is compared or kept.
  return w.InSecondImage ? w.Length : kReadBackBlock;
}

bool StepMachine::Matches(int ch, const ReadBackWindow& w, bool secondPhase,
                          std::span<const uint8_t> read) {
  std::vector<uint8_t> expected(w.Length);
  if (w.InSecondImage)
    ImageBytes(Job(ch).SecondImage, w.Offset, expected.data(), expected.size());
  else
    MainBytes(Job(ch), w.Offset, expected.data(), expected.size());
  RowDifferences diff = FirstDifferingRow(expected, read.first(std::min<size_t>(read.size(), w.Length)));
  if (!diff.Differs) return true;
  const VerifyArea area = w.InSecondImage ? VerifyArea::OtpArea
                          : secondPhase   ? VerifyArea::DataEeprom
                                          : VerifyArea::MainFlash;
  // One dialog per differing byte of the first differing row; Abort stops
  // the dialogs. Either way the verification fails. While the operator
  // reads them the channel's watchdog waits and its link's bytes are kept
  // for later, so the channel ends once, here, after the dialogs.
  ChannelState& c = app_.Channels[ch];
  c.DialogOpen = true;
  for (const ByteDifference& d : diff.Bytes) {
    auto text = VerifyMismatchText(ch, area, w.DisplayBase + d.Index, d.Expected, d.Read);
    if (prompts_.Message(PromptKind::Error, text, {PromptButton::Yes, PromptButton::Abort}) !=
        PromptButton::Yes)
      break;
  }
  c.DialogOpen = false;
  return false;
}

void StepMachine::OnVerify(int ch, uint8_t status, std::span<const uint8_t> data) {
  if (status != 0) return Fail(ch, status);
  ChannelState& c = app_.Channels[ch];
  const TransferJob t = Transfer(ch);
  const ReadBackWindow w = CurrentReadBackWindow(t, c);
  if (data.size() != ReadBackSize(w)) return Fail(ch, kStatusFraming);
  if (!Matches(ch, w, c.SubPhase != kPhaseFirst, data)) return Fail(ch, kStatusVerifyMismatch);
  TransferStep r = AdvanceVerify(t, c);
  // The chain's own success line is written by the completion.
  const bool chainEnds = r.Done && t.FamilyCode == 0xB8 && c.AutoChain;
  if (chainEnds && !r.Messages.empty()) r.Messages.pop_back();
  Info(ch, r.Messages);
  if (!r.Done) return send_.SendBlock(ch, Job(ch), NextReadBackRequest(t, c));
  if (t.FamilyCode == 0xB8) {
    if (!c.AutoChain) return EndSuccess(ch);
    return AutoCompletion(ch, "自动编程操作成功！");
  }
  VerifyChainEnd(ch);
}

void StepMachine::OnVerifyOtp(int ch, uint8_t status, std::span<const uint8_t> data) {
  if (status != 0) return Fail(ch, status);
  ChannelState& c = app_.Channels[ch];
  const TransferJob t = Transfer(ch);
  const ReadBackWindow w = CurrentReadBackWindow(t, c);
  if (data.size() != ReadBackSize(w)) return Fail(ch, kStatusFraming);
  if (!Matches(ch, w, c.SubPhase != kPhaseFirst, data)) return Fail(ch, kStatusVerifyMismatch);
  Info(ch, AdvanceVerify(t, c).Messages);
  VerifyChainEnd(ch);
}

void StepMachine::VerifyChainEnd(int ch) {
  ChannelState& c = app_.Channels[ch];
  if (!c.AutoChain) return EndSuccess(ch);
  if (Job(ch).Settings.OptionFlags & kOptionSkipOptionBytes) return AutoCompletion(ch, "");
  Info(ch, "写Option Byte......");
  c.Step = kStepWriteOptions;
  StartChannelStep(c, 500, 0);
  send_.SendOptionBytes(ch, Job(ch));
}

// ---- option bytes, read, checksum, ID, OTP ----------------------------------

void StepMachine::OnWriteOptions(int ch, uint8_t status) {
  if (!Ok(status)) return Fail(ch, status);
  Info(ch, "写Option Byte操作成功！");
  if (!app_.Channels[ch].AutoChain) return EndSuccess(ch);
  AutoCompletion(ch, kProgrammingSuccess);
}

void StepMachine::OnRead(int ch, uint8_t status, std::span<const uint8_t> data) {
  if (status != 0) return Fail(ch, status);
  ChannelState& c = app_.Channels[ch];
  const TransferJob t = Transfer(ch);
  const ReadBackWindow w = CurrentReadBackWindow(t, c);
  if (data.size() != ReadBackSize(w)) return Fail(ch, kStatusFraming);
  std::span<uint8_t> dst = w.InSecondImage ? images_.Second : images_.Main;
  if (w.Offset < dst.size()) {
    size_t n = std::min({size_t{w.Length}, data.size(), dst.size() - w.Offset});
    std::copy_n(data.begin(), n, dst.begin() + w.Offset);
  }
  const uint8_t phase = c.SubPhase;
  TransferStep r = AdvanceRead(t, c);
  Info(ch, r.Messages);
  const bool mainComplete = phase == kPhaseFirst && (r.Done || c.SubPhase != kPhaseFirst);
  if (mainComplete && hooks_.MainFlashRead) hooks_.MainFlashRead();
  if (!r.Done) return send_.SendBlock(ch, Job(ch), NextReadBackRequest(t, c));
  if (phase != kPhaseFirst && t.SecondIsOtp && hooks_.OtpChecksum) {
    char buf[64];
    auto otp = images_.Second.first(std::min<size_t>(t.SecondSize, images_.Second.size()));
    std::snprintf(buf, sizeof buf, "OTP Data CheckSum  = 0x%04x", unsigned(hooks_.OtpChecksum(otp)));
    Info(ch, buf);
  }
  EndSuccess(ch);
  if (phase != kPhaseFirst && hooks_.DataMemoryRead) hooks_.DataMemoryRead();
}

void StepMachine::OnChecksum(int ch, uint8_t status, std::span<const uint8_t> data) {
  if (status != 0) return Fail(ch, status);
  if (data.size() < kChecksumWords) return Fail(ch, kStatusFraming);
  char buf[96];
  std::snprintf(buf, sizeof buf, "读取芯片校验和 : 0x%04x,0x%04x", unsigned(data[0] | data[1] << 8),
                unsigned(data[2] | data[3] << 8));
  Info(ch, buf);
  EndSuccess(ch);
}

void StepMachine::OnReadOptions(int ch, uint8_t status, std::span<const uint8_t> data) {
  if (!Ok(status)) return Fail(ch, status);
  const size_t count = Job(ch).Chip.FamilyCode >= 224 ? 15 : 128;
  if (data.size() != count) return Fail(ch, kStatusFraming);
  EndSuccess(ch);
  if (hooks_.OptionBytesRead) hooks_.OptionBytesRead(ch, data);
}

void StepMachine::OnUniqueId(int ch, uint8_t status, std::span<const uint8_t> data) {
  if (status != 0) return Fail(ch, status);
  if (data.size() != kUniqueIdSize) return Fail(ch, kStatusFraming);
  std::string id;
  for (uint8_t b : data) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02x ", b);
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
