#pragma once
#include <cstdint>

namespace korvel {

// The requests a reply handler can send on a channel. The engine's packet
// builders implement it over the channel's link; tests record the calls.
// Each builder reads the channel's state (BlockIndex, SubPhase) as the
// handler left it.
struct ChannelRequests {
  virtual ~ChannelRequests() = default;
  // 0x93 / 0x9B / 0x9D with a sub-code or block index.
  virtual void SendCommand(int channel, uint8_t command, uint16_t subCode) = 0;
  virtual void SendOptionBytes(int channel) = 0;
  virtual void SendNextDownload(int channel) = 0;
  virtual void SendNextProgram(int channel) = 0;
  virtual void SendSecondImage(int channel, uint8_t subCode) = 0;
  virtual void SendRestart(int channel) = 0;
};

inline constexpr uint8_t kCmdChipOp = 0x93;
inline constexpr uint8_t kCmdReadMain = 0x9B;
inline constexpr uint8_t kCmdReadSecond = 0x9D;
inline constexpr uint16_t kSubErase = 3;
inline constexpr uint16_t kSubBlankCheck = 5;
inline constexpr uint16_t kSubChecksum = 0x30;
inline constexpr uint16_t kSubReadOptions = 0x33;
inline constexpr uint16_t kSubUniqueId = 0x3C;
inline constexpr uint8_t kSubOtp = 15;

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
