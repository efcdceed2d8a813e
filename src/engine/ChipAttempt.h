#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "app/ChannelState.h"

namespace korvel {

// Who ran the attempt: the host, step by step, or a unit on its own (with
// automatic chip detection after a download, or started off-line), which
// only reports how the chip ended.
enum class AttemptSource : uint8_t { Host, Unit };

// One operation of one channel, as it ended. The JSON results and the chip
// record are both written from this, so they never disagree.
struct ChipAttempt {
  AttemptSource Source = AttemptSource::Host;
  std::string Time;  // when it ended, local: 2026-12-05T07:14:11
  int Channel = 0;   // 0..9
  std::string Port;
  std::string UsbPath;  // empty for a port without a USB parent
  std::string Unit;     // the unit's name as it identified itself
  std::string Operation;
  // The job the channel ran on (for a unit on its own: the last job this
  // host downloaded to it; empty when there was none).
  std::string Chip;
  std::string ImageFile;
  std::optional<uint16_t> FlashCrc;
  std::optional<uint32_t> Serial;  // the number the chip got, on success
  ChannelResult Result = ChannelResult::Failure;
  uint8_t Code = 0;  // the status of a failure, 0 on success
  std::string Text;
  std::optional<int64_t> DurationMs;  // unknown when the start was not seen
};

// The operation a channel starts, named by its step ("auto", "download",
// "verify", ...).
std::string OperationOfStep(uint8_t step, bool autoChain);

// Whether the operation does something to a chip (a download or a firmware
// upgrade only talks to the unit).
bool TouchesChip(const std::string& operation);

// The operation of chips that a unit programs by itself: "auto-detect"
// after a download, "offline" after an off-line start.
inline constexpr const char* kOperationAutoDetect = "auto-detect";
inline constexpr const char* kOperationOffline = "offline";

}  // namespace korvel
