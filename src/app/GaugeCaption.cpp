#include "app/GaugeCaption.h"

#include <algorithm>
#include <cstdio>

namespace korvel {

namespace {

bool Final(ChannelResult r) {
  return r == ChannelResult::Success || r == ChannelResult::Failure || r == ChannelResult::Timeout;
}

bool SameOutcome(const ChannelOutcome& a, const ChannelOutcome& b) {
  return a.Result == b.Result && a.Code == b.Code && a.Text == b.Text;
}

}  // namespace

ChipCount ChannelChips(const ChannelState& ch) {
  return {uint64_t{ch.OkCount} + ch.AutoOkCount, uint64_t{ch.NgCount} + ch.AutoNgCount};
}

ChipCount SessionChips(const ChannelTable& channels) {
  ChipCount total;
  for (const ChannelState& ch : channels) {
    const ChipCount c = ChannelChips(ch);
    total.Ok += c.Ok;
    total.Ng += c.Ng;
  }
  return total;
}

std::string YieldText(ChipCount count) {
  const uint64_t all = count.Ok + count.Ng;
  if (all == 0) return "--";
  // Tenths of a percent, half up, in integers: no float drift at x.x5.
  uint64_t tenths = (count.Ok * 2000 + all) / (2 * all);
  if (count.Ng > 0 && tenths == 1000) tenths = 999;
  if (count.Ok > 0 && tenths == 0) tenths = 1;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "%";
}

std::string TotalsText(ChipCount count) {
  return "OK " + std::to_string(count.Ok) + "  NG " + std::to_string(count.Ng) + "  Yield " +
         YieldText(count);
}

std::string ShortPortName(const std::string& port) {
  const std::string byPath = "/dev/serial/by-path/";
  if (port.rfind(byPath, 0) == 0) {
    const std::string link = port.substr(byPath.size());
    // pci-0000:00:14.0-usb-0:1.2:1.0: the host controller is the same for
    // every socket, the USB part tells them apart.
    const size_t usb = link.rfind("usb");
    return usb == std::string::npos ? link : link.substr(usb);
  }
  const std::string dev = "/dev/";
  if (port.rfind(dev, 0) == 0) {
    // /dev/ttyACM3, and /dev/pts/4 where "4" alone would say nothing.
    const std::string rest = port.substr(dev.size());
    if (std::count(rest.begin(), rest.end(), '/') <= 1) return rest;
  }
  const size_t slash = port.rfind('/');
  return slash == std::string::npos ? port : port.substr(slash + 1);
}

std::string UnitResultWord(uint8_t result) {
  if (result == 6) return "Successed!";
  if (result == 0x1E) return "Error：芯片未设定读保护！";
  char buf[32];
  std::snprintf(buf, sizeof buf, "Failed : Error=0x%.2x!", result);
  return buf;
}

void UnitReports::OnFrame(int channel, const ChannelState& ch, uint8_t phase, uint8_t result) {
  if (channel < 0 || channel >= kChannelCount) return;
  Entry& e = entries_[channel];
  if (!ch.Connected) e.Heard = true;
  e.HostOutcome = ch.Outcome;
  if (phase == 0xF0) {
    e.Finished = true;
    e.Word = UnitResultWord(result);
  } else if (phase == 0x10) {
    // A new chip: the last one's word goes.
    e.Finished = false;
    e.Word.clear();
  }
}

void UnitReports::StartedAlone(int channel) {
  if (channel >= 0 && channel < kChannelCount) entries_[channel].Heard = true;
}

void UnitReports::Forget() { entries_ = {}; }

UnitReport UnitReports::Current(int channel, const ChannelState& ch, bool portOpen) const {
  UnitReport r;
  if (channel < 0 || channel >= kChannelCount) return r;
  const Entry& e = entries_[channel];
  r.Heard = e.Heard && portOpen;
  if (e.Finished && !ch.Busy && SameOutcome(e.HostOutcome, ch.Outcome)) {
    r.Finished = true;
    r.Word = e.Word;
  }
  return r;
}

GaugeCaption CaptionOf(int channel, const ChannelState& ch, const std::string& port,
                       const UnitReport& unit) {
  GaugeCaption c;
  c.Name = "Channel " + std::to_string(channel + 1);
  if (!port.empty()) c.Name += "  " + ShortPortName(port);
  const ChipCount chips = ChannelChips(ch);
  c.Counts = "OK " + std::to_string(chips.Ok) + "  NG " + std::to_string(chips.Ng);
  if (!ch.Connected && !ch.Busy && !unit.Heard) {
    c.NoUnit = true;
    c.BarText = kNoUnitText;
    return c;
  }
  if (ch.Busy || ch.Outcome.Result == ChannelResult::Running) return c;
  if (unit.Finished) {
    c.BarText = unit.Word;
  } else if (Final(ch.Outcome.Result) && ch.Gauge.Progress >= ch.Gauge.Max) {
    // A gauge a search set back belongs to a new unit: no old word on it.
    c.BarText = ch.Outcome.Text.empty() ? ResultWord(ch.Outcome.Result) : ch.Outcome.Text;
  }
  return c;
}

}  // namespace korvel
