#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <fstream>

#include "app/Clock.h"
#include "ui/logging/LogCfgForm.h"
#include "UiTestSupport.h"

namespace {

using korvel::PromptKind;
using korvel::ui::ReadBytes;

struct LogCfgFormFixture : ::testing::Test {
  korvel::LogConfigForm model;
  korvel::RecordingPrompts prompts;
  TLogCfgForm dialog{model, prompts};
  korvel::ui::ScratchDir scratch{"korvel_logcfg_"};
  std::filesystem::path dir = scratch.Path;

  template <class T>
  T* Find(const char* name) {
    return korvel::ui::FindNamed<T>(dialog, name);
  }
  QRadioButton* Item(const char* group, int i) {
    return Find<QGroupBox>(group)->findChildren<QRadioButton*>()[i];
  }
  // Enabled state of the four controls the two top controls govern.
  std::vector<bool> Governed() {
    return {Find<QGroupBox>("RadioGrpCreat")->isEnabled(), Find<QGroupBox>("RadioGrpMod")->isEnabled(),
            Find<QPushButton>("SpeedButtonOP")->isEnabled(), Find<QLineEdit>("EditLogName")->isEnabled()};
  }
};

TEST_F(LogCfgFormFixture, ShowsEveryControlWithItsCaptionAndDefault) {
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Config Log File."));
  EXPECT_TRUE(dialog.isModal());
  auto* log = Find<QCheckBox>("CheckBoxLog");
  EXPECT_EQ(log->text(), QStringLiteral("生成Logog文件"));
  EXPECT_TRUE(log->isChecked());
  EXPECT_EQ(Find<QGroupBox>("RadioGrpCreat")->title(), QStringLiteral("Log文件生成方式"));
  EXPECT_EQ(Item("RadioGrpCreat", 0)->text(), QStringLiteral("系统自动生成Logo文件"));
  EXPECT_EQ(Item("RadioGrpCreat", 1)->text(), QStringLiteral("客户指定Log文件"));
  EXPECT_TRUE(Item("RadioGrpCreat", 0)->isChecked());
  EXPECT_EQ(Find<QLabel>("LabelLogName")->text(), QStringLiteral("指定Log文件名：       "));
  EXPECT_EQ(Find<QLineEdit>("EditLogName")->text(), QStringLiteral("VatSTx2021.log"));
  EXPECT_EQ(Find<QPushButton>("SpeedButtonOP")->text(), QStringLiteral("浏览"));
  EXPECT_EQ(Find<QGroupBox>("RadioGrpMod")->title(), QStringLiteral("客户Log文件配置"));
  const char* modes[] = {"生成新的文件", "覆盖原文件", "追加到原文件尾部"};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Item("RadioGrpMod", i)->text(), QString::fromUtf8(modes[i]));
  EXPECT_TRUE(Item("RadioGrpMod", 0)->isChecked());
  EXPECT_EQ(Find<QPushButton>("OK")->text(), QStringLiteral("OK"));
  EXPECT_EQ(Governed(), (std::vector<bool>{true, false, false, false}));
}

TEST_F(LogCfgFormFixture, ClicksFollowTheModelsRules) {
  Item("RadioGrpCreat", 1)->click();
  EXPECT_TRUE(model.CustomerFile());
  EXPECT_EQ(Governed(), (std::vector<bool>{true, true, true, true}));
  Item("RadioGrpMod", 2)->click();
  EXPECT_EQ(model.RadioGrpMod.ItemIndex, korvel::kLogModeAppend);

  // Going back to the system item resets the mode to its first item.
  Item("RadioGrpCreat", 0)->click();
  EXPECT_EQ(Governed(), (std::vector<bool>{true, false, false, false}));
  EXPECT_TRUE(Item("RadioGrpMod", 0)->isChecked());
  EXPECT_EQ(model.RadioGrpMod.ItemIndex, korvel::kLogModeNew);

  Find<QCheckBox>("CheckBoxLog")->click();
  EXPECT_FALSE(model.LogEnabled());
  EXPECT_EQ(Governed(), (std::vector<bool>{false, false, false, false}));
  Find<QCheckBox>("CheckBoxLog")->click();
  EXPECT_EQ(Governed(), (std::vector<bool>{true, true, true, true}));

  prompts.FileNames = {std::string("/tmp/chosen.log"), std::nullopt};
  Find<QPushButton>("SpeedButtonOP")->click();
  EXPECT_EQ(Find<QLineEdit>("EditLogName")->text(), QStringLiteral("/tmp/chosen.log"));
  // A cancelled browse keeps the name.
  Find<QPushButton>("SpeedButtonOP")->click();
  EXPECT_EQ(model.EditLogName.Text, "/tmp/chosen.log");
}

