#include "ui/ChannelGauge.h"

#include <algorithm>

#include "ui/ControlBinder.h"

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

QString ChannelGauge::text() const { return word_.isEmpty() ? QProgressBar::text() : word_; }

void ChannelGauge::Mirror(const GaugeState& g, const GaugeCaption& caption) {
  // A zero maximum would turn the bar into a busy indicator.
  const int max = g.Max > 0 ? g.Max : 1;
  if (maximum() != max) setRange(0, max);
  // An empty bar under "no unit": no fill left over from a unit gone.
  const int value = g.Max > 0 && !caption.NoUnit ? std::clamp(g.Progress, 0, max) : 0;
  if (this->value() != value) setValue(value);
  const QString word = Q(caption.BarText);
  if (word != word_) {
    word_ = word;
    // A long message may not fit the bar: the whole of it on hovering.
    setToolTip(word_);
    update();
  }
  // The text sits in the middle: once the fill reaches it, dark text
  // would vanish in the blue or red.
  const bool textOnFill = value * 2 >= max && value > 0;
  if (!styled_ || g.Color != color_ || textOnFill != textOnFill_ || caption.NoUnit != noUnit_) {
    styled_ = true;
    color_ = g.Color;
    textOnFill_ = textOnFill;
    noUnit_ = caption.NoUnit;
    // Stylesheets are re-parsed, so only on change.
    if (noUnit_) {
      setStyleSheet(QStringLiteral("QProgressBar { border: 1px solid #b4b4b4; background: #e6e6e6;"
                                   " text-align: center; color: #808080; }"
                                   " QProgressBar::chunk { background-color: transparent; }"));
    } else {
      setStyleSheet(QStringLiteral("QProgressBar { border: 1px solid #8a8a8a; background: white;"
                                   " text-align: center; color: %2; }"
                                   " QProgressBar::chunk { background-color: %1; }")
                        .arg(GaugeColor(g.Color).name(), textOnFill ? QStringLiteral("white")
                                                                    : QStringLiteral("black")));
    }
  }
  if (isVisibleTo(parentWidget()) != g.Visible) setVisible(g.Visible);
}

}  // namespace korvel::ui
