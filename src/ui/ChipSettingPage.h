#pragma once
#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "app/AppState.h"
#include "app/GaugeLayout.h"

class QLabel;
class QLineEdit;
class QTabWidget;

namespace korvel::ui {

class ChannelGauge;
class ControlBinder;
class InfoMemo;

// The "Chip Setting" tab: chip group, job options, the settings tabs, the
// communication group, InfoPanel, InfoMemo and the ten gauges. Controls sit
// at fixed positions, as the gauge column's tops are given in pixels.
class ChipSettingPage : public QWidget {
  Q_OBJECT
 public:
  // onButton gets the form name of a clicked button (DevButton,
  // BitBtnOptCfg, ButtonCfgSN, BitBtnFindDev).
  ChipSettingPage(AppState& app, ControlBinder& binder,
                  std::function<void(const std::string&)> onButton, QWidget* parent = nullptr);

  void ShowFirstSettingsTab();
  void LayoutGauges(const GaugeLayout& layout);
  // Mirrors the channel gauges; called on every Timer1 tick.
  void RefreshGauges();

  QTabWidget* PageControlSet() const { return pageControlSet_; }
  InfoMemo* Memo() const { return memo_; }
  ChannelGauge* Gauge(int channel) const { return gauges_[channel]; }

 private:
  void BuildChipGroup();
  void BuildOptions();
  void BuildSerialTab(QWidget* tab);
  void BuildCountTab(QWidget* tab);
  void BuildSignalTab(QWidget* tab);
  void BuildCommGroup();

  AppState& app_;
  ControlBinder& binder_;
  std::function<void(const std::string&)> onButton_;
  QTabWidget* pageControlSet_ = nullptr;
  InfoMemo* memo_ = nullptr;
  std::array<ChannelGauge*, kChannelCount> gauges_{};
};

}  // namespace korvel::ui
