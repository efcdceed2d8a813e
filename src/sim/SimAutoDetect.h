#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "sim/SimJob.h"
#include "sim/SimTarget.h"

namespace korvel {

class SimUnit;

// Phases of a chip the unit programs on its own, as its progress frames
// name them.
enum SimPhase : uint8_t {
  kRunInit = 0x10,
  kRunBlank = 0x20,
  kRunErase = 0x30,
  kRunMain = 0x40,
  kRunEep = 0x50,
  kRunVerifyMain = 0x70,
  kRunVerifyEep = 0x80,
  kRunOptions = 0xA0,
  kRunDone = 0xF0,
};
inline constexpr uint8_t kChipGood = 6;

// The 8-byte progress frame: 0xFD, phase, result, progress and total
// (little-endian), and the byte that makes the eight add up to 0.
std::array<uint8_t, 8> ProgressFrame(uint8_t phase, uint8_t result = 0, uint16_t progress = 0,
                                     uint16_t total = 0);

// The frames of one chip run through the job, in order. A chip with data on
// it is erased first; a failing chip stops after the main-flash
// verification with failResult.
std::vector<std::array<uint8_t, 8>> ChipRunFrames(const SimJob& job, bool chipHasData, bool fails,
                                                  uint8_t failResult);

// Puts the job on a chip: main flash, the second memory the job carries,
// and the option bytes unless the job skips them.
void ProgramChipFromJob(const SimJob& job, SimTarget& chip);

// After the restart of a download with automatic chip detection on: the
// unit programs its fault text's chips (no more than the job's limit), one
// every interval from the restart reply on, its frames spread over the
// interval; the socket then holds the last good chip.
void StartAutoRun(SimUnit& unit);

}  // namespace korvel
