// The device search of ChannelHost (the "查找并连接设备" button).
#include <array>
#include <chrono>
#include <string>
#include <thread>

#include "app/ChannelOps.h"
#include "protocol/ChannelHost.h"

namespace korvel {

void ChannelHost::FindDevices() {
  JobFlags& flags = app_.Flags;
  // A unit connected on the same port before and after is still there: its
  // gauge keeps the last result for the operator.
  std::array<bool, kChannelCount> wasThere{};
  const std::array<std::string, kChannelCount> oldPorts = ports_;
  for (int c = 0; c < kChannelCount; ++c) wasThere[c] = app_.Channels[c].Connected;
  for (int c = 0; c < flags.ChannelCount && c < kChannelCount; ++c) {
    links_[c]->ClosePort();
    ChannelState& ch = app_.Channels[c];
    ch.Connected = false;
    // An operation the search cuts off did not succeed; say so rather than
    // leave it looking as if it still ran.
    if (ch.Busy) FinishChannel(ch, {ChannelResult::Failure, 0, {}});
  }
  app_.Controls.ComboBoxCOMItems.clear();
  ReadConnectionSettings();
  if (flags.ChannelCount == 0) flags.ChannelCount = 1;

  const size_t listed = app_.Controls.ComboBoxCOMItems.size();
  if (listed > 0) {
    flags.DevicesFound = 0;
    for (int c = 0; c < kChannelCount && static_cast<size_t>(c) < listed && c < flags.ChannelCount; ++c) {
      ChannelState& ch = app_.Channels[c];
      Link& link = *links_[c];
      link.ClosePort();
      ch.RxCount = 0;
      ch.TimeoutTicks = 300;
      ch.Connected = false;
      if (!wasThere[c] || oldPorts[c] != ports_[c]) {
        ch.Gauge.Progress = 0;
        ch.Gauge.Color = kGaugeBlue;
      }
      app_.Controls.InfoPanelCaption = "Searching Devices............";
      app_.Log.HostLine("Checking Device " + std::to_string(c + 1) + " In " + ports_[c] +
                        "............");
      if (OnSameDeviceAsEarlier(c)) continue;
      link.SetCommName(ports_[c]);
      try {
        link.OpenPort();
      } catch (const ECommsError& e) {
        // One channel's port must not stop the search of the others.
        app_.Log.HostLine(ports_[c] + ": " + e.what());
      }
    }
    app_.Controls.Changed();
  }
  // Lets freshly opened USB ports settle before the first bytes.
  if (SearchSettleMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(SearchSettleMs));
  for (int c = 0; c < flags.ChannelCount && c < kChannelCount; ++c)
    if (links_[c]->IsOpen()) SendWakeUp(c);
}

}  // namespace korvel
