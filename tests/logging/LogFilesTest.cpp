#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "logging/LogConfig.h"
#include "logging/LogFiles.h"
#include "support/FileText.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) { return test::FileText(p); }

void Spit(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/korvel-log-XXXXXX";
    dir = mkdtemp(tmpl);
  }
  void TearDown() override { fs::remove_all(dir); }

  void AddLines(int n) {
    for (int i = 0; i < n; ++i) log.HostLine("line " + std::to_string(i));
  }
  std::string Expected(const std::string& head = "") const {
    std::string s = head.empty() ? "" : head + "\r\n";
    for (const auto& l : log.Lines()) s += l + "\r\n";
    return s;
  }

  fs::path dir;
  FixedClock clock{MakeTime(2026, 12, 5, 7, 14, 11)};
  InfoLog log{clock};
  RecordingPrompts prompts;
  LogConfigForm config;
  LogFiles files() { return LogFiles(dir.string(), log, prompts, config); }
};

TEST_F(LogTest, DatedName) {
  EXPECT_EQ(DatedLogFileName(clock), "VatSTX_2026_12_05_07_14_11.log");
}

TEST_F(LogTest, SystemShutdownLogNeedsSevenLines) {
  AddLines(6);
  EXPECT_EQ(files().WriteShutdownLog(), "");
  EXPECT_FALSE(fs::exists(dir / "VatSTxLogS" / "VatSTX_2026_12_05_07_14_11.log"));
  AddLines(1);
  const fs::path expected = dir / "VatSTxLogS" / "VatSTX_2026_12_05_07_14_11.log";
  EXPECT_EQ(files().WriteShutdownLog(), expected.string());
  EXPECT_EQ(Slurp(expected), Expected());
  EXPECT_TRUE(prompts.Messages.empty());
}

TEST_F(LogTest, CustomerFileReplaceOrAppend) {
  config.SelectCreate(kLogCreateCustomer);
  config.EditLogName.Text = "run.log";  // relative to the application directory
  AddLines(2);  // customer files do not need seven lines
  Spit(dir / "run.log", "old\r\n");
  config.SelectMode(kLogModeOverwrite);
  files().WriteShutdownLog();
  EXPECT_EQ(Slurp(dir / "run.log"), Expected());

  config.SelectMode(kLogModeAppend);
  Spit(dir / "run.log", "old\r\n");
  files().WriteShutdownLog();
  EXPECT_EQ(Slurp(dir / "run.log"), "old\r\n" + Expected());

  fs::remove(dir / "run.log");
  files().WriteShutdownLog();
  EXPECT_EQ(Slurp(dir / "run.log"), Expected("Brevan Log File!"));
}

TEST_F(LogTest, CustomerItemWithoutANameFallsBackToTheSystemFileAndSaysSo) {
  config.SelectCreate(kLogCreateCustomer);
  config.EditLogName.Text = "";  // as "SpcFile=" alone loads it
  AddLines(7);
  const fs::path expected = dir / "VatSTxLogS" / "VatSTX_2026_12_05_07_14_11.log";
  EXPECT_EQ(files().WriteShutdownLog(), expected.string());
  EXPECT_EQ(log.Lines().back(), std::string("> 07:14:11 ") + kNoCustomerLogName);
  EXPECT_EQ(Slurp(expected), Expected());  // the line is in the file too
  EXPECT_TRUE(prompts.Messages.empty());
}

