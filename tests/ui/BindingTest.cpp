#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include "app/CaptureJobSettings.h"
#include "app/ChannelOps.h"
#include "ui/ChannelGauge.h"
#include "ui/ChipSettingPage.h"
#include "ui/ControlBinder.h"
#include "ui/InfoMemo.h"
#include "WindowFixture.h"

namespace korvel::ui {
namespace {

TEST_F(WindowFixture, ModelChangesReachTheWidgets) {
  MainControls& c = app.Controls;
  auto* autoBox = Find<QCheckBox>("ChkBoxAuto");
  auto* settleIn = Find<QSpinBox>("SpinEditIn");
  EXPECT_EQ(autoBox->text(), QStringLiteral("自动芯片检测"));
  EXPECT_FALSE(settleIn->isEnabled());
  EXPECT_EQ(settleIn->value(), 510);
  EXPECT_EQ(settleIn->singleStep(), 30);
  EXPECT_EQ(settleIn->minimum(), 300);
  EXPECT_EQ(settleIn->maximum(), 1500);

  c.ChkBoxAuto.Checked = true;
  c.SpinEditIn.Value = 900;
  c.SNEdit.Text = "0x00000011";
  c.RadioGpVolt.ItemIndex = 0;
  c.InfoPanelCaption = "Device = STM8S105K4";
  c.EepTabVisible = true;
  c.Action("LoadEEPDataFile1").Visible = true;
  c.Action("SpdBtnProg").Enabled = false;
  c.ApplyEnablingRules();
  c.Changed();

  EXPECT_TRUE(autoBox->isChecked());
  EXPECT_TRUE(settleIn->isEnabled());
  EXPECT_EQ(settleIn->value(), 900);
  EXPECT_EQ(Find<QLineEdit>("SNEdit")->text(), QStringLiteral("0x00000011"));
  auto radios = Find<QGroupBox>("RadioGpVolt")->findChildren<QRadioButton*>();
  ASSERT_EQ(radios.size(), 3);
  EXPECT_TRUE(radios[0]->isChecked());
  EXPECT_EQ(radios[2]->text(), QStringLiteral("1.8V"));
  EXPECT_EQ(Find<QLabel>("InfoPanel")->text(), QStringLiteral("Device = STM8S105K4"));
  EXPECT_TRUE(Find<QTabWidget>("ViewPageCtrl")->isTabVisible(2));
  EXPECT_TRUE(Find<QAction>("LoadEEPDataFile1")->isVisible());
  EXPECT_FALSE(Find<QWidget>("SpdBtnProg")->isEnabled());
}

TEST_F(WindowFixture, OperatorInputReachesTheModelAndTheCapture) {
  MainControls& c = app.Controls;
  std::vector<std::string> inputs;
  window.Binder()->OnInput = [&](const std::string& name) { inputs.push_back(name); };

  Find<QCheckBox>("CheckBoxCtrl")->click();
  EXPECT_TRUE(c.CheckBoxCtrl.Checked);
  EXPECT_TRUE(c.SpinEditNum.Enabled);
  EXPECT_TRUE(Find<QSpinBox>("SpinEditNum")->isEnabled());

  auto* volt = Find<QGroupBox>("RadioGpVolt")->findChildren<QRadioButton*>()[2];
  volt->click();
  EXPECT_EQ(c.RadioGpVolt.ItemIndex, 2);
  Find<QCheckBox>("ChkBoxVDD")->click();
  Find<QGroupBox>("RadioGrpRST")->findChildren<QRadioButton*>()[1]->click();
  Find<QCheckBox>("CheckBoxRun")->click();

  Find<QCheckBox>("CheckBoxSN")->click();
  auto* sn = Find<QLineEdit>("SNEdit");
  EXPECT_TRUE(sn->isEnabled());
  sn->selectAll();
  QTest::keyClicks(sn, "0x2A");
  EXPECT_EQ(c.SNEdit.Text, "0x2A");

  // A limit of 0 unticks the box in the model, and the window follows.
  JobSettings s;
  ASSERT_FALSE(CaptureJobSettings(c, s, {}));
  EXPECT_EQ(s.PowerFlags & kPowerVoltMask, 2);
  EXPECT_EQ(s.SignalFlags, 0x35);
  EXPECT_EQ(s.SnValue, 0x2Au);
  EXPECT_EQ(s.LimitFlag, 0x0F);
  EXPECT_FALSE(Find<QCheckBox>("CheckBoxCtrl")->isChecked());
  EXPECT_FALSE(Find<QSpinBox>("SpinEditNum")->isEnabled());

  EXPECT_EQ(inputs.front(), "CheckBoxCtrl");
  EXPECT_NE(std::find(inputs.begin(), inputs.end(), "RadioGpVolt"), inputs.end());
  EXPECT_EQ(inputs.back(), "SNEdit");
}

TEST_F(WindowFixture, InfoMemoMirrorsTheLogAndClearInformationEmptiesIt) {
  auto* memo = window.ChipPage()->Memo();
  EXPECT_TRUE(memo->isReadOnly());
  app.Log.HostLine("first");
  app.Log.ChannelLine(0, "ok");
  EXPECT_EQ(memo->toPlainText(), QStringLiteral("> 07:14:11 first\n> 07:14:11 Channel 1: ok"));
  auto* clear = memo->findChild<QAction*>("ClearInformation1");
  ASSERT_NE(clear, nullptr);
  EXPECT_EQ(clear->text(), QStringLiteral("Clear Information"));
  clear->trigger();
  EXPECT_TRUE(app.Log.Lines().empty());
  EXPECT_TRUE(memo->toPlainText().isEmpty());
}

TEST_F(WindowFixture, GaugesMirrorTheirChannelOnTheTimer1Tick) {
  int ticks = 0;
  window.OnTimer1 = [&] { ++ticks; };
  for (int c : {0, 1, 9}) app.Channels[c].Connected = true;
  StartChannelStep(app.Channels[0], 0, 64);
  StartChannelStep(app.Channels[9], 0, 64);
  app.Channels[0].Gauge.Progress = 16;
  FinishChannel(app.Channels[9], true);
  window.Timer1Tick();
  EXPECT_EQ(ticks, 1);
  ChannelGauge* g1 = window.ChipPage()->Gauge(0);
  ChannelGauge* g10 = window.ChipPage()->Gauge(9);
  EXPECT_EQ(g1->maximum(), 64);
  EXPECT_EQ(g1->value(), 16);
  EXPECT_EQ(g1->ShownColor(), kGaugeBlue);
  EXPECT_EQ(g10->value(), 64);
  EXPECT_EQ(g10->ShownColor(), kGaugeRed);
  EXPECT_EQ(GaugeColor(kGaugeRed), QColor(Qt::red));
  EXPECT_EQ(GaugeColor(kGaugeBlue), QColor(Qt::blue));
  EXPECT_TRUE(g10->styleSheet().contains(QStringLiteral("#ff0000")));

  // A block transfer of nothing must not become a busy indicator.
  StartChannelStep(app.Channels[1], 0, 0);
  FinishChannel(app.Channels[1], false);
  window.Timer1Tick();
  EXPECT_EQ(window.ChipPage()->Gauge(1)->maximum(), 1);
  EXPECT_EQ(window.ChipPage()->Gauge(1)->value(), 0);
}

TEST_F(WindowFixture, PortBoxShowsATextThatIsNoEntry) {
  MainControls& c = app.Controls;
  auto* box = Find<QComboBox>("ComboBoxCOM");
  c.ComboBoxCOMItems = {"/dev/ttyACM0", "/dev/ttyACM1"};
  c.ComboBoxCOMText = "/dev/ttyACM1";
  c.Changed();
  EXPECT_EQ(box->currentText(), QStringLiteral("/dev/ttyACM1"));

  c.ComboBoxCOMItems.clear();
  c.ComboBoxCOMText = "请连接设备......";
  c.Changed();
  EXPECT_EQ(box->currentIndex(), -1);
  EXPECT_EQ(box->placeholderText(), QStringLiteral("请连接设备......"));
  EXPECT_EQ(c.ComboBoxCOMText, "请连接设备......");

  c.ComboBoxCOMItems = {"/dev/ttyACM0"};
  c.ComboBoxCOMText = "/dev/ttyACM0";
  c.Changed();
  EXPECT_EQ(box->currentText(), QStringLiteral("/dev/ttyACM0"));
  EXPECT_TRUE(box->placeholderText().isEmpty());
}

}  // namespace
}  // namespace korvel::ui
