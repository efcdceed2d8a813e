#pragma once
#include <QProgressBar>
#include <cstdint>

#include "app/ChannelState.h"
#include "app/GaugeCaption.h"

namespace korvel::ui {

// 0x00BBGGRR as the programmer's tools write colours.
QColor GaugeColor(uint32_t bgr);

// One channel's progress bar, mirroring its GaugeState and the text and
// state its caption gives: the percentage while running, the result word
// after an operation, "no unit" greyed when nothing is behind the channel.
class ChannelGauge : public QProgressBar {
  Q_OBJECT
 public:
  ChannelGauge(int channel, QWidget* parent = nullptr);

  void Mirror(const GaugeState& state, const GaugeCaption& caption = {});
  uint32_t ShownColor() const { return color_; }
  bool ShowsNoUnit() const { return noUnit_; }
  QString text() const override;

 private:
  uint32_t color_ = 0xFFFFFFFF;  // nothing shown yet
  bool textOnFill_ = false;
  bool noUnit_ = false;
  bool styled_ = false;
  QString word_;
};

}  // namespace korvel::ui
