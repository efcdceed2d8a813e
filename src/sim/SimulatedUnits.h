#pragma once
#include <memory>
#include <string>
#include <vector>

#include "sim/PtyUnitServer.h"

namespace korvel {

// The simulated units of `korvelst --simulate N --sim-fault FAULT ...` and of
// korvelsim: N units on pseudo-terminals with the faults of the fault texts
// (UnitFaults.h). wireRate paces every unit at the real line rate, as the
// fault "*:wire" does. Returns null and sets error when a fault text is malformed
// or the pseudo-terminals cannot be made.
std::unique_ptr<PtyUnitServer> StartSimulatedUnits(int units, std::vector<std::string> faultTexts,
                                                   bool wireRate, std::string& error);

}  // namespace korvel
