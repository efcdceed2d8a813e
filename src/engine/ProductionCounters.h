#pragma once
#include <functional>

#include "app/AppState.h"

namespace korvel {

// Saves the whole information log to a new file; the logging layer's
// periodic save is bound here.
using SaveLogNow = std::function<void()>;

// Totals lines between two automatic saves of the log.
inline constexpr uint32_t kTotalsLinesPerSave = 2000;

// A chip the programmer finished on its own: the channel's and the total
// count, the channel's "OK=%d, NG=%d." line and the totals line.
void CountProgrammerResult(AppState& app, int channel, bool success, const SaveLogNow& save);

// The totals line; every 2000th since the last save saves the log.
void AppendTotalsLine(AppState& app, const SaveLogNow& save);

// A chip finished by a host-driven Auto run: the on-line counter and its
// status panel.
void CountOnlineChip(AppState& app);

// The operator ticked or unticked "限制烧写总数": the limit spin follows and
// the flag changes at once (the count itself is taken at the next capture).
void OnCheckBoxCtrlClick(MainControls& controls, JobSettings& settings);

// The operator ticked or unticked "自动芯片检测": the settle spins follow.
void OnChkBoxAutoClick(MainControls& controls);

}  // namespace korvel
