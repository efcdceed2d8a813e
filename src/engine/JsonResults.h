#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/AppState.h"
#include "app/Clock.h"
#include "engine/ChipAttempt.h"
#include "engine/RunSummary.h"

namespace korvel {

// The results of a command-line run as JSON, one object per line, for
// scripts (--json). Every object has "type" and "time"; the README lists
// the fields, which stay as they are.
class JsonResults {
 public:
  using Sink = std::function<void(const std::string& line)>;
  // The operation a channel runs now, "" when none.
  using RunningOperation = std::function<std::string(int channel)>;

  // A channel reports its progress at most this often.
  static constexpr int64_t kProgressIntervalMs = 250;

  JsonResults(const Clock& clock, Sink sink) : clock_(clock), sink_(std::move(sink)) {}

  // The device search has settled: whether channel's unit answered.
  void Search(int channel, const std::string& port, bool found, const std::string& unit);
  // An operation ended: "end" for the host's, "chip" for a unit's own.
  void Attempt(const ChipAttempt& attempt);
  // Every Timer1 tick: the gauges of running channels that moved, each
  // channel no more often than kProgressIntervalMs.
  void Tick(const ChannelTable& channels, const RunningOperation& running);
  // The last line: what happens after it (a window left open) is not
  // part of the run.
  void Summary(const RunSummary& summary);

 private:
  struct Sent {
    bool Any = false;
    int64_t AtMs = 0;
    int Progress = -1;
    int Max = -1;
  };
  std::string Now() const { return clock_.DateText() + "T" + clock_.TimeText(); }

  const Clock& clock_;
  Sink sink_;
  std::array<Sent, kChannelCount> sent_{};
  bool closed_ = false;
};

}  // namespace korvel
