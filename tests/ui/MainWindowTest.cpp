#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

#include "app/MenuTable.h"
#include "ui/ChannelGauge.h"
#include "ui/ChipSettingPage.h"
#include "ui/InfoMemo.h"
#include "WindowFixture.h"

namespace korvel::ui {
namespace {

TEST_F(WindowFixture, HasItsTitleSizeAndEveryNamedControl) {
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvel200ST8 Programmer Wizard"));
  EXPECT_EQ(window.width(), 908);
  EXPECT_EQ(window.height(), 589 + window.menuBar()->sizeHint().height());
  // It may grow, never shrink below the size its controls are placed for.
  EXPECT_EQ(window.minimumSize(), window.size());
  EXPECT_GT(window.maximumWidth(), 4000);
  for (const char* name :
       {"PanelBtns", "ViewPageCtrl", "ChipSett", "TabSheetFlash", "TabSheetEEP", "HexViewer",
        "EEPDataView", "PageControlSet", "InfoPanel", "InfoMemo", "StatusBar1", "ComboBoxCOM",
        "BitBtnFindDev", "DevButton", "MCUNameEdit", "RadioGrpSpdF", "RadioGpVolt", "RadioGrpRST",
        "ChkBoxNotBlk", "ChkBoxIgnOptB", "EnWrtEep", "VfyChkBox", "SNOrderChk", "ChkBoxSNDP",
        "CheckBoxSN", "SNEdit", "GainEdit", "AddrEdit", "ChkBoxPCSN", "ChkBoxStrSN",
        "ButtonCfgSN", "ChkBoxAuto", "SpinEditIn", "SpinEditOut", "CheckBoxCtrl", "SpinEditNum",
        "ChkBoxVDD", "CheckBoxRun", "SpinEditVddTim", "SpinEditRstTim", "Timer1", "Timer2"})
    EXPECT_NE(window.findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
  for (int i = 1; i <= 10; ++i)
    EXPECT_NE(window.findChild<QProgressBar*>(QStringLiteral("Gauge%1").arg(i)), nullptr) << i;

  auto* tabs = Find<QTabWidget>("ViewPageCtrl");
  EXPECT_EQ(tabs->tabText(0), QStringLiteral("Chip Setting"));
  EXPECT_EQ(tabs->tabText(1), QStringLiteral("Main Flash"));
  EXPECT_FALSE(tabs->isTabVisible(2));
  auto* set = Find<QTabWidget>("PageControlSet");
  EXPECT_EQ(set->tabText(0), QStringLiteral("序列号设置"));
  EXPECT_EQ(set->tabText(1), QStringLiteral("数量设置和芯片检测"));
  EXPECT_EQ(set->tabText(2), QStringLiteral("信号输出控制"));
  EXPECT_EQ(Find<QLabel>("InfoPanel")->text(), QStringLiteral("Device = ??????"));
}

TEST_F(WindowFixture, MenusAndToolbarFollowTheirTables) {
  for (const auto& e : MenuEntries()) {
    auto* a = Find<QAction>(e.Name);
    if (!a) continue;
    EXPECT_EQ(a->text(), QString::fromUtf8(e.Caption)) << e.Name;
    EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(e.Shortcut))) << e.Name;
    EXPECT_EQ(a->isVisible(), e.Visible) << e.Name;
  }
  EXPECT_EQ(Find<QAction>("About1")->shortcut(), QKeySequence(Qt::Key_F1));
  for (const char* name : kToolbarButtons) {
    auto* b = Find<QToolButton>(name);
    const ActionState& s = app.Controls.Action(name);
    EXPECT_EQ(b->text(), QString::fromStdString(s.Caption)) << name;
    EXPECT_EQ(b->toolTip(), QString::fromStdString(s.Hint)) << name;
    EXPECT_EQ(b->isVisibleTo(&window), s.Visible) << name;
  }
  EXPECT_EQ(Find<QToolButton>("SpdBtnExit")->text(), QStringLiteral("退出"));
  EXPECT_FALSE(Find<QToolButton>("SpdBtnBlankChk")->isVisibleTo(&window));

