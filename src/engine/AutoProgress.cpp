#include "engine/AutoProgress.h"

#include <cstdio>
#include <string>

#include "app/ChannelOps.h"
#include "app/GaugeCaption.h"

namespace korvel {

namespace {

void SetGauge(GaugeState& g, int progress, int max) {
  g.Max = max;
  g.Progress = progress;
}

}  // namespace

std::string AutoProgressResultText(int channel, uint8_t result) {
  // The first channel's line has always had a space before the "!".
  if (result == kUnitChipSuccess && channel == 0) return "Successed !";
  return UnitResultWord(result);
}

std::optional<AutoProgressFrame> DecodeAutoProgressFrame(std::span<const uint8_t> packet) {
  if (packet.size() < 8) return std::nullopt;
  uint8_t sum = 0;
  for (size_t i = 0; i < 8; ++i) sum = static_cast<uint8_t>(sum + packet[i]);
  if (sum != 0) return std::nullopt;
  AutoProgressFrame f;
  f.Phase = packet[1];
  f.Result = packet[2];
  f.Progress = static_cast<uint16_t>(packet[3] | (packet[4] << 8));
  f.Total = static_cast<uint16_t>(packet[5] | (packet[6] << 8));
  return f;
}

void ShowAutoProgress(AppState& app, int channel, const AutoProgressFrame& f,
                      const SaveLogNow& save) {
  GaugeState& g = app.Channels[channel].Gauge;
  auto line = [&](const std::string& text) { ChannelInfo(app.Log, channel, text); };
  switch (f.Phase) {
    case 0x10:
      line(channel == 0 ? "Initial Programming Interface ...." : "Start Auto-Programming....");
      SetGauge(g, 5, 100);
      g.Color = kGaugeBlue;
      break;
    case 0x20: line("Chip Blank Checking...."); SetGauge(g, 50, 100); break;
    case 0x30: line("Do Chip Erasing...."); SetGauge(g, 50, 100); break;
    case 0x40:
    case 0x50:
      if (f.Progress == 0)
        line(f.Phase == 0x40 ? "Do Main Flash Programming...." : "Do EEP Data Programming....");
      SetGauge(g, f.Progress + 2, f.Total);
      if (f.Phase == 0x40) g.Color = kGaugeBlue;
      break;
    case 0x70:
      line("Do Main Flash Verification....");
      SetGauge(g, 50, 100);
      g.Color = kGaugeBlue;
      break;
    case 0x80: line("Do EEP Data Verification...."); SetGauge(g, 50, 100); break;
    case 0xA0: line("Do Chip Option Byte Programming...."); SetGauge(g, 50, 100); break;
    case 0xF0: {
      const bool ok = f.Result == 6;
      g.Progress = g.Max;
      line("Progrmming Completed : " + AutoProgressResultText(channel, f.Result));
      g.Color = ok ? kGaugeBlue : kGaugeRed;
      CountProgrammerResult(app, channel, ok, save);
      g.Progress = g.Max;
      break;
    }
    default: break;  // 0x60, 0x90 and unknown phases change nothing
  }
}

void HandleAutoProgress(AppState& app, int channel, std::span<const uint8_t> packet,
                        const SaveLogNow& save) {
  if (auto f = DecodeAutoProgressFrame(packet)) ShowAutoProgress(app, channel, *f, save);
}

}  // namespace korvel
