#pragma once
#include "app/ChannelState.h"
#include "app/JobSettings.h"

namespace korvel {

// The start-up reset of the job: flags, settings bytes and the on-line
// counter to 0, ten channels, every channel idle and not connected. The
// links and gauges stay bound to their channels.
void ResetJobState(JobFlags& flags, JobSettings& settings, ChannelTable& channels);

}  // namespace korvel
