#include "ui/ChannelGauge.h"

#include <algorithm>

namespace korvel::ui {

QColor GaugeColor(uint32_t bgr) {
  return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

ChannelGauge::ChannelGauge(int channel, QWidget* parent) : QProgressBar(parent) {
  setObjectName(QStringLiteral("Gauge%1").arg(channel + 1));
  setTextVisible(true);
  setAlignment(Qt::AlignCenter);
  setRange(0, 100);
  setValue(0);
}

void ChannelGauge::Mirror(const GaugeState& g) {
  // A zero maximum would turn the bar into a busy indicator.
  const int max = g.Max > 0 ? g.Max : 1;
  if (maximum() != max) setRange(0, max);
  const int value = g.Max > 0 ? std::clamp(g.Progress, 0, max) : 0;
  if (this->value() != value) setValue(value);
  if (g.Color != color_) {
    color_ = g.Color;
    // Only the chunk is coloured; stylesheets are re-parsed, so do it on change.
    setStyleSheet(QStringLiteral("QProgressBar { border: 1px solid #8a8a8a; background: white;"
                                 " text-align: center; color: black; }"
                                 " QProgressBar::chunk { background-color: %1; }")
                      .arg(GaugeColor(g.Color).name()));
  }
  if (y() != g.Top) move(x(), g.Top);
  if (isVisibleTo(parentWidget()) != g.Visible) setVisible(g.Visible);
}

}  // namespace korvel::ui
