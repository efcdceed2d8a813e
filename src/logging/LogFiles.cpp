#include "logging/LogFiles.h"

#include <filesystem>
#include <system_error>

#include "logging/TextFiles.h"

namespace korvel {

namespace fs = std::filesystem;

std::string DatedLogFileName(const Clock& clock) {
  std::string stamp = clock.DateText() + "_" + clock.TimeText();
  for (char& c : stamp)
    if (c == '-' || c == ':' || c == '/') c = '_';
  return "VatSTX_" + stamp + ".log";
}

std::string LogFiles::Resolve(const std::string& name) const {
  fs::path p(name);
  return p.is_absolute() ? name : (fs::path(appDir_) / p).string();
}

bool LogFiles::Report(const std::optional<std::string>& error) {
  if (!error) return false;
  prompts_->Message(PromptKind::Warning, "Write Log File error!");
  log_->HostLine("Write Log File error! " + *error);
  return true;
}

std::string LogFiles::WriteSystemLog(std::vector<std::string> lines) {
  if (lines.size() < kSystemLogMinLines) return "";
  const fs::path folder = fs::path(appDir_) / kSystemLogFolder;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) {
    Report(folder.string() + ": " + ec.message());
    return "";
  }
  const std::string path = (folder / DatedLogFileName(log_->clock())).string();
  return Report(ReplaceTextFile(path, lines)) ? "" : path;
}

std::string LogFiles::WriteShutdownLog() {
  if (!config_->LogEnabled()) return "";
  if (!config_->CustomerFile()) return WriteSystemLog(log_->Lines());
  const std::string& name = config_->EditLogName.Text;
  if (name.empty()) {
    // A configuration file can name no file ("SpcFile=" alone); losing the
    // log over it would be worse than writing it under the system's name.
    log_->HostLine(kNoCustomerLogName);
    return WriteSystemLog(log_->Lines());
  }
  // A copy: reporting an error adds to the log.
  const std::vector<std::string> lines = log_->Lines();
  const std::string path = Resolve(name);
  std::optional<std::string> error;
  if (config_->RadioGrpMod.ItemIndex == kLogModeAppend) {
    std::error_code ec;
    if (fs::exists(path, ec)) {
      error = AppendTextFile(path, lines);
    } else {
      std::vector<std::string> fresh{"Brevan Log File!"};
      fresh.insert(fresh.end(), lines.begin(), lines.end());
      error = ReplaceTextFile(path, fresh);
    }
  } else {
    error = ReplaceTextFile(path, lines);
  }
  return Report(error) ? "" : path;
}

std::string LogFiles::PeriodicSave() {
  if (!config_->LogEnabled()) return "";
  const std::vector<std::string> lines = log_->Lines();
  const std::string path = (fs::path(appDir_) / DatedLogFileName(log_->clock())).string();
  return Report(ReplaceTextFile(path, lines)) ? "" : path;
}

}  // namespace korvel
