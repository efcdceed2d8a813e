#pragma once
#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/AppState.h"
#include "app/GaugeCaption.h"
#include "app/Startup.h"

class QAction;
class QLabel;
class QTabWidget;
class QTableView;
class QTimer;

namespace korvel::ui {

class ChipSettingPage;
class ControlBinder;
class KeyPreview;
class TAboutForm;

// The main window. It mirrors the controls model, hands every button, menu
// entry and timer tick to a hook, and holds no program rules of its own.
class TKorvel200STxPrg : public QMainWindow {
  Q_OBJECT
 public:
  explicit TKorvel200STxPrg(AppState& app, QWidget* parent = nullptr);
  ~TKorvel200STxPrg() override;

  // What a toolbar button, menu entry or window button does, by its form
  // name. Exit, About and Auto come wired; later work replaces or adds.
  void SetActionHandler(const std::string& name, std::function<void()> handler);
  void Trigger(const std::string& name);

  // The Auto entry point: "自动", "&Auto Program" and Space or Enter anywhere.
  std::function<void()> AutoEntry;
  std::function<void()> OnTimer1;
  std::function<void()> OnTimer2;
  // Runs once, from the event loop, after the window was first shown.
  std::function<void()> OnFirstShow;

  // The window's own steps of the start-up, for RunFormShow.
  StartupHooks WindowStartupHooks();
  // Ports and log writer; the window adds its own close.
  void SetShutdownHooks(std::function<void()> closePorts, std::function<void()> finishLog);
  // "退出": also what SIGINT and SIGTERM do.
  void ExitClick();

  // What Timer1 does every 10 ms: the engine's hook, then the gauges.
  void Timer1Tick();
  void SetTimer2Enabled(bool on);
  bool Timer2Enabled() const;
  void ShowAbout();
  // Brings a page of ViewPageCtrl to the front by its form name
  // ("ChipSett", "TabSheetFlash", "TabSheetEEP").
  void ShowPage(const std::string& name);

  ChipSettingPage* ChipPage() const { return chipPage_; }
  ControlBinder* Binder() const { return binder_; }
  QTableView* HexViewer() const { return hexViewer_; }
  QTableView* EEPDataView() const { return eepDataView_; }
  TAboutForm* AboutForm() const { return about_; }
  // What the units programming on their own said, for the gauges.
  UnitReports& Reports() { return unitReports_; }

 signals:
  // FormClose has run: ports closed, log writer done.
  void closed();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildToolbar(QWidget* panel);
  void BuildMenus();
  void BuildStatusBar();
  void BuildDataViewPopup();
  QWidget* BuildHexTab(const char* name, const char* viewName, QTableView*& view);
  void SetDisplayDefaults();
  void CenterOnScreen();
  // The status bar's totals field, from the channel table.
  void RefreshTotals();

  AppState& app_;
  ControlBinder* binder_ = nullptr;
  ChipSettingPage* chipPage_ = nullptr;
  QTabWidget* viewPageCtrl_ = nullptr;
  QTableView* hexViewer_ = nullptr;
  QTableView* eepDataView_ = nullptr;
  QLabel* panels_[4] = {};
  QLabel* totals_ = nullptr;
  QTimer* timer1_ = nullptr;
  QTimer* timer2_ = nullptr;
  TAboutForm* about_ = nullptr;
  KeyPreview* keyPreview_ = nullptr;
  std::map<std::string, std::function<void()>> handlers_;
  std::unique_ptr<ShutdownSequence> shutdown_;
  UnitReports unitReports_;
  size_t listenerIndex_ = 0;
  bool shown_ = false;
};

}  // namespace korvel::ui
