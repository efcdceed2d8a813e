#pragma once
#include <cstdint>

#include "app/JobSettings.h"
#include "app/MainControls.h"

namespace korvel {

// The settings back into the controls they are captured from, so that a
// capture right afterwards gives the same settings (within the controls'
// ranges). snDisplay is a project's display byte and decides the decimal
// display and the byte order boxes. The serial-number fields keep their
// texts while serial numbers are off, as the capture ignores them then.
void ShowJobSettings(MainControls& controls, const JobSettings& settings, uint8_t snDisplay);

}  // namespace korvel
