// The per-channel receive path of ChannelHost and the link handlers.
#include <algorithm>
#include <cstring>

#include "app/ChannelOps.h"
#include "protocol/ChannelHost.h"
#include "protocol/FrameCodec.h"

namespace korvel {

namespace {

constexpr const char* kUnitPrefix = "Korvel200ST";
constexpr size_t kUnitNameOffset = 22;
constexpr uint8_t kProgressFrame = 0xFD;
constexpr uint8_t kIgnoredFrame = 0xFA;
constexpr uint8_t kRestartCommand = 0x8A;

}  // namespace

void ChannelHost::ReceiveData(int c, const uint8_t* data, size_t length) {
  if (app_.Channels[c].DialogOpen) return Hold(c, {false, std::vector<uint8_t>(data, data + length)});
  Accept(c, data, length);
  DrainHeld(c);
}

void ChannelHost::Hold(int c, HeldEvent event) {
  // A dialog left open for long must not let a noisy line fill the memory;
  // what exceeds a few replies' worth is dropped like any overflow.
  constexpr size_t kMaxHeldBytes = 4 * kReceiveBufferSize;
  if (heldBytes_[c] + event.Bytes.size() > kMaxHeldBytes) return;
  heldBytes_[c] += event.Bytes.size();
  held_[c].push_back(std::move(event));
}

void ChannelHost::DrainHeld(int c) {
  // A held reply may open another dialog; what is left waits again.
  while (!held_[c].empty() && !app_.Channels[c].DialogOpen) {
    HeldEvent e = std::move(held_[c].front());
    held_[c].pop_front();
    heldBytes_[c] -= e.Bytes.size();
    if (e.LineError)
      LineError(c);
    else
      Accept(c, e.Bytes.data(), e.Bytes.size());
  }
}

void ChannelHost::Accept(int c, const uint8_t* data, size_t length) {
  ChannelState& ch = app_.Channels[c];
  auto& acc = buffers_[c]->Accumulated;
  ch.TimeoutTicks = 1000;
  size_t fill = std::min<size_t>(ch.RxCount, acc.size());
  while (length > 0) {
    const size_t take = std::min(length, acc.size() - fill);
    std::memcpy(acc.data() + fill, data, take);
    fill += take;
    data += take;
    length -= take;
    fill = ConsumeFrames(c, fill);
    if (fill == acc.size()) {
      // Full without a complete frame: keep only from the last frame start,
      // or nothing when even that cannot complete in the space there is.
      const auto last = std::find(acc.rbegin(), acc.rend(), kFrameEnd);
      const size_t from = last == acc.rend() ? fill : static_cast<size_t>(acc.rend() - last) - 1;
      const size_t keep = from == 0 ? 0 : fill - from;
      std::memmove(acc.data(), acc.data() + fill - keep, keep);
      fill = keep;
    }
  }
  ch.RxCount = static_cast<uint16_t>(fill);
}

size_t ChannelHost::ConsumeFrames(int c, size_t fill) {
  Buffers& b = *buffers_[c];
  size_t pos = 0, lastEnd = 0, frameLength = 0;
  while (ExtractFrame(std::span<const uint8_t>(b.Accumulated.data(), fill), pos, b.Frame, frameLength)) {
    lastEnd = pos;
    HandleFrame(c, frameLength);
  }
  if (lastEnd == 0) return fill;
  std::memmove(b.Accumulated.data(), b.Accumulated.data() + lastEnd, fill - lastEnd);
  return fill - lastEnd;
}

void ChannelHost::HandleFrame(int c, size_t frameLength) {
  if (app_.Channels[c].Connected)
    HandleReply(c, frameLength);
  else
    Identify(c, frameLength);
}

void ChannelHost::Identify(int c, size_t frameLength) {
  Buffers& b = *buffers_[c];
  size_t packetLength = 0;
  if (DecodeFrame(b.Frame, frameLength, b.Packet, packetLength) != 0) return;
  const std::span<const uint8_t> packet(b.Packet.data(), packetLength);
  if (packet[0] == kProgressFrame) {
    if (Handlers.OnProgress) Handlers.OnProgress(c, packet);
    return;
  }
  if (packet[0] == kIgnoredFrame) return;
  // A unit told to run alone acknowledges the restart on a channel the
  // off-line start left not connected: that is no unit of another model.
  if (packet[0] == kRestartCommand) return;

  ChannelState& ch = app_.Channels[c];
  std::string name = kUnitPrefix;
  if (CheckDeviceId(packet, packetLength, name, kUnitNameOffset) != 0) {
    ch.Connected = false;
    app_.Controls.InfoPanelCaption = "未找到设备！";
    ChannelInfo(app_.Log, c, "未找到设备!");
    app_.Controls.Changed();
    return;
  }
  ++app_.Flags.DevicesFound;
  ch.UpgradePending = false;
  ch.Connected = true;
  ch.UnitName = name;
  app_.Flags.Supports18V = true;
  ch.Step = kStepIdle;
  ch.TimeoutTicks = 500;
  ChannelInfo(app_.Log, c, "找到设备：" + name + "!");
  if (c == 0 || c == 8 || c == 9) {
    app_.Controls.InfoPanelCaption = name;
    app_.Controls.Changed();
  }
}

void ChannelHost::HandleReply(int c, size_t frameLength) {
  Buffers& b = *buffers_[c];
  ChannelState& ch = app_.Channels[c];
  size_t packetLength = 0;
  if (const uint8_t code = DecodeFrame(b.Frame, frameLength, b.Packet, packetLength); code != 0)
    return Fault(c, code);
  const std::span<const uint8_t> packet(b.Packet.data(), packetLength);
  if (packet[0] == kProgressFrame) {
    if (Handlers.OnProgress) Handlers.OnProgress(c, packet);
    return;
  }
  const uint8_t status = CheckReply(packet, packetLength);
  if (!Handlers.OnReply || !Handlers.OnReply(c, status, packet)) ch.Busy = false;
}

void ChannelHost::ReceiveError(int c, uint32_t) {
  if (app_.Channels[c].DialogOpen) return Hold(c, {true, {}});
  LineError(c);
  DrainHeld(c);
}

void ChannelHost::LineError(int c) {
  // Whatever was gathered may hold damaged bytes: drop it. The reply the
  // running operation waits for may have been among them, so the operation
  // ends here, with its line, instead of running on without Busy.
  app_.Channels[c].RxCount = 0;
  Fault(c, kStatusSerialError);
}

void ChannelHost::RequestHangup(int c) {
  links_[c]->ClosePort();
  app_.Channels[c].Connected = false;
  // The box lists the ports in the order they were read, which need not be
  // channel order once an entry has gone: remove this channel's own port.
  auto& items = app_.Controls.ComboBoxCOMItems;
  if (auto it = std::find(items.begin(), items.end(), ports_[c]); it != items.end() && !ports_[c].empty())
    items.erase(it);
  if (items.empty()) app_.Controls.ComboBoxCOMText = "请连接设备......";
  app_.Controls.Changed();
}

}  // namespace korvel
