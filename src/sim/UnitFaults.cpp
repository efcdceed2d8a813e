#include "sim/UnitFaults.h"

#include <cctype>

namespace korvel {

namespace {

bool ParseCount(const std::string& s, int& out) {
  if (s.empty() || s.size() > 6) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  out = std::stoi(s);
  return true;
}

}  // namespace

std::optional<std::map<int, UnitFaults>> ParseUnitFaults(const std::vector<std::string>& specs,
                                                          std::string& error) {
  std::map<int, UnitFaults> faults;
  for (const auto& spec : specs) {
    const size_t colon = spec.find(':');
    int unit = 0;
    if (colon == std::string::npos || !ParseCount(spec.substr(0, colon), unit) || unit < 1) {
      error = "bad fault \"" + spec + "\": expected UNIT:FAULT, e.g. 3:silent";
      return std::nullopt;
    }
    const std::string what = spec.substr(colon + 1);
    UnitFaults& f = faults[unit];
    int k = 0;
    if (what == "silent") {
      f.Silent = true;
    } else if (what == "garbage") {
      f.Garbage = true;
    } else if (what.rfind("name=", 0) == 0 && what.size() > 5) {
      f.Name = what.substr(5);
    } else if (what.rfind("hangup=", 0) == 0 && ParseCount(what.substr(7), k) && k > 0) {
      f.HangupAfter = k;
    } else {
      error = "bad fault \"" + spec + "\": one of silent, garbage, name=TEXT, hangup=K";
      return std::nullopt;
    }
  }
  return faults;
}

}  // namespace korvel
