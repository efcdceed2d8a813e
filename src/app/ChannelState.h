#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace korvel {

class Link;
struct ChannelObserver;

// Gauge colours as the programmer's tools write them (0x00BBGGRR).
inline constexpr uint32_t kGaugeBlue = 0xFF0000;
inline constexpr uint32_t kGaugeRed = 0x0000FF;

// The state of one channel's progress bar; the window mirrors it.
struct GaugeState {
  int Max = 100;
  int Progress = 0;
  uint32_t Color = kGaugeBlue;
  bool Visible = true;
  int Top = 0;
};

inline constexpr int kChannelCount = 10;
inline constexpr uint8_t kStepIdle = 240;
inline constexpr uint8_t kStepFirmware = 160;

// How a channel's last operation ended. The unattended run, the counters
// and the window read this record, never the gauge colour.
enum class ChannelResult : uint8_t { None, Running, Success, Failure, Timeout };

// "Success", "Failure" or "Timeout"; an operation never told how it ended
// is no success.
inline const char* ResultWord(ChannelResult r) {
  switch (r) {
    case ChannelResult::Success: return "Success";
    case ChannelResult::Timeout: return "Timeout";
    case ChannelResult::Failure:
    case ChannelResult::None:
    case ChannelResult::Running: break;
  }
  return "Failure";
}

struct ChannelOutcome {
  ChannelResult Result = ChannelResult::None;
  uint8_t Code = 0;   // the status byte of a failure (0 for success)
  std::string Text;   // the message logged for it, when there was one
};

struct ChannelState {
  bool Connected = false;
  bool Busy = false;
  uint8_t Step = 0;
  bool AutoChain = false;
  bool GaugeRunning = false;
  uint16_t TimeoutTicks = 0;
  uint16_t BlockIndex = 0;
  uint16_t BlockCount = 0;
  uint8_t SubPhase = 0;
  uint16_t RxCount = 0;
  uint32_t OkCount = 0;
  uint32_t NgCount = 0;
  // Chips a host-driven Auto finished on this channel; the unit's own
  // reports are the two above.
  uint32_t AutoOkCount = 0;
  uint32_t AutoNgCount = 0;
  bool UpgradePending = false;
  // An operator dialog about this channel's operation is open: its
  // watchdog is paused and what arrives for it waits until it closes.
  bool DialogOpen = false;
  Link* Port = nullptr;
  GaugeState Gauge;
  ChannelOutcome Outcome;
  // The name the unit gave when it last identified itself.
  std::string UnitName;
  // Told when an operation starts and ends (ChannelOps.h); may be null.
  ChannelObserver* Observer = nullptr;
};

using ChannelTable = std::array<ChannelState, kChannelCount>;

}  // namespace korvel
