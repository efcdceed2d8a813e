#include "engine/OfflineProgramming.h"

#include <chrono>
#include <thread>

#include "app/ChannelOps.h"

namespace korvel {

std::vector<int> OfflineStart::Run() {
  std::vector<int> started;
  if (Capture && !Capture()) return started;
  JobFlags& flags = App.Flags;
  App.Log.HostLine(kOfflineStartText);
  for (int c = 0; c < flags.ChannelCount && c < kChannelCount; ++c) {
    ChannelState& ch = App.Channels[c];
    // An operation cut off here did not succeed; its record says so rather
    // than leave a run waiting for it.
    if (ch.Busy) FinishChannel(ch, {ChannelResult::Failure, 0, {}});
    ch.RxCount = 0;
    ch.Connected = false;
    ch.Busy = false;
    ch.Gauge.Progress = 0;
    Channels.LinkOf(c).ClosePort();
  }
  App.Controls.ComboBoxCOMItems.clear();
  Channels.ReadConnectionSettings();

  // A port that fails to open may take itself out of the box (hang-up):
  // the ports are the ones listed now.
  const std::vector<std::string> listed = App.Controls.ComboBoxCOMItems;
  for (int c = 0; c < kChannelCount && c < flags.ChannelCount && static_cast<size_t>(c) < listed.size(); ++c) {
    App.Channels[c].TimeoutTicks = 300;
    Channels.SetPortName(c, listed[c]);
    Link& link = Channels.LinkOf(c);
    try {
      link.OpenPort();
    } catch (const ECommsError&) {
      // Skipped without a word; the other ports are still tried.
      continue;
    }
    if (!link.IsOpen()) continue;
    if (SettleMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(SettleMs));
    if (link.IsOpen() && Channels.SendRestart(c)) started.push_back(c);
  }
  App.Controls.Changed();
  return started;
}

}  // namespace korvel
