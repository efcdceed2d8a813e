#pragma once
#include <functional>
#include <vector>

#include "app/AppState.h"
#include "protocol/ChannelHost.h"

namespace korvel {

// "Start Off-Line Program": every listed port, up to the channel count, is
// opened afresh on its own channel and its unit is told to restart, after
// which it runs the downloaded job by itself on every chip it detects. The
// channels are left not connected: what the units report then goes to the
// progress display, and a search is needed before host-driven work.
struct OfflineStart {
  AppState& App;
  ChannelHost& Channels;
  // The capture of the job settings that every operation begins with;
  // false when it refused (it told the operator why).
  std::function<bool()> Capture;
  // Time a freshly opened port gets before the request; tests set 0.
  int SettleMs = 30;

  // Returns the channels the restart request went to, in order.
  std::vector<int> Run();
};

inline constexpr const char* kOfflineStartText = "Start Off-Line Programming......";

}  // namespace korvel