TEST_F(LogTest, UntickedLogWritesNothing) {
  config.SetLogEnabled(false);
  AddLines(10);
  EXPECT_EQ(files().WriteShutdownLog(), "");
  EXPECT_EQ(files().PeriodicSave(), "");
  EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(LogTest, PeriodicSaveGoesToTheApplicationDirectory) {
  AddLines(3);
  EXPECT_EQ(files().PeriodicSave(), (dir / "VatSTX_2026_12_05_07_14_11.log").string());
  EXPECT_EQ(Slurp(dir / "VatSTX_2026_12_05_07_14_11.log"), Expected());
  EXPECT_EQ(log.Lines().size(), 3u);  // the log is not cleared
}

TEST_F(LogTest, WriteErrorsAreReportedAndTheProgramGoesOn) {
  config.SelectCreate(kLogCreateCustomer);
  config.EditLogName.Text = (dir / "missing" / "run.log").string();
  AddLines(7);
  EXPECT_EQ(files().WriteShutdownLog(), "");
  ASSERT_EQ(prompts.Messages.size(), 1u);
  EXPECT_EQ(prompts.Messages[0].Text, "Write Log File error!");
  EXPECT_EQ(log.Lines().back().rfind("> 07:14:11 Write Log File error! ", 0), 0u);

  // The log folder cannot be made where a file stands.
  Spit(dir / "app", "");
  LogConfigForm system;
  LogFiles blocked((dir / "app").string(), log, prompts, system);
  EXPECT_EQ(blocked.WriteShutdownLog(), "");
  EXPECT_EQ(blocked.PeriodicSave(), "");
  EXPECT_EQ(prompts.Messages.size(), 3u);
}

TEST_F(LogTest, FailedReplaceKeepsThePreviousFile) {
  config.SelectCreate(kLogCreateCustomer);
  config.EditLogName.Text = "keep.log";
  Spit(dir / "keep.log", "precious\r\n");
  fs::create_directory(dir / "keep.log.tmp");  // the temporary cannot be made
  AddLines(2);
  EXPECT_EQ(files().WriteShutdownLog(), "");
  EXPECT_EQ(Slurp(dir / "keep.log"), "precious\r\n");
}

TEST_F(LogTest, ConfigFileRoundTripAndExactBytes) {
  config.SelectCreate(kLogCreateCustomer);
  config.SelectMode(kLogModeAppend);
  config.EditLogName.Text = "/data/line 3.log";
  const std::string path = LogConfigPath(dir.string());
  ASSERT_FALSE(SaveLogConfig(config, path));
  EXPECT_EQ(Slurp(path),
            "[ConfigLog]\r\nEnLog\r\nCustomer\r\nCusDef2\r\nSpcFile=/data/line 3.log\r\n[EndCfg]\r\n");
  LogConfigForm loaded;
  ASSERT_TRUE(LoadLogConfig(loaded, path));
  EXPECT_TRUE(loaded.LogEnabled());
  EXPECT_TRUE(loaded.CustomerFile());
  EXPECT_EQ(loaded.RadioGrpMod.ItemIndex, kLogModeAppend);
  EXPECT_TRUE(loaded.RadioGrpMod.Enabled && loaded.EditLogName.Enabled);
  EXPECT_EQ(loaded.EditLogName.Text, "/data/line 3.log");

  LogConfigForm system;
  system.SetLogEnabled(false);
  ASSERT_FALSE(SaveLogConfig(system, path));
  EXPECT_EQ(Slurp(path), "[ConfigLog]\r\nDnLog\r\nSystem\r\n[EndCfg]\r\n");
}

TEST_F(LogTest, ConfigLoadRules) {
  const fs::path path = dir / "VatLogX.cfg";
  LogConfigForm form;
  EXPECT_FALSE(LoadLogConfig(form, path.string()));  // missing: defaults stay
  EXPECT_EQ(form.EditLogName.Text, "VatSTx2021.log");

  Spit(path, "[configlog]\r\nDnLog\r\n[EndCfg]\r\n");
  EXPECT_FALSE(LoadLogConfig(form, path.string()));
  EXPECT_TRUE(form.LogEnabled());

  Spit(path, "[ConfigLog]\nCustomer\nSpcFile=\nenlog\nDnLog\n[EndCfg]\nEnLog\n");
  EXPECT_TRUE(LoadLogConfig(form, path.string()));
  EXPECT_EQ(form.EditLogName.Text, "");
  EXPECT_FALSE(form.LogEnabled());  // "enlog" is not "EnLog"; nothing after [EndCfg]
  EXPECT_TRUE(form.CustomerFile());
}

// The record's box adds a line only when it is off: a file of the default
// settings stays byte for byte what it was, and an old file reads as on.
TEST_F(LogTest, ChipRecordSwitchIsStoredWhereOldFilesStillRead) {
  const std::string path = LogConfigPath(dir.string());
  LogConfigForm off;
  off.CheckBoxRecord.Checked = false;
  ASSERT_FALSE(SaveLogConfig(off, path));
  EXPECT_EQ(Slurp(path), "[ConfigLog]\r\nEnLog\r\nSystem\r\nDnRecord\r\n[EndCfg]\r\n");
  LogConfigForm loaded;
  ASSERT_TRUE(LoadLogConfig(loaded, path));
  EXPECT_FALSE(loaded.RecordEnabled());
  EXPECT_TRUE(loaded.LogEnabled());

  Spit(path, "[ConfigLog]\r\nDnLog\r\nSystem\r\n[EndCfg]\r\n");
  LogConfigForm old;
  ASSERT_TRUE(LoadLogConfig(old, path));
  EXPECT_TRUE(old.RecordEnabled());
  EXPECT_FALSE(old.LogEnabled());
}

TEST(LogConfigForm, DialogBehaviour) {
  LogConfigForm form;
  EXPECT_TRUE(form.LogEnabled());
  EXPECT_FALSE(form.EditLogName.Enabled || form.SpeedButtonOP.Enabled || form.RadioGrpMod.Enabled);
  form.SelectCreate(kLogCreateCustomer);
  EXPECT_TRUE(form.EditLogName.Enabled && form.SpeedButtonOP.Enabled && form.RadioGrpMod.Enabled);
  form.SelectMode(kLogModeOverwrite);
  form.SelectCreate(kLogCreateSystem);
  EXPECT_EQ(form.RadioGrpMod.ItemIndex, kLogModeNew);
  EXPECT_FALSE(form.EditLogName.Enabled);
  form.SetLogEnabled(false);
  EXPECT_FALSE(form.RadioGrpCreat.Enabled);

  RecordingPrompts prompts;
  form.SetLogEnabled(true);
  form.SelectCreate(kLogCreateCustomer);
  form.EditLogName.Text = "";
  EXPECT_FALSE(form.Ok(prompts));
  ASSERT_EQ(prompts.Messages.size(), 1u);
  EXPECT_EQ(prompts.Messages[0].Text, "请输入有效的Log文件名称！");
  EXPECT_EQ(form.Focus, "EditLogName");
  prompts.FileNames.push_back("/tmp/x.log");
  form.Browse(prompts);
  EXPECT_EQ(form.EditLogName.Text, "/tmp/x.log");
  EXPECT_TRUE(form.Ok(prompts));
}

// Browsing names a file that is yet to be written, so it asks with a save
// dialog; an open dialog would refuse a new name.
TEST(LogConfigForm, BrowseAsksForANameToSaveUnder) {
  struct SaveOnly : RecordingPrompts {
    std::optional<std::string> OpenFileName(const FileDialogOptions&) override {
      ADD_FAILURE() << "an open dialog needs an existing file";
      return std::nullopt;
    }
    std::optional<std::string> SaveFileName(const FileDialogOptions& o) override {
      Asked = o;
      return "/data/new shift.log";
    }
    FileDialogOptions Asked;
  } prompts;
  LogConfigForm form;
  form.SelectCreate(kLogCreateCustomer);
  form.Browse(prompts);
  EXPECT_EQ(form.EditLogName.Text, "/data/new shift.log");
  EXPECT_EQ(prompts.Asked.Filters, LogFileDialogOptions().Filters);
  EXPECT_EQ(prompts.Asked.DefaultSuffix, "log");
}

}  // namespace
}  // namespace korvel
