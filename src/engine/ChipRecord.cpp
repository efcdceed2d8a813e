#include "engine/ChipRecord.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "logging/CsvFile.h"
#include "logging/LogFiles.h"

namespace korvel {

namespace fs = std::filesystem;

namespace {

std::string Hex(uint32_t value, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%0*x", digits, unsigned(value));
  return buf;
}

}  // namespace

ChipRecord::ChipRecord(std::string appDir, std::string station, InfoLog& log, OperatorPrompts& prompts,
                       std::function<bool()> enabled)
    : appDir_(std::move(appDir)),
      station_(std::move(station)),
      log_(log),
      prompts_(prompts),
      enabled_(std::move(enabled)) {}

const std::vector<std::string>& ChipRecord::Header() {
  static const std::vector<std::string> header{
      "time",  "station",   "channel",   "port",          "usb_path",    "unit",        "chip",       "operation",
      "image", "flash_crc", "serial",    "result",        "result_code", "result_text", "duration_ms"};
  return header;
}

std::vector<std::string> ChipRecord::Row(const ChipAttempt& a) const {
  return {a.Time,
          station_,
          std::to_string(a.Channel + 1),
          a.Port,
          a.UsbPath,
          a.Unit,
          a.Chip,
          a.Operation,
          a.ImageFile,
          a.FlashCrc ? Hex(*a.FlashCrc, 4) : std::string(),
          a.Serial ? Hex(*a.Serial, 8) : std::string(),
          ResultWord(a.Result),
          Hex(a.Code, 2),
          a.Text,
          a.DurationMs ? std::to_string(*a.DurationMs) : std::string()};
}

std::string ChipRecord::PathFor(const std::string& date) const {
  return (fs::path(appDir_) / kSystemLogFolder / ("chips-" + date + ".csv")).string();
}

void ChipRecord::Write(const ChipAttempt& a) {
  if (!TouchesChip(a.Operation) || (enabled_ && !enabled_())) return;
  // The day is the attempt's, so that a shift past midnight starts a new file.
  const std::string path = PathFor(a.Time.substr(0, a.Time.find('T')));
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  std::optional<std::string> error = ec ? std::optional<std::string>(fs::path(path).parent_path().string() +
                                                                     ": " + ec.message())
                                        : AppendCsvRow(path, Header(), Row(a));
  if (!error) {
    failing_ = false;
    return;
  }
  // Every chip of a full disk would otherwise bring its own message.
  if (failing_) return;
  failing_ = true;
  messageDue_ = true;
  log_.HostLine(std::string(kRecordWriteError) + " " + *error);
}

void ChipRecord::ReportPending() {
  if (!messageDue_) return;
  messageDue_ = false;
  prompts_.Message(PromptKind::Warning, kRecordWriteError);
}

std::string StationName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

}  // namespace korvel
