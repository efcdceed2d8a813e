#include "app/GaugeLayout.h"

namespace korvel {

GaugeLayout GaugeLayoutFor(int channelCount) {
  static const int kTops[10] = {301, 320, 339, 359, 378, 397, 417, 436, 455, 475};
  GaugeLayout g;
  if (channelCount <= 4) {
    g.Shown = 4;
    g.MemoHeight = 380;
  } else if (channelCount <= 8) {
    g.Shown = 8;
    g.MemoHeight = 302;
  } else {
    g.Shown = 10;
    g.MemoHeight = 262;
  }
  // The shown gauges keep the bottom rows of the column.
  g.Tops.assign(kTops + (10 - g.Shown), kTops + 10);
  return g;
}

GaugeLayout GrowGaugeLayout(GaugeLayout layout, int extraHeight) {
  if (extraHeight <= 0) return layout;
  layout.MemoHeight += extraHeight;
  for (int& top : layout.Tops) top += extraHeight;
  return layout;
}

}  // namespace korvel
