#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/InfoLog.h"
#include "app/OperatorPrompts.h"
#include "engine/ChipAttempt.h"

namespace korvel {

// Shown to the operator when a row of the chip record could not be written.
inline constexpr const char* kRecordWriteError = "Write Chip Record File error!";

// The traceability record: one CSV row per chip attempt, in the day's file
// VatSTxLogS/chips-YYYY-MM-DD.csv of the application directory, which is
// only ever appended to. A failed write is reported (a log line at once,
// the operator's message at the next ReportPending, once until a row is
// written again) and the program goes on.
class ChipRecord {
 public:
  // enabled is asked at every row: the operator may turn the record off and
  // on while the program runs.
  ChipRecord(std::string appDir, std::string station, InfoLog& log, OperatorPrompts& prompts,
             std::function<bool()> enabled);

  // Writes the row of an attempt that touched a chip; others are skipped.
  void Write(const ChipAttempt& attempt);
  // Shows the message of a failed write, if one is due. Not called from
  // Write itself, which runs while a channel is being finished.
  void ReportPending();

  // The file the rows of the given day ("2026-12-05") go to.
  std::string PathFor(const std::string& date) const;

  static const std::vector<std::string>& Header();
  std::vector<std::string> Row(const ChipAttempt& attempt) const;

 private:
  std::string appDir_;
  std::string station_;
  InfoLog& log_;
  OperatorPrompts& prompts_;
  std::function<bool()> enabled_;
  bool failing_ = false;
  bool messageDue_ = false;
};

// The name of this machine, for the record's station column.
std::string StationName();

}  // namespace korvel
