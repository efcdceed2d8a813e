#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace korvel {

// How a simulated unit misbehaves. Text form, one fault per spec (the
// --sim-fault option and korvelsim --fault take such specs, repeatable):
//   "3:silent"     unit 3 never answers
//   "2:name=Foo"   unit 2 identifies itself as "Foo" (another model)
//   "5:hangup=4"   unit 5 answers 4 requests, then is unplugged
//   "1:garbage"    unit 1 sends noise bytes before every reply frame
// Units are numbered from 1. Several specs for one unit add up.
struct UnitFaults {
  bool Silent = false;
  std::optional<std::string> Name;
  int HangupAfter = 0;  // 0: never
  bool Garbage = false;
};

// Parses specs into faults by unit number (1-based). On a malformed spec
// returns nullopt and sets error.
std::optional<std::map<int, UnitFaults>> ParseUnitFaults(const std::vector<std::string>& specs,
                                                          std::string& error);

}  // namespace korvel
