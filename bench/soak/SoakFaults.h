#pragma once
// The faults the soak draws from, each with the outcome it must give a
// channel running Auto.
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/ChannelState.h"

namespace korvel::soak {

struct SoakFault {
  std::string Name;         // the table's row
  std::string Item;         // the simulator's fault item ("" for none)
  ChannelResult Expected;   // how the channel's Auto must end
  std::string Text;         // a part of its last message ("" for any)
  bool Disconnects = false; // the unit is unplugged by the fault
};

// Index 0 is the unit without a fault.
const std::vector<SoakFault>& SoakFaults();

// Half of the draws give no fault, the rest one of the others evenly.
size_t DrawFault(std::mt19937& rng);

}  // namespace korvel::soak
