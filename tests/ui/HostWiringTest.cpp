#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QTableView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "app/Clock.h"
#include "engine/Host.h"
#include "support/ClosedLink.h"
#include "target/ChecksumReport.h"
#include "ui/HostWiring.h"
#include "ui/MainWindow.h"
#include "ui/OfflineConfigForm.h"
#include "ui/logging/LogCfgForm.h"
#include "ui/target/ConfigSNForm.h"
#include "ui/options/OptionEditorDialog.h"
#include "ui/views/FormOfsAddr.h"
#include "UiTestSupport.h"

namespace korvel::ui {
namespace {

using testing_support::ClosedLink;

HostOptions ClosedPorts() {
  HostOptions o;
  o.Links = [](int) { return std::make_unique<ClosedLink>(); };
  o.ExplicitPorts = std::vector<std::string>{};
  return o;
}

// The window wired to a host, as the program builds it.
struct HostWindowFixture : ::testing::Test {
  FixedClock clock{MakeTime(2026, 12, 5, 7, 14, 11)};
  RecordingPrompts prompts;
  Host host{clock, prompts, ClosedPorts()};
  TKorvel200STxPrg window{host.App};
  ScratchDir scratch{"korvel_wired_"};
  std::filesystem::path dir = scratch.Path;
  int notified = 0;

  HostWindowFixture() {
    host.App.Flags.AppDir = dir.string();
    WireHost(window, host);
    host.App.Controls.Listeners.push_back([this] { ++notified; });
  }

