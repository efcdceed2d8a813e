#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/JobSettings.h"
#include "app/MainControls.h"

namespace korvel {

// What the capture needs to know of the selected chip.
struct CaptureChip {
  // The chip has data memory (EEP or OTP): EepSize is not 0.
  bool HasEep = false;
  // A serial-number address that lies in the chip's data memory ticks
  // EnWrtEep. Empty: never.
  std::function<bool(uint32_t address)> SnAddressInDataMemory;
};

// Reads the job controls into the settings, in the settings' order, with
// the side effects on the controls. Returns the conversion error of a
// serial-number field that is not a number; the settings and the controls
// are then left as they were and the operation must not start.
std::optional<std::string> CaptureJobSettings(MainControls& controls, JobSettings& settings,
                                              const CaptureChip& chip);

}  // namespace korvel
