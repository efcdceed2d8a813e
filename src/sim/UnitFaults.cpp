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

bool ParseHex(const std::string& s, uint32_t max, uint32_t& out) {
  std::string t = s;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) t = t.substr(2);
  if (t.empty() || t.size() > 8) return false;
  for (char c : t)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  const unsigned long v = std::stoul(t, nullptr, 16);
  if (v > max) return false;
  out = static_cast<uint32_t>(v);
  return true;
}

// "CC[.PP]:SS"
bool ParseForcedStatus(const std::string& s, ForcedStatus& f) {
  const size_t colon = s.find(':');
  if (colon == std::string::npos) return false;
  std::string cmd = s.substr(0, colon);
  uint32_t v = 0;
  const size_t dot = cmd.find('.');
  if (dot != std::string::npos) {
    if (!ParseHex(cmd.substr(dot + 1), 0xFFFF, v)) return false;
    f.Parameter = static_cast<uint16_t>(v);
    cmd = cmd.substr(0, dot);
  }
  if (!ParseHex(cmd, 0xFF, v)) return false;
  f.Command = static_cast<uint8_t>(v);
  if (!ParseHex(s.substr(colon + 1), 0xFF, v)) return false;
  f.Status = static_cast<uint8_t>(v);
  return true;
}

// One item of a fault text applied to f; false when it is not understood.
bool ApplyItem(const std::string& item, UnitFaults& f) {
  const size_t eq = item.find('=');
  const std::string key = item.substr(0, eq);
  const bool hasValue = eq != std::string::npos;
  const std::string value = hasValue ? item.substr(eq + 1) : std::string();
  int k = 0;
  uint32_t h = 0;
  if (!hasValue) {
    if (key == "silent") return f.Silent = true;
    if (key == "garbage") return f.Garbage = true;
    if (key == "notblank") return f.NotBlank = true;
    if (key == "protected") return f.ReadProtected = true;
    if (key == "wire") return f.WireRate = true;
    if (key == "flip") return f.FlipFirst = true;
    return false;
  }
  if (key == "name") {
    if (value.empty()) return false;
    f.Name = value;
    return true;
  }
  if (key == "status") {
    ForcedStatus s;
    if (!ParseForcedStatus(value, s)) return false;
    f.Statuses.push_back(s);
    return true;
  }
  if (key == "flip") {
    if (!ParseHex(value, 0xFFFFFF, h)) return false;
    f.FlipAt = h;
    return true;
  }
  if (key == "fail") {
    const size_t colon = value.find(':');
    if (colon != std::string::npos) {
      if (!ParseHex(value.substr(colon + 1), 0xFF, h)) return false;
      f.AutoFailResult = static_cast<uint8_t>(h);
    }
    if (!ParseCount(value.substr(0, colon), k) || k < 1) return false;
    f.AutoFailEvery = k;
    return true;
  }
  if (!ParseCount(value, k)) return false;
  int* target = key == "delay"    ? &f.ReplyDelayMs
                : key == "auto"   ? &f.AutoChips
                : key == "silent" ? &f.SilentFrom
                : key == "hangup" ? &f.HangupAfter
                : key == "badcrc" ? &f.BadCheckWordAt
                : key == "short"  ? &f.ShortDataAt
                : key == "every"  ? &f.AutoIntervalMs
                                  : nullptr;
  // Only a delay and a chip count may be 0; a count of requests starts at 1.
  if (!target || (k < 1 && key != "delay" && key != "auto")) return false;
  *target = k;
  return true;
}

}  // namespace

std::optional<uint8_t> UnitFaults::StatusFor(uint8_t command, uint16_t parameter) const {
  for (const ForcedStatus& s : Statuses)
    if (s.Command == command && (!s.Parameter || *s.Parameter == parameter)) return s.Status;
  return std::nullopt;
}

std::optional<std::map<int, UnitFaults>> ParseUnitFaults(const std::vector<std::string>& faultTexts,
                                                          std::string& error) {
  std::map<int, UnitFaults> faults;
  for (const auto& faultText : faultTexts) {
    const size_t colon = faultText.find(':');
    int unit = 0;
    const std::string who = colon == std::string::npos ? faultText : faultText.substr(0, colon);
    if (colon == std::string::npos || (who != "*" && (!ParseCount(who, unit) || unit < 1))) {
      error = "bad fault \"" + faultText + "\": expected UNIT:FAULT, e.g. 3:silent or *:wire";
      return std::nullopt;
    }
    std::vector<std::string> items;
    const std::string what = faultText.substr(colon + 1);
    for (size_t at = 0;;) {
      const size_t comma = what.find(',', at);
      items.push_back(what.substr(at, comma - at));
      if (comma == std::string::npos) break;
      at = comma + 1;
    }
    const int first = unit ? unit : 1, last = unit ? unit : kMaxSimUnits;
    for (const std::string& item : items) {
      UnitFaults probe;
      if (!ApplyItem(item, probe)) {
        error = "bad fault \"" + faultText + "\": \"" + item + "\" is not one of " + UnitFaultsHelp();
        return std::nullopt;
      }
      for (int u = first; u <= last; ++u) ApplyItem(item, faults[u]);
    }
  }
  return faults;
}

const char* UnitFaultsHelp() {
  return "silent, silent=K, name=TEXT, hangup=K, garbage, status=CC[.PP]:SS, notblank, "
         "protected, flip[=ADDR], badcrc=K, short=K, delay=MS, wire, auto=N, every=MS, fail=K[:RR]";
}

}  // namespace korvel
