#include "logging/LogConfig.h"

#include "logging/TextFiles.h"

namespace korvel {

LogConfigForm::LogConfigForm() {
  CheckBoxLog.Caption = "生成Logog文件";
  CheckBoxLog.Checked = true;
  RadioGrpCreat.Caption = "Log文件生成方式";
  RadioGrpCreat.Items = {"系统自动生成Logo文件", "客户指定Log文件"};
  EditLogName.Text = "VatSTx2021.log";
  EditLogName.Enabled = false;
  SpeedButtonOP.Caption = "浏览";
  SpeedButtonOP.Enabled = false;
  RadioGrpMod.Caption = "客户Log文件配置";
  RadioGrpMod.Items = {"生成新的文件", "覆盖原文件", "追加到原文件尾部"};
  RadioGrpMod.Enabled = false;
  CheckBoxRecord.Caption = "Chip record (VatSTxLogS/chips-YYYY-MM-DD.csv)";
  CheckBoxRecord.Checked = true;
}

void LogConfigForm::SetLogEnabled(bool on) {
  CheckBoxLog.Checked = on;
  RadioGrpCreat.Enabled = on;
  RadioGrpMod.Enabled = on;
  SpeedButtonOP.Enabled = on;
  EditLogName.Enabled = on;
}

void LogConfigForm::SelectCreate(int item) {
  RadioGrpCreat.ItemIndex = item;
  const bool customer = item == kLogCreateCustomer;
  RadioGrpMod.Enabled = customer;
  SpeedButtonOP.Enabled = customer;
  EditLogName.Enabled = customer;
  RadioGrpMod.ItemIndex = kLogModeNew;
}

void LogConfigForm::SelectMode(int item) { RadioGrpMod.ItemIndex = item; }

FileDialogOptions LogFileDialogOptions() {
  FileDialogOptions options;
  options.Filters = {"All Log Files(*.Log,*.Txt)|*.log;*.Txt"};
  options.DefaultSuffix = "log";
  return options;
}

void LogConfigForm::Browse(OperatorPrompts& prompts) {
  // The log file is written later, so it usually does not exist yet: a save
  // dialog takes a new name where an open dialog would insist on a file.
  if (auto name = prompts.SaveFileName(LogFileDialogOptions())) EditLogName.Text = *name;
}

bool LogConfigForm::Ok(OperatorPrompts& prompts) {
  if (CustomerFile() && EditLogName.Text.empty()) {
    prompts.Message(PromptKind::Information, "请输入有效的Log文件名称！");
    Focus = "EditLogName";
    return false;
  }
  return true;
}

std::string LogConfigPath(const std::string& appDir) { return appDir + "/VatLogX.cfg"; }

bool LoadLogConfig(LogConfigForm& form, const std::string& path) {
  auto lines = ReadTextLines(path);
  if (!lines || lines->empty() || (*lines)[0] != "[ConfigLog]") return false;
  for (size_t i = 1; i < lines->size(); ++i) {
    const std::string& l = (*lines)[i];
    if (l == "[EndCfg]") break;
    if (l == "EnLog") form.SetLogEnabled(true);
    else if (l == "DnLog") form.SetLogEnabled(false);
    else if (l == "System") form.SelectCreate(kLogCreateSystem);
    else if (l == "Customer") form.SelectCreate(kLogCreateCustomer);
    else if (l == "CusDef0") form.SelectMode(kLogModeNew);
    else if (l == "CusDef1") form.SelectMode(kLogModeOverwrite);
    else if (l == "CusDef2") form.SelectMode(kLogModeAppend);
    else if (l == "EnRecord") form.CheckBoxRecord.Checked = true;
    else if (l == "DnRecord") form.CheckBoxRecord.Checked = false;
    else if (l.starts_with("SpcFile=")) form.EditLogName.Text = l.substr(8);
  }
  return true;
}

std::optional<std::string> SaveLogConfig(const LogConfigForm& form, const std::string& path) {
  std::vector<std::string> lines{"[ConfigLog]", form.LogEnabled() ? "EnLog" : "DnLog"};
  if (form.CustomerFile()) {
    lines.push_back("Customer");
    lines.push_back("CusDef" + std::to_string(form.RadioGrpMod.ItemIndex));
    lines.push_back("SpcFile=" + form.EditLogName.Text);
  } else {
    lines.push_back("System");
  }
  if (!form.RecordEnabled()) lines.push_back("DnRecord");
  lines.push_back("[EndCfg]");
  return ReplaceTextFile(path, lines);
}

}  // namespace korvel
