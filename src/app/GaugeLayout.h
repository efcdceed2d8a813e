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

}  // namespace korvel
