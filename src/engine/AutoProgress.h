#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "app/AppState.h"
#include "engine/ProductionCounters.h"

namespace korvel {

inline constexpr uint8_t kProgressMarker = 0xFD;
// The phases of the frames that start and end a chip, and the result of
// the end for success.
inline constexpr uint8_t kPhaseChipStart = 0x10;
inline constexpr uint8_t kPhaseChipDone = 0xF0;
inline constexpr uint8_t kUnitChipSuccess = 6;

// The 8-byte report a programmer sends on its own while it programs a chip
// by itself.
struct AutoProgressFrame {
  uint8_t Phase = 0;
  uint8_t Result = 0;     // phase 0xF0: 6 = success
  uint16_t Progress = 0;  // phases 0x40, 0x50
  uint16_t Total = 0;
};

// Whether a decoded reply is a progress report (first byte 0xFD).
inline bool IsAutoProgress(std::span<const uint8_t> packet) {
  return !packet.empty() && packet[0] == kProgressMarker;
}

// The frame in the first 8 bytes of packet; nullopt when they are fewer or
// their sum is not 0 modulo 256.
std::optional<AutoProgressFrame> DecodeAutoProgressFrame(std::span<const uint8_t> packet);

// What follows "Progrmming Completed : " in the line of a finished chip.
std::string AutoProgressResultText(int channel, uint8_t result);

// Shows a progress frame on the channel: its line, its gauge and, for a
// finished chip, the counts. Nothing else of the channel changes.
void ShowAutoProgress(AppState& app, int channel, const AutoProgressFrame& frame,
                      const SaveLogNow& save);

// Decodes and shows; a frame with a bad check byte is dropped silently.
void HandleAutoProgress(AppState& app, int channel, std::span<const uint8_t> packet,
                        const SaveLogNow& save);

}  // namespace korvel