TEST_F(LogCfgFormFixture, OkWithoutACustomerFileNameKeepsTheDialogOpen) {
  dialog.show();
  Item("RadioGrpCreat", 1)->click();
  auto* name = Find<QLineEdit>("EditLogName");
  name->clear();
  emit name->textEdited(QString());
  Find<QPushButton>("OK")->click();
  ASSERT_EQ(prompts.Messages.size(), 1u);
  EXPECT_EQ(prompts.Messages[0].Text, "请输入有效的Log文件名称！");
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.focusWidget(), name);

  name->setText("shift.log");
  emit name->textEdited(name->text());
  Find<QPushButton>("OK")->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(model.EditLogName.Text, "shift.log");
}

TEST_F(LogCfgFormFixture, ShowsALoadedConfigurationAndSavesItBack) {
  const auto path = (dir / "VatLogX.cfg").string();
  const std::string text = "[ConfigLog]\r\nEnLog\r\nCustomer\r\nCusDef1\r\nSpcFile=line3.txt\r\n[EndCfg]\r\n";
  std::ofstream(path, std::ios::binary) << text;
  ASSERT_TRUE(korvel::LoadLogConfig(model, path));
  dialog.Refresh();
  EXPECT_TRUE(Item("RadioGrpCreat", 1)->isChecked());
  EXPECT_TRUE(Item("RadioGrpMod", 1)->isChecked());
  EXPECT_EQ(Find<QLineEdit>("EditLogName")->text(), QStringLiteral("line3.txt"));
  EXPECT_EQ(Governed(), (std::vector<bool>{true, true, true, true}));

  korvel::FixedClock clock{korvel::MakeTime(2026, 12, 5, 7, 14, 11)};
  korvel::InfoLog log{clock};
  std::filesystem::remove(path);
  EXPECT_TRUE(SaveLogConfigReported(model, path, log, prompts));
  EXPECT_EQ(ReadBytes(path), text);
  EXPECT_TRUE(prompts.Messages.empty());

  // A file that cannot be written is reported, and nothing else happens.
  const auto bad = (dir / "missing" / "VatLogX.cfg").string();
  EXPECT_FALSE(SaveLogConfigReported(model, bad, log, prompts));
  ASSERT_EQ(prompts.Messages.size(), 1u);
  EXPECT_EQ(prompts.Messages[0].Kind, PromptKind::Warning);
  EXPECT_EQ(prompts.Messages[0].Text, "Write Log Config File error!");
  ASSERT_EQ(log.Lines().size(), 1u);
  EXPECT_EQ(log.Lines()[0].rfind("> 07:14:11 Write Log Config File error! ", 0), 0u) << log.Lines()[0];
}

// The chip record's box is its own: the log file's box does not grey it,
// and what the operator sets is what the model holds.
TEST_F(LogCfgFormFixture, ChipRecordBoxFollowsTheOperator) {
  auto* record = Find<QCheckBox>("CheckBoxRecord");
  EXPECT_TRUE(record->isChecked());
  Find<QCheckBox>("CheckBoxLog")->click();
  EXPECT_TRUE(record->isEnabled());
  record->click();
  EXPECT_FALSE(model.RecordEnabled());
  model.CheckBoxRecord.Checked = true;
  dialog.Refresh();
  EXPECT_TRUE(record->isChecked());
}

}  // namespace
