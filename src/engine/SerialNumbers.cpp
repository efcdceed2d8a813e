#include "engine/SerialNumbers.h"

#include <utility>

#include "target/SerialControls.h"
#include "target/SerialNumber.h"

namespace korvel {

void SerialNumbers::Show() {
  AppState& app = job_.App;
  if (app.Settings.SnValue != allocator_.Shown())
    ShowSerial(app.Controls, app.Settings, allocator_.Shown());
}

void SerialNumbers::HandOut(const std::vector<int>& channels) {
  Settle();
  // Bytes are only ever for the channels of this start.
  for (auto& own : own_) own.clear();
  AppState& app = job_.App;
  const MainControls& c = app.Controls;
  const JobSettings& s = app.Settings;
  if (!OnlineSerials(c) || channels.empty()) return;
  // A number outside the chip would be programmed nowhere: no chip gets one
  // then, and none is used up.
  if (!ValidSnAddress(job_.Chip, s.SnAddress)) {
    app.Log.HostLine(kSnAddressOutsideChip);
    return;
  }
  const auto numbers = allocator_.HandOut(channels, s.SnValue, s.SnStep).Numbers;
  if (channels.size() == 1) {
    WriteSerialToImage(job_, SerialSpecFor(c, s, numbers[0]), s.SnAddress);
    return;
  }
  for (size_t i = 0; i < channels.size(); ++i) {
    const int ch = channels[i];
    if (ch < 0 || ch >= kChannelCount) continue;
    const auto bytes = SerialBytes(SerialSpecFor(c, s, numbers[i]));
    const BufferBytes placed = PlaceInMainBuffer(job_.Chip, app.Flags.Stm32Family, s.SnAddress, bytes,
                                                 job_.Buffers.Main.size());
    if (!placed.Bytes.empty()) own_[ch].push_back(ImagePatch{placed.Offset, placed.Bytes});
  }
  Show();
}

std::vector<ImagePatch> SerialNumbers::OwnBytes(int channel) {
  if (channel < 0 || channel >= kChannelCount) return {};
  return std::exchange(own_[channel], {});
}

std::optional<uint32_t> SerialNumbers::AdvanceSerial(int channel) {
  const auto number = allocator_.Succeeded(channel);
  if (number) Show();
  return number;
}

void SerialNumbers::Settle() { allocator_.Settle(job_.App.Channels); }

}  // namespace korvel
