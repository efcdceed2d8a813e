#include <QCheckBox>
#include <QApplication>
#include <QLineEdit>
#include <set>
#include <QTest>

#include "WindowFixture.h"

namespace korvel::ui {
namespace {

struct KeyPreviewFixture : WindowFixture {
  int autoRuns = 0;
  KeyPreviewFixture() {
    window.AutoEntry = [this] { ++autoRuns; };
    window.show();
  }
  // The entry point runs queued, after the key reached the control.
  int Runs() {
    QCoreApplication::processEvents();
    return autoRuns;
  }
};

TEST_F(KeyPreviewFixture, SpaceInAnEditStartsAutoAndTheEditStillGetsIt) {
  Find<QCheckBox>("CheckBoxSN")->click();
  auto* edit = Find<QLineEdit>("GainEdit");
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, "1 2");
  EXPECT_EQ(edit->text(), QStringLiteral("1 2"));
  EXPECT_EQ(app.Controls.GainEdit.Text, "1 2");
  EXPECT_EQ(Runs(), 1);
}

TEST_F(KeyPreviewFixture, EnterStartsAutoOnceEvenThoughParentsSeeTheKeyToo) {
  auto* edit = Find<QLineEdit>("MCUNameEdit");
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(Runs(), 1);
  QTest::keyClick(edit, Qt::Key_Enter);
  EXPECT_EQ(Runs(), 2);
  QTest::keyClick(&window, Qt::Key_Space);
  EXPECT_EQ(Runs(), 3);
}

TEST_F(KeyPreviewFixture, OtherKeysAndOtherWindowsDoNotStartAuto) {
  auto* edit = Find<QLineEdit>("MCUNameEdit");
  QTest::keyClick(edit, Qt::Key_A);
  QTest::keyClick(edit, Qt::Key_Space, Qt::ControlModifier);
  QTest::keyClick(edit, Qt::Key_F3);
  QWidget other;
  other.show();
  QTest::keyClick(&other, Qt::Key_Space);
  EXPECT_EQ(Runs(), 0);
}

// Space on a focused toolbar button would click it as well as start Auto.
TEST_F(KeyPreviewFixture, TabNeverStopsOnAToolbarButton) {
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  auto* toolbar = Find<QWidget>("PanelBtns");
  Find<QLineEdit>("MCUNameEdit")->setFocus();
  std::set<QWidget*> visited;
  for (int i = 0; i < 80; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* now = QApplication::focusWidget();
    ASSERT_NE(now, nullptr);
    visited.insert(now);
    EXPECT_FALSE(toolbar->isAncestorOf(now)) << now->objectName().toStdString();
  }
  EXPECT_GT(visited.size(), 10u);
}

}  // namespace
}  // namespace korvel::ui
