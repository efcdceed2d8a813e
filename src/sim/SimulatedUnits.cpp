#include "sim/SimulatedUnits.h"

#include "sim/UnitFaults.h"

namespace korvel {

std::unique_ptr<PtyUnitServer> StartSimulatedUnits(int units, std::vector<std::string> faultTexts,
                                                   bool wireRate, std::string& error) {
  if (units < 1 || units > kMaxSimUnits) {
    error = "the number of simulated units must be 1.." + std::to_string(kMaxSimUnits);
    return nullptr;
  }
  // The line rate goes first, so that a unit's own fault text can still add to it.
  if (wireRate) faultTexts.insert(faultTexts.begin(), "*:wire");
  auto faults = ParseUnitFaults(faultTexts, error);
  if (!faults) return nullptr;
  auto server = std::make_unique<PtyUnitServer>(units, std::move(*faults));
  if (!server->Start(error)) return nullptr;
  return server;
}

}  // namespace korvel
