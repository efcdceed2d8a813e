#pragma once
#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "app/AppState.h"
#include "app/GaugeCaption.h"
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
// at fixed positions, as the gauge column's tops are given in pixels; in a
// window larger than its opening size the right column takes the extra
// room: the memo grows and the gauges keep to the bottom.
class ChipSettingPage : public QWidget {
  Q_OBJECT
 public:
  // onButton gets the form name of a clicked button (DevButton,
  // BitBtnOptCfg, ButtonCfgSN, BitBtnFindDev).
  ChipSettingPage(AppState& app, ControlBinder& binder,
                  std::function<void(const std::string&)> onButton, QWidget* parent = nullptr);

  void ShowFirstSettingsTab();
  void LayoutGauges(const GaugeLayout& layout);
  // Mirrors the channel gauges and their labels; called on every Timer1 tick.
  void RefreshGauges();

  // Where the labels beside the gauges come from; each may be left empty.
  struct ChannelSources {
    std::function<std::string(int channel)> PortName;
    std::function<bool(int channel)> PortOpen;
    const UnitReports* Reports = nullptr;
  };
  void SetChannelSources(ChannelSources sources) { sources_ = std::move(sources); }
  GaugeCaption CaptionFor(int channel) const;

  QTabWidget* PageControlSet() const { return pageControlSet_; }
  InfoMemo* Memo() const { return memo_; }
  ChannelGauge* Gauge(int channel) const { return gauges_[channel]; }
  QLabel* GaugeName(int channel) const { return names_[channel]; }
  QLabel* GaugeCounts(int channel) const { return counts_[channel]; }
  // How much larger than its opening size the window is: the right column
  // takes that room.
  void SetExtra(QSize extra);

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void BuildChipGroup();
  void BuildOptions();
  void BuildSerialTab(QWidget* tab);
  void BuildCountTab(QWidget* tab);
  void BuildSignalTab(QWidget* tab);
  void BuildCommGroup();
  // Places InfoPanel, the memo and the gauge rows for the page's size.
  void PlaceRightColumn();

  AppState& app_;
  ControlBinder& binder_;
  std::function<void(const std::string&)> onButton_;
  QTabWidget* pageControlSet_ = nullptr;
  InfoMemo* memo_ = nullptr;
  std::array<ChannelGauge*, kChannelCount> gauges_{};
  std::array<QLabel*, kChannelCount> names_{};
  std::array<QLabel*, kChannelCount> counts_{};
  QLabel* info_ = nullptr;
  GaugeLayout layout_;
  QSize extra_{0, 0};
  int nameWidth_ = 0;
  int countsWidth_ = 0;
  ChannelSources sources_;
};

}  // namespace korvel::ui
