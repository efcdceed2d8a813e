#pragma once
#include <cstdint>

#include "engine/JobView.h"
#include "engine/TransferSequence.h"

namespace korvel {

// The requests a reply handler sends on a channel, each built from the job
// that channel runs on. HostRequests builds the packets and queues them on
// the channel's link; tests record the calls.
struct ChannelRequests {
  virtual ~ChannelRequests() = default;
  // A block of a download, a program, a verify or a read.
  virtual void SendBlock(int channel, const JobView& job, const BlockRequest& request) = 0;
  // 0x93 with a sub-code, or 0x9B / 0x9D with a sub-code or block index.
  virtual void SendCommand(int channel, const JobView& job, uint8_t command, uint16_t subCode) = 0;
  virtual void SendOptionBytes(int channel, const JobView& job) = 0;
  virtual void SendSecondImage(int channel, const JobView& job, uint8_t subCode) = 0;
  virtual void SendRestart(int channel) = 0;
};

// Step codes: the reply of a channel goes to the handler of its Step.
enum StepCode : uint8_t {
  kStepDownload = 0,
  kStepErase = 3,
  kStepBlankCheck = 5,
  kStepProgram = 7,
  kStepVerify = 9,
  kStepRead = 13,
  kStepChecksum = 16,
  kStepWriteOptions = 19,
  kStepReadOptions = 21,
  kStepUniqueId = 22,
  kStepWriteOtp = 25,
  kStepVerifyOtp = 26,
};

}  // namespace korvel
