#pragma once
#include <cstdint>
#include <ctime>
#include <string>

namespace korvel {

// Wall-clock time for log lines; injectable so tests see fixed times.
struct Clock {
  virtual ~Clock() = default;
  virtual std::tm Now() const = 0;
  // A steady count of milliseconds for durations and rate limits: only the
  // difference of two readings means anything.
  virtual int64_t SteadyMs() const = 0;

  // The long time format of the log lines: "07:14:11".
  std::string TimeText() const;
  // The short date format: "2026-12-05".
  std::string DateText() const;
};

class SystemClock : public Clock {
 public:
  std::tm Now() const override;
  int64_t SteadyMs() const override;
};

class FixedClock : public Clock {
 public:
  explicit FixedClock(std::tm t) : t_(t) {}
  void Set(std::tm t) { t_ = t; }
  std::tm Now() const override { return t_; }
  int64_t SteadyMs() const override { return ms_; }
  void AdvanceMs(int64_t ms) { ms_ += ms; }

 private:
  std::tm t_;
  int64_t ms_ = 0;
};

// Builds a std::tm from calendar fields (month 1..12).
std::tm MakeTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace korvel