  template <class T>
  T* Find(const char* name) {
    return FindNamed<T>(window, name);
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& m : prompts.Messages) t.push_back(m.Text);
    return t;
  }
  // Runs action with the modal dialog of the next exec handed to drive.
  template <class Dialog>
  void WithModal(const std::function<void(Dialog&)>& drive, const std::function<void()>& action) {
    bool driven = false;
    QTimer::singleShot(0, &window, [&] {
      auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
      ASSERT_NE(d, nullptr);
      driven = true;
      drive(*d);
    });
    action();
    EXPECT_TRUE(driven);
  }
};

TEST_F(HostWindowFixture, AutoWithoutAChipAsksForOne) {
  Find<QToolButton>("AutoSpdBtn")->click();
  EXPECT_EQ(Texts(), std::vector<std::string>{"请选择并确认芯片型号！"});
}

TEST_F(HostWindowFixture, SerialNumberBoxesReformatTheNumber) {
  Find<QAbstractButton>("CheckBoxSN")->click();
  auto* sn = Find<QLineEdit>("SNEdit");
  EXPECT_EQ(sn->text(), "0x00000000");
  host.App.Controls.SNEdit.Text = "0x00000100";
  Find<QAbstractButton>("ChkBoxStrSN")->click();
  EXPECT_TRUE(Find<QCheckBox>("ChkBoxSNDP")->isChecked());
  EXPECT_EQ(sn->text(), "256");
  Find<QAbstractButton>("ChkBoxSNDP")->click();
  EXPECT_EQ(sn->text(), "0x00000100");
  EXPECT_EQ(host.App.Settings.SnMode, kSnHex);
}

TEST_F(HostWindowFixture, FixedSerialDataGoesIntoTheImage) {
  Find<QAbstractButton>("CheckBoxSN")->click();
  Find<QPushButton>("ButtonCfgSN")->click();
  EXPECT_EQ(Texts(), std::vector<std::string>{"请先选择芯片并加载数据文件！"});
  ASSERT_FALSE(host.SelectChipByName("STM32F103xB"));
  host.App.Flags.ImageLoaded = true;
  WithModal<TConfigSNForm>(
      [](TConfigSNForm& d) {
        EXPECT_EQ(d.windowTitle(), "Config S/N Constant");
        EXPECT_EQ(FindNamed<QLineEdit>(d, "AddrEditSN")->text(), "0x08000000");
        EXPECT_FALSE(FindNamed<QCheckBox>(d, "ChkBoxSNEndin")->isVisible());
        QTest::keyClicks(FindNamed<QLineEdit>(d, "EditDataSN"), "ab");
        EXPECT_EQ(FindNamed<QLineEdit>(d, "EditDataSN")->text(), "AB");
        FindNamed<QPushButton>(d, "BitBtnOK")->click();
      },
      [this] { Find<QPushButton>("ButtonCfgSN")->click(); });
  EXPECT_EQ(host.Buffers.Main[0], 0x41);
  EXPECT_EQ(host.Buffers.Main[1], 0x42);
}

TEST_F(HostWindowFixture, FunctionKeysReachTheirOperations) {
  ASSERT_FALSE(host.SelectChipByName("STM32F103xB"));
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  // Download lists the option bytes before its checks; Auto does not.
  struct Case {
    Qt::Key Key;
    bool ListsOptionBytes;
  };
  for (const Case& c : {Case{Qt::Key_F4, true}, Case{Qt::Key_F5, false}}) {
    prompts.Messages.clear();
    const size_t before = host.App.Log.Lines().size();
    QTest::keyClick(&window, c.Key);
    EXPECT_EQ(Texts(), std::vector<std::string>{"请加载目标文件！"}) << c.Key;
    EXPECT_EQ(host.App.Log.Lines().size() > before, c.ListsOptionBytes) << c.Key;
  }
}

TEST_F(HostWindowFixture, LimitAndDetectionBoxesApplyAtOnceAndNotifyOnce) {
  MainControls& c = host.App.Controls;
  struct Case {
    const char* Box;
    std::vector<const char*> Spins;
  };
  for (const Case& k : {Case{"CheckBoxCtrl", {"SpinEditNum"}},
                        Case{"ChkBoxAuto", {"SpinEditIn", "SpinEditOut"}},
                        Case{"CheckBoxSN", {"SNEdit", "AddrEdit", "GainEdit", "ChkBoxStrSN"}}}) {
    for (bool on : {true, false}) {
      notified = 0;
      Find<QAbstractButton>(k.Box)->click();
      EXPECT_EQ(notified, 1) << k.Box;
      for (const char* spin : k.Spins) EXPECT_EQ(Find<QWidget>(spin)->isEnabled(), on) << spin;
      if (std::string(k.Box) == "CheckBoxCtrl") {
        EXPECT_EQ(c.CheckBoxCtrl.Checked, on);
        EXPECT_EQ(host.App.Settings.LimitFlag, on ? 0x0F : 0);
      }
    }
  }
}

TEST_F(HostWindowFixture, ChoosingOnePointEightVoltsWarnsOnlyWithoutSupport) {
  auto volts = Find<QGroupBox>("RadioGpVolt")->findChildren<QRadioButton*>();
  ASSERT_EQ(volts.size(), 3);
  volts[2]->click();
  EXPECT_EQ(Texts(), std::vector<std::string>{"Current Programmer do not Support 1.8V!"});
  EXPECT_EQ(host.App.Controls.RadioGpVolt.ItemIndex, 2);
  EXPECT_TRUE(volts[2]->isChecked());

  prompts.Messages.clear();
  volts[0]->click();
  host.App.Flags.Supports18V = true;
  volts[2]->click();
  EXPECT_TRUE(prompts.Messages.empty());
  EXPECT_EQ(host.App.Controls.RadioGpVolt.ItemIndex, 2);
}

// "烧写配置" is hidden in the menu; its key opens the dialog all the same.
TEST_F(HostWindowFixture, OfflineConfigureOpensByItsKeyAndWritesTheFlags) {
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  EXPECT_FALSE(window.findChild<QAction*>("PrgCfg1")->isVisible());
  host.App.Settings.OptionFlags = 0x01;
  WithModal<TPrgCfgForm>(
      [](TPrgCfgForm& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Off-Line Programming Configure"));
        EXPECT_FALSE(d.findChild<QCheckBox*>("ChkBoxBLK")->isChecked());
        EXPECT_TRUE(d.findChild<QCheckBox*>("ChkBoxOPG")->isChecked());
        d.findChild<QCheckBox*>("ChkBoxROP")->click();
        EXPECT_FALSE(d.findChild<QCheckBox*>("ChkBoxOPG")->isEnabled());
        EXPECT_FALSE(d.findChild<QCheckBox*>("ChkBoxOPG")->isChecked());
        d.findChild<QPushButton*>("BitBtnOK")->click();
      },
      [this] { QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier); });
  EXPECT_EQ(host.App.Settings.OptionFlags, 0xFF);
  EXPECT_EQ(host.App.Settings.PowerFlags & 0x80, 0x80);
  EXPECT_TRUE(host.App.Controls.ChkBoxIgnOptB.Checked);

