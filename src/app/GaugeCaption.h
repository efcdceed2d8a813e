#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "app/ChannelState.h"

namespace korvel {

// Chips finished this session: the unit's own reports and host-driven
// Auto runs together, as the line counts them.
struct ChipCount {
  uint64_t Ok = 0;
  uint64_t Ng = 0;
};

ChipCount ChannelChips(const ChannelState& ch);
ChipCount SessionChips(const ChannelTable& channels);

// "92.5%", rounded to one decimal, or "--" before the first chip. A yield
// with a failure never reads 100.0%, nor one with a good chip 0.0%.
std::string YieldText(ChipCount count);
// The status bar's totals field: "OK 37  NG 3  Yield 92.5%".
std::string TotalsText(ChipCount count);

// The short form of a port name for a narrow label: "ttyACM3" for
// /dev/ttyACM3, "pts/4" for a pseudo-terminal, the USB part of a
// /dev/serial/by-path link ("usb-0:1.2:1.0"), else the last path element.
std::string ShortPortName(const std::string& port);

// What a unit programming on its own (chip detection, off-line) last said
// about its channel, as far as it still stands.
struct UnitReport {
  bool Heard = false;     // it spoke on its port although not connected
  bool Finished = false;  // its last chip is done, and Word says how
  std::string Word;
};

// The word a unit's finished chip leaves on the gauge (the end of its
// "Progrmming Completed : " line on channels 2..10).
std::string UnitResultWord(uint8_t result);

// Keeps the units' own reports per channel. A report stands until the host
// starts an operation on the channel or a search begins.
class UnitReports {
 public:
  // A progress frame of the unit on the channel, after it was counted.
  void OnFrame(int channel, const ChannelState& ch, uint8_t phase, uint8_t result);
  // The unit took the off-line start: it is there although not connected.
  void StartedAlone(int channel);
  void Forget();
  // What applies now; portOpen: the channel's link holds its port.
  UnitReport Current(int channel, const ChannelState& ch, bool portOpen) const;

 private:
  struct Entry {
    bool Heard = false;
    bool Finished = false;
    std::string Word;
    // The host's record when the unit spoke: a newer one voids the report.
    ChannelOutcome HostOutcome;
  };
  std::array<Entry, kChannelCount> entries_;
};

// Everything one gauge row shows.
struct GaugeCaption {
  std::string Name;     // "Channel 3  ttyACM3"
  std::string Counts;   // "OK 12  NG 1"
  std::string BarText;  // empty: the bar shows its percentage
  bool NoUnit = false;  // greyed, "no unit" in the bar
};

inline constexpr const char* kNoUnitText = "no unit";

// channel from 0; port as the channel is bound to it (empty: none).
GaugeCaption CaptionOf(int channel, const ChannelState& ch, const std::string& port,
                       const UnitReport& unit = {});

}  // namespace korvel
