#include <QCheckBox>
#include <QLineEdit>
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

}  // namespace
}  // namespace korvel::ui
