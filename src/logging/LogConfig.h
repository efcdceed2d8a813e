#pragma once
#include <optional>
#include <string>

#include "app/Controls.h"
#include "app/OperatorPrompts.h"

namespace korvel {

inline constexpr int kLogCreateSystem = 0;    // "系统自动生成Logo文件"
inline constexpr int kLogCreateCustomer = 1;  // "客户指定Log文件"
inline constexpr int kLogModeNew = 0;         // "生成新的文件"
inline constexpr int kLogModeOverwrite = 1;   // "覆盖原文件"
inline constexpr int kLogModeAppend = 2;      // "追加到原文件尾部"

// The controls of the log configuration dialog (TLogCfgForm) and their
// click behaviour; the Qt dialog mirrors this model.
struct LogConfigForm {
  LogConfigForm();

  std::string Caption = "Config Log File.";
  CheckBoxState CheckBoxLog;
  RadioGroupState RadioGrpCreat;
  std::string EditLogNameLabel = "指定Log文件名：       ";
  EditState EditLogName;
  ActionState SpeedButtonOP;
  RadioGroupState RadioGrpMod;
  // The chip record (a row per chip attempt), independent of the log file.
  CheckBoxState CheckBoxRecord;
  // The control that has the keyboard focus after the last action ("" for
  // none in particular).
  std::string Focus;

  bool LogEnabled() const { return CheckBoxLog.Checked; }
  bool RecordEnabled() const { return CheckBoxRecord.Checked; }
  bool CustomerFile() const { return RadioGrpCreat.ItemIndex == kLogCreateCustomer; }

  // The operator (or a loaded configuration) ticks or unticks CheckBoxLog.
  void SetLogEnabled(bool on);
  // The operator picks an item of RadioGrpCreat.
  void SelectCreate(int item);
  void SelectMode(int item);
  // "浏览": the file name chosen in a save dialog (a new name will do) goes
  // into EditLogName.
  void Browse(OperatorPrompts& prompts);
  // OK: false (with the message shown) while the customer item has no
  // file name; true when the dialog may close.
  bool Ok(OperatorPrompts& prompts);
};

// The browse dialog's filter.
FileDialogOptions LogFileDialogOptions();

// "VatLogX.cfg" in the application directory.
std::string LogConfigPath(const std::string& appDir);

// Reads the configuration into the form as if the operator had clicked;
// a missing file or one whose first line is not "[ConfigLog]" changes
// nothing. Returns whether the file was read.
bool LoadLogConfig(LogConfigForm& form, const std::string& path);

// Rewrites the configuration from the form (CR LF line ends); the chip
// record adds a line "DnRecord" only when it is off, so that the file of
// the default settings is the one older programs wrote. Returns the
// reason when it could not be written. The old file stays intact then.
std::optional<std::string> SaveLogConfig(const LogConfigForm& form, const std::string& path);

}  // namespace korvel
