#pragma once
#include "app/ChannelState.h"
#include "app/InfoLog.h"
#include "app/JobSettings.h"
#include "app/MainControls.h"

namespace korvel {

// The process-wide record of the application shell: the channel table, the
// job settings and flags, the controls model and the information log. Only
// the UI thread touches it.
struct AppState {
  explicit AppState(const Clock& clock) : Log(clock) {}

  InfoLog Log;
  MainControls Controls;
  ChannelTable Channels;
  JobSettings Settings;
  JobFlags Flags;
};

}  // namespace korvel
