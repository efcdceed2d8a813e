#include "engine/ProductionCounters.h"

#include <cstdio>

#include "app/ChannelOps.h"

namespace korvel {

void CountProgrammerResult(AppState& app, int channel, bool success, const SaveLogNow& save) {
  ChannelState& ch = app.Channels[channel];
  if (success) {
    ++ch.OkCount;
    ++app.Flags.TotalOk;
  } else {
    ++ch.NgCount;
    ++app.Flags.TotalNg;
  }
  char buf[64];
  std::snprintf(buf, sizeof buf, "OK=%u, NG=%u.", ch.OkCount, ch.NgCount);
  ChannelInfo(app.Log, channel, buf);
  AppendTotalsLine(app, save);
}

void AppendTotalsLine(AppState& app, const SaveLogNow& save) {
  ++app.Flags.MemoLinesSinceSave;
  char buf[96];
  std::snprintf(buf, sizeof buf, ">---------- Total OK Number is : %u, NG is %u ----------",
                app.Flags.TotalOk, app.Flags.TotalNg);
  app.Log.Append(buf);
  if (app.Flags.MemoLinesSinceSave >= kTotalsLinesPerSave) {
    app.Flags.MemoLinesSinceSave = 0;
    if (save) save();
  }
}

void CountOnlineChip(AppState& app) {
  ++app.Flags.OnlineCounter;
  app.Controls.StatusPanels[3] = "联机计数器：" + std::to_string(app.Flags.OnlineCounter);
  app.Controls.Changed();
}

void OnCheckBoxCtrlClick(MainControls& controls, JobSettings& settings) {
  controls.ApplyEnablingRules();
  settings.LimitFlag = controls.CheckBoxCtrl.Checked ? 0x0F : 0;
  controls.Changed();
}

void OnChkBoxAutoClick(MainControls& controls) {
  controls.ApplyEnablingRules();
  controls.Changed();
}

}  // namespace korvel
