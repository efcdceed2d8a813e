#include "protocol/ChannelHost.h"

#include <cstring>

#include "app/ChannelOps.h"
#include "protocol/FrameCodec.h"
#include "serial/PortEnumeration.h"
#include "serial/PortIdentity.h"

namespace korvel {

namespace {
constexpr const char* kTimeoutText = "操作超时！";
// Idle noise is reported at most once in this many Timer1 ticks (1 s).
constexpr uint64_t kNoiseReportTicks = 100;
}  // namespace

ChannelHost::ChannelHost(AppState& app, LinkFactory factory, PortEnumerator* enumerator)
    : app_(app), enumerator_(enumerator) {
  if (!enumerator_) {
    ownEnumerator_ = std::make_unique<PortEnumerator>();
    enumerator_ = ownEnumerator_.get();
  }
  enumerator_->SetPermissionNotice([this](const std::string& text) { app_.Log.HostLine(text); });
  for (int c = 0; c < kChannelCount; ++c) {
    links_[c] = factory(c);
    buffers_[c] = std::make_unique<Buffers>();
    Link& link = *links_[c];
    link.Events.OnReceiveData = [this, c](const uint8_t* d, size_t n) { ReceiveData(c, d, n); };
    link.Events.OnReceiveError = [this, c](uint32_t mask) { ReceiveError(c, mask); };
    link.Events.OnRequestHangup = [this, c] { RequestHangup(c); };
    app_.Channels[c].Port = &link;
    // Every unit is due for a firmware check until it identifies itself.
    app_.Channels[c].UpgradePending = true;
  }
}

ChannelHost::~ChannelHost() {
  CloseAllPorts();
  for (auto& ch : app_.Channels) ch.Port = nullptr;
}

void ChannelHost::UseExplicitPorts(std::vector<std::string> ports) {
  explicitPorts_ = std::move(ports);
  useExplicitPorts_ = true;
}

void ChannelHost::ReadConnectionSettings() {
  ApplySettings(useExplicitPorts_ ? SettingsForPorts(explicitPorts_)
                                  : korvel::ReadConnectionSettings(app_.Flags.AppDir, *enumerator_));
}

void ChannelHost::ApplySettings(const ConnectionSettings& s) {
  app_.Controls.ComboBoxCOMItems = s.BoxItems;
  app_.Controls.ComboBoxCOMText = s.BoxText;
  if (s.ChannelCount) app_.Flags.ChannelCount = static_cast<uint8_t>(*s.ChannelCount);
  for (int c = 0; c < kChannelCount; ++c) {
    ports_[c] = s.Ports[c];
    if (!s.Ports[c].empty()) links_[c]->SetCommName(s.Ports[c]);
  }
  const auto earlier = EarlierPortsOnSameDevice({ports_.begin(), ports_.end()});
  std::copy(earlier.begin(), earlier.end(), sameDeviceAs_.begin());
  app_.Controls.Changed();
}

bool ChannelHost::OnSameDeviceAsEarlier(int c) {
  const std::optional<int> first = sameDeviceAs_[c];
  if (!first) return false;
  // Two channels on one unit would send it two jobs at once and count its
  // chips twice; the first channel keeps it. (Our own lock would refuse
  // the second open anyway, but only with an error that hides the cause.)
  ChannelInfo(app_.Log, c,
              ports_[c] + " is the same device as " + ports_[*first] + " of Channel " + std::to_string(*first + 1) +
                  ": not opened a second time");
  return true;
}

void ChannelHost::CloseAllPorts() {
  for (auto& link : links_)
    if (link) link->ClosePort();
}

void ChannelHost::Fault(int c, uint8_t code) {
  ChannelState& ch = app_.Channels[c];
  const bool quiet = lastNoise_[c] && ticks_ - *lastNoise_[c] < kNoiseReportTicks;
  if (ch.Busy) {
    lastNoise_[c] = ticks_;
    if (Handlers.OnFault)
      Handlers.OnFault(c, code, true);
    else
      FinishChannel(ch, {ChannelResult::Failure, code, {}});
    return;
  }
  // Noise on an idle line can come by the thousand: one line a second,
  // counting the one that ended the operation, says enough, and the last
  // operation's result stays as it was.
  if (quiet) return;
  lastNoise_[c] = ticks_;
  if (Handlers.OnFault) Handlers.OnFault(c, code, false);
}

bool ChannelHost::Queue(int c, const uint8_t* data, size_t length) {
  if (links_[c]->SendData(data, length)) return true;
  // The request is lost: the operation waiting for its reply ends now
  // rather than at the watchdog.
  if (app_.Channels[c].Busy) Fault(c, kStatusSerialError);
  return false;
}

bool ChannelHost::SendPacket(int channel, size_t packetLength) {
  Buffers& b = *buffers_[channel];
  const size_t n = EncodeFrame(std::span<const uint8_t>(b.Packet.data(), packetLength), b.Encoded);
  if (n == 0) {
    if (app_.Channels[channel].Busy) Fault(channel, kStatusFraming);
    return false;
  }
  return Queue(channel, b.Encoded.data(), n);
}

bool ChannelHost::SendWakeUp(int channel) {
  return Queue(channel, kWakeUpFrame.data(), kWakeUpFrame.size());
}

bool ChannelHost::SendRestart(int channel) {
  const size_t n = BuildRestartPacket(buffers_[channel]->Packet);
  return n != 0 && SendPacket(channel, n);
}

bool ChannelHost::SendRequest(int channel, uint8_t command, uint16_t parameter, uint8_t chipCode,
                              uint8_t chipSubCode, std::span<const uint8_t> data) {
  auto& packet = buffers_[channel]->Packet;
  if (data.size() > packet.size() - kPacketHeaderSize - 2) return false;
  WriteRequestHeader(packet, command, parameter, chipCode, chipSubCode);
  uint8_t* at = packet.data() + kPacketHeaderSize;
  if (!data.empty() && data.data() != at) std::memmove(at, data.data(), data.size());
  return SendBuiltPacket(channel, data.size());
}

bool ChannelHost::SendBuiltPacket(int channel, size_t dataLength) {
  const size_t n = FinishPacket(buffers_[channel]->Packet, dataLength);
  if (n == 0) {
    if (app_.Channels[channel].Busy) Fault(channel, kStatusFraming);
    return false;
  }
  return SendPacket(channel, n);
}

void ChannelHost::OnTimer1Tick() {
  ++ticks_;
  for (int c = 0; c < kChannelCount; ++c) {
    ChannelState& ch = app_.Channels[c];
    // The operator is answering a dialog about this channel: its watchdog
    // waits with it.
    if (!ch.Busy || ch.DialogOpen) continue;
    if (ch.GaugeRunning && ch.Gauge.Progress < ch.Gauge.Max) ++ch.Gauge.Progress;
    // A watchdog already at 0 counts as run out rather than wrapping round.
    if (ch.TimeoutTicks > 0) --ch.TimeoutTicks;
    if (ch.TimeoutTicks == 0) {
      ChannelInfo(app_.Log, c, kTimeoutText);
      FinishChannel(ch, {ChannelResult::Timeout, 0, kTimeoutText});
    }
  }
}

bool ChannelHost::OnTimer2Tick() {
  if (firstSearch_) {
    firstSearch_ = false;
    FindDevices();
    return true;
  }
  if (app_.Flags.DevicesFound < app_.Flags.ChannelCount) return true;
  if (Handlers.OnAllDevicesFound) Handlers.OnAllDevicesFound();
  return false;
}

}  // namespace korvel
