#pragma once
#include <vector>

namespace korvel {

// Where the gauge column goes for a channel count: the layout steps by
// ranges (1..4, 5..8, 9..10), not by the exact count.
struct GaugeLayout {
  int Shown = 0;           // gauges 1..Shown are visible
  std::vector<int> Tops;   // top of each shown gauge, pixels within the tab
  int MemoHeight = 0;      // InfoMemo height
};

GaugeLayout GaugeLayoutFor(int channelCount);

// The same column on a page extraHeight pixels taller than the one the
// tops are given for: the memo takes the room, the gauges keep their
// distance from the bottom. A smaller page keeps the given geometry.
GaugeLayout GrowGaugeLayout(GaugeLayout layout, int extraHeight);

}  // namespace korvel
