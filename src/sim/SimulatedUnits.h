#pragma once
#include <memory>
#include <string>
#include <vector>

#include "sim/PtyUnitServer.h"

namespace korvel {

// The simulated units of `korvelst --simulate N --sim-fault SPEC ...` and of
// korvelsim: N units on pseudo-terminals with the faults of the specs
// (UnitFaults.h). wireRate paces every unit at the real line rate, as the
// spec "*:wire" does. Returns null and sets error when a spec is malformed
// or the pseudo-terminals cannot be made.
std::unique_ptr<PtyUnitServer> StartSimulatedUnits(int units, std::vector<std::string> specs,
                                                   bool wireRate, std::string& error);

}  // namespace korvel
