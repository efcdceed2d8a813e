#include "app/ChannelOps.h"

#include <utility>

namespace korvel {

void StartChannelStep(ChannelState& ch, int ticks, int blocks) {
  const bool fresh = !ch.Busy || ch.Outcome.Result != ChannelResult::Running;
  ch.Busy = true;
  ch.SubPhase = 0;
  ch.BlockIndex = 0;
  ch.BlockCount = static_cast<uint16_t>(blocks);
  if (ticks != 0) {
    ch.TimeoutTicks = static_cast<uint16_t>(ticks);
    ch.GaugeRunning = true;
    ch.Gauge.Max = ticks;
  } else {
    ch.TimeoutTicks = 500;
    ch.GaugeRunning = false;
    ch.Gauge.Max = blocks;
  }
  ch.Gauge.Progress = 2;
  ch.Gauge.Color = kGaugeBlue;
  ch.Outcome = {ChannelResult::Running, 0, {}};
  if (fresh && ch.Observer) ch.Observer->OperationStarted(ch);
}

void FinishChannel(ChannelState& ch, ChannelOutcome outcome) {
  const bool failed = outcome.Result != ChannelResult::Success;
  // One chip per Auto, counted once. A download (step 0) or a firmware
  // upgrade after an Auto still has AutoChain set but handles no chip.
  if (ch.AutoChain && ch.Outcome.Result == ChannelResult::Running && ch.Step != 0 &&
      ch.Step != kStepFirmware)
    ++(failed ? ch.AutoNgCount : ch.AutoOkCount);
  ch.Busy = false;
  ch.Step = kStepIdle;
  ch.TimeoutTicks = 0;
  ch.Gauge.Color = failed ? kGaugeRed : kGaugeBlue;
  ch.Gauge.Progress = ch.Gauge.Max;
  ch.Outcome = std::move(outcome);
  if (ch.Observer) ch.Observer->OperationEnded(ch);
}

void FinishChannel(ChannelState& ch, bool failed) {
  FinishChannel(ch, ChannelOutcome{failed ? ChannelResult::Failure : ChannelResult::Success, 0, {}});
}

}  // namespace korvel
