#pragma once
#include <QProgressBar>
#include <cstdint>

#include "app/ChannelState.h"

namespace korvel::ui {

// 0x00BBGGRR as the programmer's tools write colours.
QColor GaugeColor(uint32_t bgr);

// One channel's progress bar, mirroring its GaugeState.
class ChannelGauge : public QProgressBar {
  Q_OBJECT
 public:
  ChannelGauge(int channel, QWidget* parent = nullptr);

  void Mirror(const GaugeState& state);
  uint32_t ShownColor() const { return color_; }

 private:
  uint32_t color_ = 0xFFFFFFFF;  // nothing shown yet
  bool textOnFill_ = false;
};

}  // namespace korvel::ui
