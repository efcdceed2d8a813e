#include "ui/MainWindow.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/GaugeCaption.h"
#include "app/MenuTable.h"
#include "ui/AboutForm.h"
#include "ui/ChipSettingPage.h"
#include "ui/ControlBinder.h"
#include "ui/InfoMemo.h"
#include "ui/KeyPreview.h"
#include "ui/views/HexViewModel.h"

namespace korvel::ui {

namespace {

constexpr int kClientWidth = 908;
constexpr int kClientHeight = 589;
constexpr int kToolbarHeight = 41;
const int kPanelWidths[4] = {130, 130, 300, 120};

}  // namespace

TKorvel200STxPrg::TKorvel200STxPrg(AppState& app, QWidget* parent)
    : QMainWindow(parent), app_(app) {
  setObjectName("TKorvel200STxPrg");
  setWindowTitle(QStringLiteral("Korvel200ST8 Programmer Wizard"));
  setFont(CjkFont(12));
  binder_ = new ControlBinder(app_.Controls, this);

  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  auto* panel = new QFrame(central);
  panel->setObjectName("PanelBtns");
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setFixedHeight(kToolbarHeight);
  BuildToolbar(panel);
  column->addWidget(panel);

  viewPageCtrl_ = new QTabWidget(central);
  viewPageCtrl_->setObjectName("ViewPageCtrl");
  chipPage_ = new ChipSettingPage(app_, *binder_, [this](const std::string& n) { Trigger(n); });
  viewPageCtrl_->addTab(chipPage_, QStringLiteral("Chip Setting"));
  viewPageCtrl_->addTab(BuildHexTab("TabSheetFlash", "HexViewer", hexViewer_),
                        QStringLiteral("Main Flash"));
  viewPageCtrl_->addTab(BuildHexTab("TabSheetEEP", "EEPDataView", eepDataView_),
                        QStringLiteral("EEP Data"));
  BuildDataViewPopup();
  column->addWidget(viewPageCtrl_, 1);
  setCentralWidget(central);

  BuildMenus();
  BuildStatusBar();
  binder_->Add([this] {
    viewPageCtrl_->setTabVisible(2, app_.Controls.EepTabVisible);
    viewPageCtrl_->setTabText(2, Q(app_.Controls.EepTabCaption));
    // A page the program asked for is shown once; after that the operator
    // may turn to another page without the next refresh turning back.
    if (!app_.Controls.ActivePage.empty()) {
      ShowPage(app_.Controls.ActivePage);
      app_.Controls.ActivePage.clear();
    }
  });

  about_ = new TAboutForm(this);
  keyPreview_ = new KeyPreview(this, [this] { Trigger("AutoSpdBtn"); });

  SetActionHandler("SpdBtnExit", [this] { ExitClick(); });
  SetActionHandler("Exit1", [this] { ExitClick(); });
  SetActionHandler("About1", [this] { ShowAbout(); });
  SetActionHandler("AutoSpdBtn", [this] { if (AutoEntry) AutoEntry(); });
  SetActionHandler("AutoProgram1", [this] { if (AutoEntry) AutoEntry(); });
  SetShutdownHooks({}, {});

  timer1_ = new QTimer(this);
  timer1_->setObjectName("Timer1");
  timer1_->setInterval(10);
  connect(timer1_, &QTimer::timeout, this, [this] { Timer1Tick(); });
  timer2_ = new QTimer(this);
  timer2_->setObjectName("Timer2");
  timer2_->setInterval(100);
  connect(timer2_, &QTimer::timeout, this, [this] { if (OnTimer2) OnTimer2(); });
  timer1_->start();

  listenerIndex_ = app_.Controls.Listeners.size();
  app_.Controls.Listeners.push_back([this] { binder_->Refresh(); });
  // Until the start-up lays the gauges out for the real channel count.
  chipPage_->LayoutGauges(ApplyGaugeLayout(app_.Channels, app_.Flags.ChannelCount));
  binder_->Refresh();

  // The client area of 908 x 589 does not count the menu bar. It opens at
  // that size and may grow (the log and the views take the room), but not
  // shrink below it, where controls at fixed places would be cut off.
  const QSize initial(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
  setMinimumSize(initial);
  resize(initial);
}

TKorvel200STxPrg::~TKorvel200STxPrg() {
  if (listenerIndex_ < app_.Controls.Listeners.size())
    app_.Controls.Listeners[listenerIndex_] = nullptr;
}

void TKorvel200STxPrg::BuildToolbar(QWidget* panel) {
  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(4, 2, 4, 2);
  row->setSpacing(2);
  for (const char* name : kToolbarButtons) {
    auto* b = new QToolButton(panel);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setMinimumSize(72, 34);
    // Space and Enter start Auto from anywhere in the window; a focused
    // button would take the same Space as its own click as well.
    b->setFocusPolicy(Qt::NoFocus);
    const std::string n = name;
    connect(b, &QToolButton::clicked, this, [this, n] { Trigger(n); });
    binder_->Bind(b, app_.Controls.Action(name));
    row->addWidget(b);
  }
  row->addStretch();
}

void TKorvel200STxPrg::BuildMenus() {
  std::map<std::string, QMenu*> menus;
  const auto& entries = MenuEntries();
  auto hasChildren = [&](const std::string& name) {
    for (const auto& e : entries)
      if (name == e.Parent) return true;
    return false;
  };
  for (const auto& e : entries) {
    QAction* action = nullptr;
    const std::string name = e.Name;
    if (*e.Parent == '\0' && hasChildren(name)) {
      QMenu* menu = menuBar()->addMenu(Q(e.Caption));
      menu->setObjectName(QString::fromLatin1(e.Name) + "Menu");
      menus[name] = menu;
      action = menu->menuAction();
    } else {
      auto it = menus.find(e.Parent);
      if (it != menus.end() && e.Separator) it->second->addSeparator();
      action = it != menus.end() ? it->second->addAction(Q(e.Caption))
                                 : menuBar()->addAction(Q(e.Caption));
      connect(action, &QAction::triggered, this, [this, name] { Trigger(name); });
    }
    action->setObjectName(QString::fromLatin1(e.Name));
    binder_->Bind(action, app_.Controls.Action(name));
  }
}

void TKorvel200STxPrg::BuildDataViewPopup() {
  auto* menu = new QMenu(eepDataView_);
  menu->setObjectName("PopupMenuOTP");
  for (const auto& e : DataViewPopupEntries()) {
    if (e.Separator) menu->addSeparator();
    QAction* action = menu->addAction(Q(e.Caption));
    action->setObjectName(QString::fromLatin1(e.Name));
    const std::string name = e.Name;
    connect(action, &QAction::triggered, this, [this, name] { Trigger(name); });
    binder_->Bind(action, app_.Controls.Action(name));
  }
  eepDataView_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(eepDataView_, &QWidget::customContextMenuRequested, menu, [this, menu](const QPoint& at) {
    menu->popup(eepDataView_->viewport()->mapToGlobal(at));
  });
}

void TKorvel200STxPrg::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("StatusBar1");
  bar->setSizeGripEnabled(false);
  for (int i = 0; i < 4; ++i) {
    panels_[i] = new QLabel(bar);
    panels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    panels_[i]->setFixedWidth(kPanelWidths[i]);
    panels_[i]->setFrameShape(QFrame::Panel);
    panels_[i]->setFrameShadow(QFrame::Sunken);
    bar->addWidget(panels_[i]);
  }
  binder_->Bind(panels_[0], app_.Controls.StatusPanels[0]);
  binder_->Bind(panels_[1], app_.Controls.StatusPanels[1]);
  // Panel 2 shows the path of the loaded file.
  QLabel* path = panels_[2];
  const std::string& text = app_.Controls.StatusPanels[2];
  binder_->Add([path, &text] { path->setText(FromFileName(text)); });
  binder_->Bind(panels_[3], app_.Controls.StatusPanels[3]);

  totals_ = new QLabel(bar);
  totals_->setObjectName("TotalsPanel");
  totals_->setFrameShape(QFrame::Panel);
  totals_->setFrameShadow(QFrame::Sunken);
  // The rest of the bar: at the opening size a five-digit count fits, and a
  // wider window gives it more.
  bar->addWidget(totals_, 1);
  RefreshTotals();
}

void TKorvel200STxPrg::RefreshTotals() {
  const QString text = Q(TotalsText(SessionChips(app_.Channels)));
  if (totals_->text() != text) totals_->setText(text);
}

QWidget* TKorvel200STxPrg::BuildHexTab(const char* name, const char* viewName,
                                       QTableView*& view) {
  auto* tab = new QWidget;
  tab->setObjectName(QString::fromLatin1(name));
  auto* box = new QVBoxLayout(tab);
  box->setContentsMargins(2, 2, 2, 2);
  view = new QTableView(tab);
  view->setObjectName(QString::fromLatin1(viewName));
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->verticalHeader()->hide();
  view->verticalHeader()->setDefaultSectionSize(18);
  view->horizontalHeader()->setDefaultSectionSize(25);
  view->setFont(CjkFont(12));
  // Stands in until the memory views bring their model.
  auto* model = new QStandardItemModel(0, 18, view);
  for (int col = 1; col <= 16; ++col)
    model->setHorizontalHeaderItem(col, new QStandardItem(QStringLiteral("  %1").arg(col - 1, 0, 16)));
  model->setHorizontalHeaderItem(0, new QStandardItem(QString()));
  model->setHorizontalHeaderItem(17, new QStandardItem(QString()));
  view->setModel(model);
  box->addWidget(view);
  return tab;
}

void TKorvel200STxPrg::ShowPage(const std::string& name) {
  if (auto* page = viewPageCtrl_->findChild<QWidget*>(Q(name))) viewPageCtrl_->setCurrentWidget(page);
}

void TKorvel200STxPrg::SetDisplayDefaults() {
  viewPageCtrl_->setCurrentIndex(0);
  FitHexColumns(*hexViewer_, 70);
  FitHexColumns(*eepDataView_, 73);
}

StartupHooks TKorvel200STxPrg::WindowStartupHooks() {
  StartupHooks h;
  h.ShowFirstSettingsTab = [this] { chipPage_->ShowFirstSettingsTab(); };
  h.SetDisplayDefaults = [this] { SetDisplayDefaults(); };
  h.LayoutGauges = [this](const GaugeLayout& layout) { chipPage_->LayoutGauges(layout); };
  h.EnableTimer2 = [this] { SetTimer2Enabled(true); };
  return h;
}

void TKorvel200STxPrg::SetActionHandler(const std::string& name, std::function<void()> handler) {
  handlers_[name] = std::move(handler);
}

void TKorvel200STxPrg::Trigger(const std::string& name) {
  auto it = handlers_.find(name);
  if (it != handlers_.end() && it->second) it->second();
}

void TKorvel200STxPrg::SetShutdownHooks(std::function<void()> closePorts,
                                        std::function<void()> finishLog) {
  shutdown_ = std::make_unique<ShutdownSequence>(
      ShutdownHooks{std::move(closePorts), std::move(finishLog), [this] { close(); }});
}

void TKorvel200STxPrg::ExitClick() { shutdown_->ExitClick(); }

void TKorvel200STxPrg::closeEvent(QCloseEvent* event) {
  const bool first = !shutdown_->Closed();
  shutdown_->FormClose();
  timer1_->stop();
  timer2_->stop();
  event->accept();
  if (first) emit closed();
}

void TKorvel200STxPrg::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  CenterOnScreen();
  QTimer::singleShot(0, this, [this] { if (OnFirstShow) OnFirstShow(); });
}

void TKorvel200STxPrg::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  // The bars above and below the pages keep their height: the page grows
  // by what the window grows beyond its opening size.
  chipPage_->SetExtra(size() - minimumSize());
}

void TKorvel200STxPrg::CenterOnScreen() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

void TKorvel200STxPrg::SetTimer2Enabled(bool on) {
  if (on) timer2_->start();
  else timer2_->stop();
}

bool TKorvel200STxPrg::Timer2Enabled() const { return timer2_->isActive(); }

void TKorvel200STxPrg::Timer1Tick() {
  if (OnTimer1) OnTimer1();
  chipPage_->RefreshGauges();
  RefreshTotals();
}

void TKorvel200STxPrg::ShowAbout() { about_->exec(); }

}  // namespace korvel::ui
