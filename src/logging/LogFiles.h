#pragma once
#include <string>
#include <vector>

#include "app/Clock.h"
#include "app/InfoLog.h"
#include "app/OperatorPrompts.h"
#include "logging/LogConfig.h"

namespace korvel {

// The folder of the system-named shutdown logs, inside the application
// directory.
inline constexpr const char* kSystemLogFolder = "VatSTxLogS";
// A system-named shutdown log is written only for a log of this many lines.
inline constexpr size_t kSystemLogMinLines = 7;
// Logged when the customer item names no file and the system-named file is
// written instead.
inline constexpr const char* kNoCustomerLogName =
    "No customer log file name is set: the log goes to the system-named file";

// "VatSTX_" + date + "_" + time with every '-', ':' and '/' made '_' +
// ".log": VatSTX_2026_12_05_07_14_11.log.
std::string DatedLogFileName(const Clock& clock);

// Writes the information log to files. A write that fails is reported
// ("Write Log File error!" to the operator and a log line with the reason)
// and the program goes on; nothing here throws.
class LogFiles {
 public:
  LogFiles(std::string appDir, InfoLog& log, OperatorPrompts& prompts, const LogConfigForm& config)
      : appDir_(std::move(appDir)), log_(&log), prompts_(&prompts), config_(&config) {}

  // At shutdown, by the configuration: a dated file in VatSTxLogS, or the
  // customer's file replaced or appended to (the dated file, with a log
  // line saying so, when the customer item names no file). Nothing with
  // the log unticked. Returns the path written, "" when none.
  std::string WriteShutdownLog();

  // After every 2000 totals lines: the whole log to a dated file in the
  // application directory. Nothing with the log unticked.
  std::string PeriodicSave();

 private:
  std::string Resolve(const std::string& name) const;
  // The dated file in VatSTxLogS, for a log of at least seven lines (a
  // copy: reporting an error adds to the log).
  std::string WriteSystemLog(std::vector<std::string> lines);
  bool Report(const std::optional<std::string>& error);

  std::string appDir_;
  InfoLog* log_;
  OperatorPrompts* prompts_;
  const LogConfigForm* config_;
};

}  // namespace korvel
