#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/Link.h"
#include "protocol/PacketBuilder.h"
#include "serial/ConnectionSettings.h"

namespace korvel {

class PortEnumerator;

// What the device operations and the engine plug into the receive path.
// Every member may be left empty.
struct ChannelHandlers {
  // A reply on a connected channel, with the status from CheckReply
  // (0x23 on a check-word mismatch). Return false when the channel's Step
  // has no handler: the host then only clears Busy.
  std::function<bool(int channel, uint8_t status, std::span<const uint8_t> packet)> OnReply;
  // A packet starting 0xFD, on any channel; its 8-bit sum check belongs to
  // the progress display. Step is left alone.
  std::function<void(int channel, std::span<const uint8_t> packet)> OnProgress;
  // A fault of a connected channel's frames or link: a frame that does not
  // decode (0x20), a line error or a request the link would not take
  // (0xE0). running: the channel has an operation running, which the
  // handler ends as failed. Otherwise the fault is noise on an idle channel
  // to be reported only; ChannelHost passes it on only when the channel had
  // no fault in the last second. Without a handler a running operation ends
  // as failed.
  std::function<void(int channel, uint8_t code, bool running)> OnFault;
  // Timer2 found every channel identified (the command-line download starts here).
  std::function<void()> OnAllDevicesFound;
};

// Binds the ten links to the channel table of AppState and runs, on the UI
// thread, everything between a link and the device operations: the connection
// settings, device search and identification, request sending, the per-channel
// receive path, the hang-up and receive-error handlers and the watchdog.
//
// Wiring, e.g. headless:
//   ChannelHost host(app, [&](int) { return std::make_unique<TComm>(loop); });
//   host.UseExplicitPorts(units.SlavePaths());   // --simulate; omit for ConfigTqz.ini
//   loop.SetTimer1([&] { host.OnTimer1Tick(); });
//   loop.SetTimer2([&] { loop.EnableTimer2(host.OnTimer2Tick()); });
class ChannelHost {
 public:
  using LinkFactory = std::function<std::unique_ptr<Link>(int channel)>;

  // enumerator: where ports come from without a settings file; nullptr uses
  // the system's (/sys/class/tty, /dev).
  ChannelHost(AppState& app, LinkFactory factory, PortEnumerator* enumerator = nullptr);
  ~ChannelHost();
  ChannelHost(const ChannelHost&) = delete;
  ChannelHost& operator=(const ChannelHost&) = delete;

  ChannelHandlers Handlers;

  // Use these ports (channel k on ports[k-1]) instead of ConfigTqz.ini and
  // the enumeration, at every later reading of the settings.
  void UseExplicitPorts(std::vector<std::string> ports);
  // Reads the connection settings into the connection box, the channel
  // count and the channel port list (start-up, and every search).
  void ReadConnectionSettings();

  // The search button: reopens the ports of the channels and wakes the units.
  void FindDevices();
  // 10 ms timer: gauges of timed steps and the per-channel watchdog.
  void OnTimer1Tick();
  // 100 ms timer: the first search. Returns false once every channel has
  // identified itself, when the timer is to be switched off.
  bool OnTimer2Tick();
  void CloseAllPorts();

  // Requests. Each frames the packet and queues it; false when the link is
  // closed or the packet does not fit.
  bool SendWakeUp(int channel);
  bool SendRestart(int channel);
  // Header and data (data may already sit at PacketBuffer(channel)[8..]).
  bool SendRequest(int channel, uint8_t command, uint16_t parameter, uint8_t chipCode,
                   uint8_t chipSubCode, std::span<const uint8_t> data);
  // The packet is already built in PacketBuffer(channel) up to the data;
  // sets the length and the check word and sends it.
  bool SendBuiltPacket(int channel, size_t dataLength);
  // The channel's request packet buffer; a decoded reply overwrites it.
  std::span<uint8_t> PacketBuffer(int channel) { return buffers_[channel]->Packet; }

  Link& LinkOf(int channel) { return *links_[channel]; }
  const std::string& PortName(int channel) const { return ports_[channel]; }
  // Binds the channel to another port (until the settings are read again).
  void SetPortName(int channel, const std::string& name) {
    ports_[channel] = name;
    links_[channel]->SetCommName(name);
  }
  // Time the search waits between opening the ports and waking the units;
  // tests set 0.
  int SearchSettleMs = 50;

  // The link handlers; public so that tests can drive them without a link.
  // While the channel's DialogOpen is set, what arrives for it waits and is
  // handled, in order, once the dialog has closed.
  void ReceiveData(int channel, const uint8_t* data, size_t length);
  void ReceiveError(int channel, uint32_t eventMask);
  void RequestHangup(int channel);

  // The earlier channel whose port is the same device as this channel's,
  // which the search leaves unopened.
  std::optional<int> SameDeviceAs(int channel) const {
    return channel >= 0 && channel < kChannelCount ? sameDeviceAs_[channel] : std::nullopt;
  }

 private:
  struct Buffers {
    std::array<uint8_t, kPacketBufferSize> Packet{};
    std::array<uint8_t, kEncodedBufferSize> Encoded{};
    std::array<uint8_t, kReceiveBufferSize> Frame{};
    std::array<uint8_t, kReceiveBufferSize> Accumulated{};
  };

  // Bytes or a line error that arrived while the channel's dialog was open.
  struct HeldEvent {
    bool LineError = false;
    std::vector<uint8_t> Bytes;
  };

  void ApplySettings(const ConnectionSettings& s);
  // The search calls this before opening the channel's port: true, with a
  // log line naming both channels, when an earlier channel's port is the
  // same device.
  bool OnSameDeviceAsEarlier(int channel);
  void Accept(int channel, const uint8_t* data, size_t length);
  void LineError(int channel);
  void Hold(int channel, HeldEvent event);
  void DrainHeld(int channel);
  void Fault(int channel, uint8_t code);
  bool Queue(int channel, const uint8_t* data, size_t length);
  size_t ConsumeFrames(int channel, size_t fill);
  void HandleFrame(int channel, size_t frameLength);
  void Identify(int channel, size_t frameLength);
  void HandleReply(int channel, size_t frameLength);
  bool SendPacket(int channel, size_t packetLength);

  AppState& app_;
  std::unique_ptr<PortEnumerator> ownEnumerator_;
  PortEnumerator* enumerator_;
  std::vector<std::string> explicitPorts_;
  bool useExplicitPorts_ = false;
  std::array<std::unique_ptr<Link>, kChannelCount> links_;
  std::array<std::unique_ptr<Buffers>, kChannelCount> buffers_;
  std::array<std::string, kChannelCount> ports_;
  // The earlier channel whose port is the same device, per channel.
  std::array<std::optional<int>, kChannelCount> sameDeviceAs_{};
  bool firstSearch_ = true;
  std::array<std::deque<HeldEvent>, kChannelCount> held_;
  std::array<size_t, kChannelCount> heldBytes_{};
  // Timer1 ticks so far, and when each channel last reported idle noise.
  uint64_t ticks_ = 0;
  std::array<std::optional<uint64_t>, kChannelCount> lastNoise_;
};

// The host's own code for a line error or a link that takes no more bytes.
inline constexpr uint8_t kStatusSerialError = 0xE0;

}  // namespace korvel