  // Cancel leaves the flags alone.
  WithModal<TPrgCfgForm>(
      [](TPrgCfgForm& d) {
        d.findChild<QCheckBox*>("ChkBoxROP")->click();
        d.reject();
      },
      [this] { window.Trigger("PrgCfg1"); });
  EXPECT_EQ(host.App.Settings.OptionFlags, 0xFF);
}

TEST_F(HostWindowFixture, ConfigLogFileSavesTheConfigurationHoweverTheDialogCloses) {
  const auto cfg = dir / "VatLogX.cfg";
  auto read = [&cfg] { return ReadBytes(cfg); };
  WithModal<TLogCfgForm>(
      [](TLogCfgForm& d) {
        d.findChild<QGroupBox*>("RadioGrpCreat")->findChildren<QRadioButton*>()[1]->click();
        d.findChild<QGroupBox*>("RadioGrpMod")->findChildren<QRadioButton*>()[2]->click();
        d.findChild<QPushButton*>("OK")->click();
      },
      [this] { window.Trigger("ConfigLogFile1"); });
  EXPECT_EQ(read(), "[ConfigLog]\r\nEnLog\r\nCustomer\r\nCusDef2\r\nSpcFile=VatSTx2021.log\r\n[EndCfg]\r\n");
  EXPECT_TRUE(host.LogConfig.CustomerFile());

  WithModal<TLogCfgForm>(
      [](TLogCfgForm& d) {
        d.findChild<QCheckBox*>("CheckBoxLog")->click();
        d.reject();
      },
      [this] { window.Trigger("ConfigLogFile1"); });
  EXPECT_EQ(read(), "[ConfigLog]\r\nDnLog\r\nCustomer\r\nCusDef2\r\nSpcFile=VatSTx2021.log\r\n[EndCfg]\r\n");
  EXPECT_TRUE(prompts.Messages.empty());

  // An application folder that went away: reported, and the window goes on.
  host.App.Flags.AppDir = (dir / "gone").string();
  WithModal<TLogCfgForm>([](TLogCfgForm& d) { d.accept(); },
                         [this] { window.Trigger("ConfigLogFile1"); });
  EXPECT_EQ(Texts(), std::vector<std::string>{"Write Log Config File error!"});
  ASSERT_FALSE(host.App.Log.Lines().empty());
  EXPECT_NE(host.App.Log.Lines().back().find("Write Log Config File error!"), std::string::npos);
  EXPECT_TRUE(window.isEnabled());
}

