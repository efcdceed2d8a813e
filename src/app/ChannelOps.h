#pragma once
#include <string>

#include "app/ChannelState.h"
#include "app/InfoLog.h"

namespace korvel {

// Hears of every operation of a channel: the first StartChannelStep of an
// operation (a chain's later steps are the same operation) and the
// FinishChannel that ends it, with the outcome already recorded.
struct ChannelObserver {
  virtual ~ChannelObserver() = default;
  virtual void OperationStarted(ChannelState& ch) = 0;
  virtual void OperationEnded(ChannelState& ch) = 0;
};

// Arms a channel for a step: busy, watchdog and gauge. ticks 0 means a
// block transfer measured by blocks, watched with the default 500 ticks.
void StartChannelStep(ChannelState& ch, int ticks, int blocks);

// Ends the channel's operation and records how it ended; the gauge goes to
// its end, red on anything but success.
void FinishChannel(ChannelState& ch, ChannelOutcome outcome);
// The same without a code or text to record.
void FinishChannel(ChannelState& ch, bool failed);

// The channel form of log line: "> time Channel k: text".
inline void ChannelInfo(InfoLog& log, int channel, const std::string& text) {
  log.ChannelLine(channel, text);
}

}  // namespace korvel
