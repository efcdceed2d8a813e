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
  // The percentage sits in the middle: once the fill reaches it, dark text
  // would vanish in the blue or red.
  const bool textOnFill = value * 2 >= max && value > 0;
  if (g.Color != color_ || textOnFill != textOnFill_) {
    color_ = g.Color;
    textOnFill_ = textOnFill;
    // Stylesheets are re-parsed, so only on change.
    setStyleSheet(QStringLiteral("QProgressBar { border: 1px solid #8a8a8a; background: white;"
                                 " text-align: center; color: %2; }"
                                 " QProgressBar::chunk { background-color: %1; }")
                      .arg(GaugeColor(g.Color).name(), textOnFill ? QStringLiteral("white")
                                                                  : QStringLiteral("black")));
  }
  if (y() != g.Top) move(x(), g.Top);
  if (isVisibleTo(parentWidget()) != g.Visible) setVisible(g.Visible);
}

}  // namespace korvel::ui