TEST_F(HostWindowFixture, TheChipPanelAndPagesFollowTheChosenChip) {
  auto* tabs = Find<QTabWidget>("ViewPageCtrl");
  struct Case {
    const char* Chip;
    const char* Flash;
    const char* EepLabel;
    const char* Eep;
    const char* EepTab;
  };
  for (const Case& k : {Case{"STM8S105K4", "16K", "Data EEP: ", "1024Byte", "EEP Data"},
                        Case{"STM32F405xG", "1024K", "OTP Memory: ", "528Byte", "OTP Data"}}) {
    tabs->setCurrentIndex(1);
    ASSERT_FALSE(host.SelectChipByName(k.Chip)) << k.Chip;
    EXPECT_EQ(Find<QLineEdit>("MCUNameEdit")->text(), QString::fromLatin1(k.Chip));
    EXPECT_EQ(Find<QLabel>("lbFlashSize")->text(), QString::fromLatin1(k.Flash)) << k.Chip;
    EXPECT_EQ(Find<QLabel>("LabelEep")->text(), QString::fromLatin1(k.EepLabel)) << k.Chip;
    EXPECT_EQ(Find<QLabel>("lbEEPSize")->text(), QString::fromLatin1(k.Eep)) << k.Chip;
    EXPECT_TRUE(tabs->isTabVisible(2)) << k.Chip;
    EXPECT_EQ(tabs->tabText(2), QString::fromLatin1(k.EepTab)) << k.Chip;
    // The chip change brings the chip page forward once, not on every refresh.
    EXPECT_EQ(tabs->currentWidget()->objectName(), QStringLiteral("ChipSett")) << k.Chip;
    tabs->setCurrentIndex(1);
    host.App.Controls.Changed();
    EXPECT_EQ(tabs->currentIndex(), 1) << k.Chip;
  }

  // Opening a raw image asks for its offset and shows it in the flash page.
  const auto image = dir / "image.bin";
  std::ofstream(image, std::ios::binary) << std::string(256, '\x5a');
  tabs->setCurrentIndex(0);
  prompts.FileNames = {image.string()};
  WithModal<FormOfsAddr>([](FormOfsAddr& d) { d.accept(); }, [this] { window.Trigger("SpdBtnOpen"); });
  EXPECT_TRUE(host.App.Flags.ImageLoaded);
  EXPECT_EQ(tabs->currentWidget()->objectName(), QStringLiteral("TabSheetFlash"));
}

TEST_F(HostWindowFixture, OptionByteButtonOpensTheEditorDispatch) {
  auto* button = Find<QPushButton>("BitBtnOptCfg");
  EXPECT_EQ(button->text(), QStringLiteral("Option Byte 设置"));
  button->click();
  EXPECT_EQ(Texts(), std::vector<std::string>{"Please Select Chip Type First!"});

  ASSERT_FALSE(host.SelectChipByName("STM32F103xB"));
  const size_t before = host.App.Log.Lines().size();
  WithModal<OptionEditorDialog>(
      [](OptionEditorDialog& d) {
        EXPECT_EQ(d.objectName(), QStringLiteral("TSTM32F1xOptByteForm"));
        EXPECT_EQ(d.windowTitle(), QStringLiteral("STM32F103xB Option Byte Setting"));
        d.findChild<QRadioButton*>(QStringLiteral("STM32xEROP"))->click();
        d.reject();
      },
      [button] { button->click(); });
  const auto& lines = host.App.Log.Lines();
  ASSERT_EQ(lines.size(), before + 2);
  EXPECT_EQ(lines[before], "> Option Byte: 00 ff ff ff ff ff ff ff ");
  EXPECT_EQ(lines[before + 1].rfind("> Option Buffer: 00 ff ff 00", 0), 0u);
}

TEST_F(HostWindowFixture, BlueToothProtectionWordGoesIntoTheImageWithFreshCheckValues) {
  ASSERT_FALSE(host.SelectChipByName("BlueNRG-232"));
  ReportChecksums(host.Images());  // as after loading the image
  const uint16_t before = host.Buffers.FlashCrc;
  for (int i = 0; i < 8; ++i) host.Options[i] = static_cast<uint8_t>(0x30 + i);
  WithModal<OptionEditorDialog>([](OptionEditorDialog& d) { d.reject(); },
                                [this] { Find<QPushButton>("BitBtnOptCfg")->click(); });
  const size_t last = host.Chip.FlashEnd - host.Chip.FlashBase;
  EXPECT_EQ(host.Buffers.Main[last - 7], 0x30);
  EXPECT_EQ(host.Buffers.Main[last], 0x37);
  QAbstractItemModel* flash = window.HexViewer()->model();
  EXPECT_EQ(flash->data(flash->index(flash->rowCount() - 1, 16)).toString(), QStringLiteral("37"));
  const uint16_t after = host.Buffers.FlashCrc;
  EXPECT_NE(after, before);
  ReportChecksums(host.Images());
  EXPECT_EQ(host.Buffers.FlashCrc, after);
}

