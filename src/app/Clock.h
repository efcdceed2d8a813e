#pragma once
#include <ctime>
#include <string>

namespace korvel {

// Wall-clock time for log lines; injectable so tests see fixed times.
struct Clock {
  virtual ~Clock() = default;
  virtual std::tm Now() const = 0;

  // The long time format of the log lines: "07:14:11".
  std::string TimeText() const;
  // The short date format: "2026-12-05".
  std::string DateText() const;
};

class SystemClock : public Clock {
 public:
  std::tm Now() const override;
};

class FixedClock : public Clock {
 public:
  explicit FixedClock(std::tm t) : t_(t) {}
  void Set(std::tm t) { t_ = t; }
  std::tm Now() const override { return t_; }

 private:
  std::tm t_;
};

// Builds a std::tm from calendar fields (month 1..12).
std::tm MakeTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace korvel
