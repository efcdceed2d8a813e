#include "app/Clock.h"

#include <chrono>

namespace korvel {

namespace {
std::string Format(const std::tm& t, const char* fmt) {
  char buf[64];
  size_t n = std::strftime(buf, sizeof buf, fmt, &t);
  return std::string(buf, n);
}
}  // namespace

std::string Clock::TimeText() const { return Format(Now(), "%H:%M:%S"); }
std::string Clock::DateText() const { return Format(Now(), "%Y-%m-%d"); }

std::tm SystemClock::Now() const {
  std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return t;
}

int64_t SystemClock::SteadyMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::tm MakeTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return t;
}

}  // namespace korvel
