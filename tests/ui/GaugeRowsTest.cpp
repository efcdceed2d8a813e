#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableView>
#include <QToolButton>

#include "app/ChannelOps.h"
#include "ui/ChannelGauge.h"
#include "ui/ChipSettingPage.h"
#include "ui/InfoMemo.h"
#include "WindowFixture.h"

namespace korvel::ui {
namespace {

void Auto(ChannelState& ch, ChannelResult result, const std::string& text) {
  ch.AutoChain = true;
  ch.Step = 5;
  StartChannelStep(ch, 500, 64);
  FinishChannel(ch, {result, 0, text});
}

// Where a widget sits in the window's own coordinates.
QRect InWindow(const QWidget* w, const QWidget* window) {
  return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
}

TEST_F(WindowFixture, GaugeRowsShowChannelPortCountsAndTheResult) {
  FormShow(6);  // gauges 1..8 shown, channels 7 and 8 without a port
  window.ChipPage()->SetChannelSources(
      {[](int c) { return c < 6 ? "/dev/ttyACM" + std::to_string(c) : std::string(); },
       [](int c) { return c < 6; }, nullptr});
  for (int c = 0; c < 5; ++c) app.Channels[c].Connected = true;
  Auto(app.Channels[0], ChannelResult::Success, "Programming Success! SN 0x00000100");
  Auto(app.Channels[1], ChannelResult::Failure, "数据校验错误！");
  Auto(app.Channels[2], ChannelResult::Timeout, "操作超时！");
  app.Channels[3].OkCount = 12;  // chips its unit programmed alone
  app.Channels[3].NgCount = 1;
  StartChannelStep(app.Channels[4], 500, 64);
  app.Channels[4].Gauge.Progress = 250;
  window.Timer1Tick();

  struct Row {
    int Channel;
    const char* Name;
    const char* Counts;
    const char* Bar;
    bool NoUnit;
    uint32_t Color;
  };
  const Row rows[] = {
      {0, "Channel 1  ttyACM0", "OK 1  NG 0", "Programming Success! SN 0x00000100", false, kGaugeBlue},
      {1, "Channel 2  ttyACM1", "OK 0  NG 1", "数据校验错误！", false, kGaugeRed},
      {2, "Channel 3  ttyACM2", "OK 0  NG 1", "操作超时！", false, kGaugeRed},
      {3, "Channel 4  ttyACM3", "OK 12  NG 1", "0%", false, kGaugeBlue},
      {4, "Channel 5  ttyACM4", "OK 0  NG 0", "50%", false, kGaugeBlue},
      {5, "Channel 6  ttyACM5", "OK 0  NG 0", "no unit", true, kGaugeBlue},
      {7, "Channel 8", "OK 0  NG 0", "no unit", true, kGaugeBlue},
  };
  ChipSettingPage* page = window.ChipPage();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Name);
    EXPECT_EQ(page->GaugeName(r.Channel)->toolTip(), QString::fromUtf8(r.Name));
    EXPECT_EQ(page->GaugeCounts(r.Channel)->text(), QString::fromUtf8(r.Counts));
    ChannelGauge* g = page->Gauge(r.Channel);
    EXPECT_EQ(g->text(), QString::fromUtf8(r.Bar));
    EXPECT_EQ(g->ShowsNoUnit(), r.NoUnit);
    EXPECT_EQ(page->GaugeName(r.Channel)->isEnabled(), !r.NoUnit);
    EXPECT_EQ(g->ShownColor(), r.Color);
    // The red of a failure stays on a full bar; a missing unit shows none.
    if (r.NoUnit) {
      EXPECT_EQ(g->value(), 0);
    }
    if (r.Color == kGaugeRed) {
      EXPECT_EQ(g->value(), g->maximum());
    }
  }
  EXPECT_FALSE(page->GaugeName(8)->isVisibleTo(page));

  auto* totals = Find<QLabel>("TotalsPanel");
  ASSERT_NE(totals, nullptr);
  EXPECT_EQ(totals->text(), QStringLiteral("OK 13  NG 3  Yield 81.3%"));
  // The next Auto on channel 2 turns its word back into the percentage.
  app.Channels[1].Step = 5;
  StartChannelStep(app.Channels[1], 500, 64);
  window.Timer1Tick();
  EXPECT_EQ(page->Gauge(1)->text(), QStringLiteral("0%"));
}