  const char* texts[4] = {"文件校验和：", "芯片校验和：", "", "联机计数器：0"};
  const int widths[4] = {130, 130, 300, 120};
  for (int i = 0; i < 4; ++i) {
    auto* panel = window.findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(i));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->text(), QString::fromUtf8(texts[i]));
    EXPECT_EQ(panel->width(), widths[i]);
  }
}

TEST_F(WindowFixture, GaugeColumnFollowsTheChannelCount) {
  struct Case {
    int Count;
    int Shown;
    std::vector<int> Tops;
    int MemoHeight;
  };
  const Case cases[] = {
      {1, 4, {417, 436, 455, 475}, 380},
      {6, 8, {339, 359, 378, 397, 417, 436, 455, 475}, 302},
      {10, 10, {301, 320, 339, 359, 378, 397, 417, 436, 455, 475}, 262},
  };
  for (const auto& c : cases) {
    FormShow(c.Count);
    QWidget* page = window.ChipPage();
    for (int i = 0; i < 10; ++i) {
      QProgressBar* g = window.ChipPage()->Gauge(i);
      EXPECT_EQ(g->isVisibleTo(page), i < c.Shown) << c.Count << " gauge " << i + 1;
      if (i < c.Shown) {
        EXPECT_EQ(g->y(), c.Tops[i]) << c.Count << " gauge " << i + 1;
      }
    }
    EXPECT_EQ(window.ChipPage()->Memo()->height(), c.MemoHeight) << c.Count;
    EXPECT_LE(window.ChipPage()->Memo()->geometry().bottom(), c.Tops[0]) << c.Count;
  }
}

TEST_F(WindowFixture, FirstShowGreetsEnablesTimer2AndShowsTheFirstTabs) {
  Find<QTabWidget>("ViewPageCtrl")->setCurrentIndex(1);
  Find<QTabWidget>("PageControlSet")->setCurrentIndex(2);
  EXPECT_FALSE(window.Timer2Enabled());
  FormShow();
  EXPECT_TRUE(window.Timer2Enabled());
  EXPECT_EQ(Find<QTabWidget>("ViewPageCtrl")->currentIndex(), 0);
  EXPECT_EQ(Find<QTabWidget>("PageControlSet")->currentIndex(), 0);
  EXPECT_EQ(window.ChipPage()->Memo()->toPlainText().split('\n').first(),
            QStringLiteral("> 07:14:11 Hello KorvelVatX-ST User! ------ 2026-12-05"));
  // The usual widths, or more where the font in use needs room for an
  // eight-digit address.
  for (QTableView* grid : {window.HexViewer(), window.EEPDataView()}) {
    const int address = QFontMetrics(grid->font()).horizontalAdvance(QStringLiteral("0x1fff7800"));
    EXPECT_GT(grid->columnWidth(0), address) << grid->objectName().toStdString();
    EXPECT_GE(grid->columnWidth(17), 130);
  }
  EXPECT_GE(window.HexViewer()->columnWidth(0), 70);
  EXPECT_GE(window.EEPDataView()->columnWidth(0), 73);
  EXPECT_EQ(window.HexViewer()->model()->headerData(11, Qt::Horizontal).toString(),
            QStringLiteral("  a"));
}

TEST_F(WindowFixture, CommandLineWithOffInLowerCaseHidesTheEightButtons) {
  FormShow(10, {"job.PKV", "off"});
  EXPECT_TRUE(app.Flags.CommandLineMode);
  EXPECT_TRUE(app.Flags.ExitAfterDownload);
  for (const char* name : kCommandLineHiddenButtons)
    EXPECT_FALSE(Find<QToolButton>(name)->isVisibleTo(&window)) << name;
  EXPECT_TRUE(Find<QToolButton>("SpdBtnExit")->isVisibleTo(&window));
  EXPECT_TRUE(Find<QToolButton>("SpdBtnDownLoad")->isVisibleTo(&window));
}

}  // namespace
}  // namespace korvel::ui
