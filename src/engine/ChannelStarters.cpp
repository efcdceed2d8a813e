// The channel starters: each arms one channel for its operation and sends
// the first request; the replies drive everything after that.
#include "app/ChannelOps.h"
#include "engine/StepMachine.h"

namespace korvel {

void StepMachine::StartDownload(int ch) {
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepDownload;
  Info(ch, "开始下载数据......");
  StartChannelStep(c, 0, job_.Chip->FlashSizeKB);
  send_.SendNextDownload(ch);
}

void StepMachine::StartAuto(int ch) {
  ChannelState& c = app_.Channels[ch];
  c.AutoChain = true;
  if (job_.Stm32) {
    c.Step = kStepBlankCheck;
    Info(ch, "芯片查空......");
    StartChannelStep(c, 500, job_.Chip->FlashSizeKB);
    send_.SendCommand(ch, kCmdChipOp, kSubBlankCheck);
  } else {
    c.Step = kStepProgram;
    Info(ch, "开始编程......");
    StartChannelStep(c, 0, job_.Chip->FlashSizeKB);
    send_.SendNextProgram(ch);
  }
}

void StepMachine::StartErase(int ch) {
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepErase;
  c.AutoChain = false;
  Info(ch, "执行芯片擦除......");
  StartChannelStep(c, 2000, job_.Chip->FlashSizeKB);
  send_.SendCommand(ch, kCmdChipOp, kSubErase);
}

void StepMachine::StartBlankCheck(int ch) {
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepBlankCheck;
  c.AutoChain = false;
  Info(ch, "芯片查空......");
  StartChannelStep(c, 500, job_.Chip->FlashSizeKB);
  send_.SendCommand(ch, kCmdChipOp, kSubBlankCheck);
}

void StepMachine::StartProgram(int ch) {
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepProgram;
  c.AutoChain = false;
  Info(ch, "开始编程......");
  StartChannelStep(c, 0, job_.Chip->FlashSizeKB);
  send_.SendNextProgram(ch);
}

void StepMachine::StartVerify(int ch) {
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepVerify;
  c.AutoChain = false;
  Info(ch, "开始Flash数据校验......");
  StartChannelStep(c, 0, job_.Chip->FlashSizeKB);
  send_.SendCommand(ch, kCmdReadMain, 0);
}

void StepMachine::StartWriteOptions(int ch) {
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepWriteOptions;
  c.AutoChain = false;
  Info(ch, "写Option Byte......");
  StartChannelStep(c, 500, 0);
  send_.SendOptionBytes(ch);
}

// Channel 1 inspection starters: their start text is a host line written by
// the dispatch.

void StepMachine::StartReadOptions(int ch) {
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepReadOptions;
  c.AutoChain = false;
  StartChannelStep(c, 500, 0);
  send_.SendCommand(ch, kCmdChipOp, kSubReadOptions);
}

void StepMachine::StartWriteOtp(int ch) {
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepWriteOtp;
  c.AutoChain = false;
  StartChannelStep(c, 500, 0);
  send_.SendSecondImage(ch, kSubOtp);
}

void StepMachine::StartVerifyOtp(int ch) {
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepVerifyOtp;
  c.AutoChain = false;
  StartChannelStep(c, 500, 0);
  c.SubPhase = 1;
  send_.SendCommand(ch, kCmdReadSecond, kSubOtp);
}

void StepMachine::StartReadMemory(int ch) {
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepRead;
  c.AutoChain = false;
  Info(ch, "读取芯片Main Flash......");
  StartChannelStep(c, 0, job_.Chip->FlashSizeKB);
  send_.SendCommand(ch, kCmdReadMain, 0);
}

void StepMachine::StartReadSecond(int ch) {
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepRead;
  c.AutoChain = false;
  StartChannelStep(c, 500, job_.SecondSize() / 1024);
  c.SubPhase = 1;
  c.Gauge.Progress = 1;
  send_.SendCommand(ch, kCmdReadSecond, c.BlockIndex);
}

void StepMachine::StartWriteSecond(int ch) {
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepProgram;
  c.AutoChain = false;
  StartChannelStep(c, 500, job_.SecondSize() / 1024);
  c.SubPhase = 1;
  // Whole kilobytes are not enough for a smaller EEPROM: send at least one.
  c.BlockCount = static_cast<uint16_t>((job_.SecondSize() + 1023) / 1024);
  c.Gauge.Progress = 1;
  send_.SendNextProgram(ch);
}

void StepMachine::StartReadUniqueId(int ch) {
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepUniqueId;
  c.AutoChain = false;
  StartChannelStep(c, 500, 0);
  send_.SendCommand(ch, kCmdChipOp, kSubUniqueId);
}

void StepMachine::StartReadChecksum(int ch) {
  ChannelState& c = app_.Channels[ch];
  c.Step = kStepChecksum;
  c.AutoChain = false;
  StartChannelStep(c, 500, 0);
  send_.SendCommand(ch, kCmdChipOp, kSubChecksum);
}

}  // namespace korvel