TEST_F(WindowFixture, TheLogAndTheViewsTakeTheRoomOfALargerWindow) {
  window.show();
  FormShow(10);
  QApplication::processEvents();
  ChipSettingPage* page = window.ChipPage();
  const GaugeLayout part = GaugeLayoutFor(10);
  // At its opening size the window keeps the given geometry.
  EXPECT_EQ(page->Memo()->height(), part.MemoHeight);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(page->Gauge(i)->y(), part.Tops[i]) << i;
  const QRect memoBefore = page->Memo()->geometry();
  const int pageHeight = page->height();
  window.ShowPage("TabSheetFlash");
  const QSize gridBefore = window.HexViewer()->size();
  window.ShowPage("ChipSett");

  window.resize(1600, 1000);
  QApplication::processEvents();
  const int grown = page->height() - pageHeight;
  ASSERT_GT(grown, 300);
  EXPECT_EQ(page->Memo()->height(), part.MemoHeight + grown);
  EXPECT_GT(page->Memo()->width(), memoBefore.width() + 600);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(page->Gauge(i)->y(), part.Tops[i] + grown) << i;
  EXPECT_LE(page->Gauge(9)->geometry().bottom(), page->height());
  EXPECT_GT(page->Gauge(0)->width(), 800);
  window.ShowPage("TabSheetFlash");
  EXPECT_GT(window.HexViewer()->height(), gridBefore.height() + 300);
  EXPECT_GT(window.HexViewer()->width(), gridBefore.width() + 600);

  // Back at the opening size, back to the given geometry.
  window.ShowPage("ChipSett");
  window.resize(window.minimumSize());
  QApplication::processEvents();
  EXPECT_EQ(page->Memo()->geometry(), memoBefore);
  EXPECT_EQ(page->Gauge(9)->y(), part.Tops[9]);
}

TEST_F(WindowFixture, EveryGaugeAndButtonIsInsideTheWindowAtEachSize) {
  window.show();
  FormShow(10);
  window.ChipPage()->SetChannelSources(
      {[](int c) { return "/dev/ttyACM" + std::to_string(c + 10); }, nullptr, nullptr});
  for (ChannelState& ch : app.Channels) {
    ch.Connected = true;
    ch.OkCount = 9999;
    ch.NgCount = 999;
  }
  QApplication::processEvents();
  for (QSize size : {window.minimumSize(), QSize(1280, 800), QSize(1920, 1080)}) {
    window.resize(size);
    QApplication::processEvents();
    window.Timer1Tick();
    const QRect inside = window.rect();
    SCOPED_TRACE(size.width());
    ChipSettingPage* page = window.ChipPage();
    for (int i = 0; i < 10; ++i) {
      for (QWidget* w : std::initializer_list<QWidget*>{page->Gauge(i), page->GaugeName(i), page->GaugeCounts(i)})
        EXPECT_TRUE(inside.contains(InWindow(w, &window))) << w->objectName().toStdString();
      // Nothing cut short: the labels hold their texts in their own font.
      QLabel* counts = page->GaugeCounts(i);
      EXPECT_LE(counts->fontMetrics().horizontalAdvance(counts->text()), counts->width());
      EXPECT_EQ(page->GaugeName(i)->text(), page->GaugeName(i)->toolTip());
      EXPECT_LE(InWindow(page->GaugeName(i), &window).right(), InWindow(page->Gauge(i), &window).left());
    }
    for (QToolButton* b : window.findChildren<QToolButton*>()) {
      if (b->isVisible()) {
        EXPECT_TRUE(inside.contains(InWindow(b, &window))) << b->objectName().toStdString();
      }
    }
    for (const char* name : {"BitBtnFindDev", "ComboBoxCOM", "DevButton", "BitBtnOptCfg", "InfoMemo",
                             "InfoPanel", "TotalsPanel", "StatusPanel3"}) {
      auto* w = Find<QWidget>(name);
      ASSERT_NE(w, nullptr) << name;
      EXPECT_TRUE(inside.contains(InWindow(w, &window))) << name;
    }
    auto* totals = Find<QLabel>("TotalsPanel");
    EXPECT_GT(totals->x(), Find<QLabel>("StatusPanel3")->x());
    EXPECT_LE(totals->fontMetrics().horizontalAdvance(totals->text()), totals->contentsRect().width());
  }
}

}  // namespace
}  // namespace korvel::ui
