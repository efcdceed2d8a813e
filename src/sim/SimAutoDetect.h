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

// What the chips put in the socket bring along.
struct SimChipKind {
  bool HasData = false;        // not blank
  bool ReadProtected = false;  // read-out protection set
};

// The frames of one chip run through the job, in order, only the steps the
// job's OptionFlags leave on. A chip with data (or protected) is erased
// first; an STM32 chip with data that the job does not erase fails its
// main-flash verification (0x31). A failing chip stops with failResult
// after the main-flash verification (or at the end without one). With
// PowerFlags bit 7 the unit only checks the read-out protection: good
// (6) when set, 0x1E when not.
std::vector<std::array<uint8_t, 8>> ChipRunFrames(const SimJob& job, SimChipKind chip, bool fails,
                                                  uint8_t failResult);

// Puts the job on a chip, the steps the job leaves on: erase, main flash,
// the second memory the job carries, the option bytes.
void ProgramChipFromJob(const SimJob& job, SimTarget& chip);

// A restart after a download with automatic chip detection on (the
// download's own, or an off-line start): the unit runs alone on its fault
// text's chips (no more than the job's limit), one every interval from the
// restart reply on, its frames spread over the interval; the socket then
// holds the last good chip. A restart while it runs takes back what it has
// not reported yet: the chip under way starts again, the finished ones are
// not programmed twice.
void StartAutoRun(SimUnit& unit);

}  // namespace korvel