TEST_F(HostWindowFixture, DataViewPopUpLoadsAndFills) {
  auto* popup = Find<QMenu>("PopupMenuOTP");
  ASSERT_NE(popup, nullptr);
  struct Entry {
    const char* Text;
    bool Visible;
  };
  const Entry expected[] = {{"Load File", true},
                            {"Fill All to 00", true},
                            {"Fill all to FF", true},
                            {"Fill Cell to 00", false},
                            {"Fill Cell to FF", false}};
  QList<QAction*> entries;
  for (QAction* a : popup->actions())
    if (!a->isSeparator()) entries << a;
  ASSERT_EQ(entries.size(), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(entries[i]->text(), QString::fromUtf8(expected[i].Text));
    EXPECT_EQ(entries[i]->isVisible(), expected[i].Visible) << expected[i].Text;
  }

  ASSERT_FALSE(host.SelectChipByName("STM8S105K4"));
  const auto eep = dir / "eep.bin";
  std::ofstream(eep, std::ios::binary) << std::string(4, '\x11');
  prompts.FileNames = {eep.string()};
  entries[0]->trigger();
  QAbstractItemModel* view = window.EEPDataView()->model();
  EXPECT_EQ(view->data(view->index(0, 1)).toString(), QStringLiteral("11"));
  EXPECT_TRUE(host.App.Controls.EnWrtEep.Checked);

  entries[2]->trigger();
  EXPECT_EQ(host.Buffers.Main[0x4000], 0xFF);
  EXPECT_EQ(host.Buffers.Main[0x43FF], 0xFF);
  EXPECT_EQ(view->data(view->index(63, 16)).toString(), QStringLiteral("ff"));
  entries[1]->trigger();
  EXPECT_EQ(host.Buffers.Main[0x4000], 0x00);
  EXPECT_EQ(view->data(view->index(0, 1)).toString(), QStringLiteral("00"));
}

TEST_F(HostWindowFixture, ProductEditShowsTheLoadedFileAndTakesTheOperatorsName) {
  ASSERT_FALSE(host.SelectChipByName("STM8S105K4"));
  const auto image = dir / "产品.hex";
  std::ofstream(image) << ":048000000102030472\n:00000001FF\n";
  prompts.FileNames = {image.string()};
  window.Trigger("SpdBtnOpen");
  auto* product = Find<QLineEdit>("ProductEdit");
  EXPECT_EQ(product->text(), QStringLiteral("产品.hex"));
  EXPECT_EQ(Find<QLabel>("StatusPanel2")->text(), QString::fromStdString(image.string()));

  product->setFocus();
  product->selectAll();
  QTest::keyClicks(product, "Meter-7");
  EXPECT_EQ(host.App.Controls.ProductEdit.Text, "Meter-7");
  host.RefreshJob();
  EXPECT_EQ(host.Job().ProductName, "Meter-7");
}

TEST_F(HostWindowFixture, ChangingTheChipReshapesBothHexViews) {
  QAbstractItemModel* flash = window.HexViewer()->model();
  QAbstractItemModel* data = window.EEPDataView()->model();
  struct Case {
    const char* Chip;
    int FlashRows;
    const char* FirstFlash;
    int DataRows;
    const char* FirstData;
  };
  for (const Case& k : {Case{"STM8S105K4", 1024, "0x008000", 64, "0x00004000"},
                        Case{"STM32F405xG", 65536, "0x8000000", 33, "0x1fff7800"},
                        Case{"STM32F103xB", 8192, "0x8000000", 0, nullptr}}) {
    ASSERT_FALSE(host.SelectChipByName(k.Chip)) << k.Chip;
    EXPECT_EQ(flash->rowCount(), k.FlashRows) << k.Chip;
    EXPECT_EQ(flash->data(flash->index(0, 0)).toString(), QString::fromLatin1(k.FirstFlash));
    EXPECT_EQ(data->rowCount(), k.DataRows) << k.Chip;
    if (k.FirstData) {
      EXPECT_EQ(data->data(data->index(0, 0)).toString(), QString::fromLatin1(k.FirstData));
    }
  }
}

