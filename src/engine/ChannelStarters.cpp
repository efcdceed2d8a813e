// The channel starters: each gives the channel its job, arms it for its
// operation and sends the first request; the replies drive everything
// after that.
#include "app/ChannelOps.h"
#include "engine/RequestPackets.h"
#include "engine/StepMachine.h"

namespace korvel {

void StepMachine::TakeJob(int ch) {
  ChannelJob& j = jobs_[ch];
  j.Shared = shared_ ? shared_ : JobSnapshot::Take(live_);
  j.View = j.Shared->View();
  for (ImagePatch& patch : own_) j.View.Own.push_back(std::move(patch));
  own_.clear();
  // Its own bytes make its image another: so are the check values it sends.
  j.View.Checks = ChecksOfOwnImage(j.View);
}

const JobView& StepMachine::Job(int ch) const { return jobs_[ch].Shared ? jobs_[ch].View : live_; }

void StepMachine::StartDownload(int ch) {
  TakeJob(ch);
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepDownload;
  Info(ch, "开始下载数据......");
  StartChannelStep(c, 0, FlashBlocks(ch));
  send_.SendBlock(ch, Job(ch), NextDownloadRequest(Transfer(ch), c));
}

void StepMachine::StartAuto(int ch) {
  TakeJob(ch);
  ChannelState& c = app_.Channels[ch];
  c.AutoChain = true;
  if (Job(ch).Stm32) {
    c.Step = kStepBlankCheck;
    Info(ch, "芯片查空......");
    StartChannelStep(c, 500, FlashBlocks(ch));
    send_.SendCommand(ch, Job(ch), kCmdChipOperation, kSubBlankCheck);
  } else {
    c.Step = kStepProgram;
    Info(ch, "开始编程......");
    StartChannelStep(c, 0, FlashBlocks(ch));
    send_.SendBlock(ch, Job(ch), NextProgramRequest(Transfer(ch), c));
  }
}

void StepMachine::StartErase(int ch) {
  TakeJob(ch);
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepErase;
  c.AutoChain = false;
  Info(ch, "执行芯片擦除......");
  StartChannelStep(c, 2000, FlashBlocks(ch));
  send_.SendCommand(ch, Job(ch), kCmdChipOperation, kSubErase);
}

void StepMachine::StartBlankCheck(int ch) {
  TakeJob(ch);
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepBlankCheck;
  c.AutoChain = false;
  Info(ch, "芯片查空......");
  StartChannelStep(c, 500, FlashBlocks(ch));
  send_.SendCommand(ch, Job(ch), kCmdChipOperation, kSubBlankCheck);
}

void StepMachine::StartProgram(int ch) {
  TakeJob(ch);
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepProgram;
  c.AutoChain = false;
  Info(ch, "开始编程......");
  StartChannelStep(c, 0, FlashBlocks(ch));
  send_.SendBlock(ch, Job(ch), NextProgramRequest(Transfer(ch), c));
}

void StepMachine::StartVerify(int ch) {
  TakeJob(ch);
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepVerify;
  c.AutoChain = false;
  Info(ch, "开始Flash数据校验......");
  StartChannelStep(c, 0, FlashBlocks(ch));
  send_.SendBlock(ch, Job(ch), NextReadBackRequest(Transfer(ch), c));
}

void StepMachine::StartWriteOptions(int ch) {
  TakeJob(ch);
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepWriteOptions;
  c.AutoChain = false;
  Info(ch, "写Option Byte......");
  StartChannelStep(c, 500, 0);
  send_.SendOptionBytes(ch, Job(ch));
}

// Channel 1 inspection starters: their start text is a host line written by
// the dispatch.

void StepMachine::StartReadOptions(int ch) {
  TakeJob(ch);
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepReadOptions;
  c.AutoChain = false;
  StartChannelStep(c, 500, 0);
  send_.SendCommand(ch, Job(ch), kCmdChipOperation, kSubReadOptionBytes);
}

void StepMachine::StartWriteOtp(int ch) {
  TakeJob(ch);
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepWriteOtp;
  c.AutoChain = false;
  StartChannelStep(c, 500, 0);
  send_.SendSecondImage(ch, Job(ch), kSubOtpArea);
}

void StepMachine::StartVerifyOtp(int ch) {
  TakeJob(ch);
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepVerifyOtp;
  c.AutoChain = false;
  StartChannelStep(c, 500, 0);
  c.SubPhase = 1;
  send_.SendCommand(ch, Job(ch), kCmdReadSecond, kSubOtpArea);
}

void StepMachine::StartReadMemory(int ch) {
  TakeJob(ch);
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepRead;
  c.AutoChain = false;
  Info(ch, "读取芯片Main Flash......");
  StartChannelStep(c, 0, FlashBlocks(ch));
  send_.SendBlock(ch, Job(ch), NextReadBackRequest(Transfer(ch), c));
}

void StepMachine::StartReadSecond(int ch) {
  TakeJob(ch);
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepRead;
  c.AutoChain = false;
  StartChannelStep(c, 500, SecondBlocksDown(Transfer(ch)));
  c.SubPhase = 1;
  c.Gauge.Progress = 1;
  send_.SendBlock(ch, Job(ch), NextReadBackRequest(Transfer(ch), c));
}

void StepMachine::StartWriteSecond(int ch) {
  TakeJob(ch);
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepProgram;
  c.AutoChain = false;
  StartChannelStep(c, 500, SecondBlocksDown(Transfer(ch)));
  c.SubPhase = 1;
  // Whole kilobytes are not enough for a smaller EEPROM: send at least one.
  c.BlockCount = SecondBlocksUp(Transfer(ch));
  c.Gauge.Progress = 1;
  send_.SendBlock(ch, Job(ch), NextProgramRequest(Transfer(ch), c));
}

void StepMachine::StartReadUniqueId(int ch) {
  TakeJob(ch);
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepUniqueId;
  c.AutoChain = false;
  StartChannelStep(c, 500, 0);
  send_.SendCommand(ch, Job(ch), kCmdChipOperation, kSubUniqueId);
}

void StepMachine::StartReadChecksum(int ch) {
  TakeJob(ch);
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepChecksum;
  c.AutoChain = false;
  StartChannelStep(c, 500, 0);
  send_.SendCommand(ch, Job(ch), kCmdChipOperation, kSubChipChecksum);
}

}  // namespace korvel