// The menu's save writes the job; a later open brings it back over another
// one, in the buffers, the hex views and the controls alike.
TEST_F(HostWindowFixture, ProjectMenuSaveThenOpenRoundTripsTheJob) {
  ASSERT_FALSE(host.SelectChipByName("STM8S105K4"));
  const auto image = dir / "meter.hex";
  std::ofstream(image) << ":048000000102030472\n:00000001FF\n";
  ASSERT_FALSE(host.LoadObjectFileByName(image.string(), true));
  for (int i = 0; i < 1024; ++i) host.Buffers.Main[0x4000 + i] = static_cast<uint8_t>(0x40 + i);
  Find<QAbstractButton>("CheckBoxCtrl")->click();
  Find<QSpinBox>("SpinEditNum")->setValue(500);
  const auto project = (dir / "meter.PKV").string();
  prompts.FileNames = {project};
  window.Trigger("SavetoProjectFile1");
  EXPECT_EQ(Texts(), std::vector<std::string>{"Created Project File : " + project});

  // Another job in the window.
  ASSERT_FALSE(host.SelectChipByName("STM32F103xB"));
  Find<QAbstractButton>("CheckBoxCtrl")->click();
  ASSERT_FALSE(Find<QAbstractButton>("CheckBoxCtrl")->isChecked());

  prompts.Messages.clear();
  prompts.FileNames = {project};
  window.Trigger("LoadFromProjectFile1");
  EXPECT_EQ(Texts(), std::vector<std::string>{"Project File Open Success!"});
  EXPECT_EQ(Find<QLineEdit>("MCUNameEdit")->text(), QStringLiteral("STM8S105K4"));
  EXPECT_TRUE(Find<QAbstractButton>("CheckBoxCtrl")->isChecked());
  EXPECT_EQ(Find<QSpinBox>("SpinEditNum")->value(), 500);
  EXPECT_EQ(host.Buffers.Main[0x8003], 0x04);
  EXPECT_EQ(host.Buffers.Main[0x4001], 0x41);
  QAbstractItemModel* flash = window.HexViewer()->model();
  EXPECT_EQ(flash->data(flash->index(0, 0)).toString(), QStringLiteral("0x008000"));
  EXPECT_EQ(flash->data(flash->index(0, 4)).toString(), QStringLiteral("04"));
  QAbstractItemModel* data = window.EEPDataView()->model();
  EXPECT_EQ(data->data(data->index(0, 2)).toString(), QStringLiteral("41"));
  // The next operation starts from the opened job.
  EXPECT_EQ(host.Job().Chip.ChipName, "STM8S105K4");
  EXPECT_EQ(host.Job().Settings.MaxCount, 500u);
}

}  // namespace
}  // namespace korvel::ui

namespace korvel::ui {
namespace {

// "Do Firmware Upgrade" reaches the upgrade: without the file it says so,
// with a good file but no unit it finds nobody to upgrade.
TEST_F(HostWindowFixture, FirmwareUpgradeEntryChecksTheFileAndTheUnits) {
  QAction* entry = window.findChild<QAction*>("DoFirmwareUpgrade1");
  ASSERT_NE(entry, nullptr);
  entry->trigger();
  ASSERT_FALSE(prompts.Messages.empty());
  EXPECT_EQ(prompts.Messages.back().Text, "文件\"TroxSTX.FWR\"没有找到，请确认！");

  uint32_t seed = 1;
  const std::vector<uint8_t> body(100, 0x42);
  const auto file = MakeFirmwareFile(body, FirmwareEndFor(body.size()), [&seed] { return seed *= 69069u; });
  std::ofstream(dir / "TroxSTX.FWR", std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  host.Firmware().Load((dir / "TroxSTX.FWR").string());
  ASSERT_TRUE(host.Firmware().Valid());
  entry->trigger();
  EXPECT_EQ(prompts.Messages.back().Text, "No Device is Connected!");
}

}  // namespace
}  // namespace korvel::ui
