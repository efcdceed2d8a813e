#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "protocol/FirmwareFile.h"

namespace korvel {

class SimUnit;
class PtyUnitServer;

// What a simulated unit's boot loader keeps across an upgrade.
struct SimFirmwareState {
  // The firmware the unit checks blocks against; without one only the
  // block layout is checked.
  std::shared_ptr<const FirmwareImage> Expected;
  uint16_t NextBlock = 0;
  int BlocksTaken = 0;
  int Upgrades = 0;     // restarts after an upgrade
  int BadBlocks = 0;
};

// How long a unit stays deaf after the restart request (its new firmware
// starting).
inline constexpr uint64_t kSimFirmwareRestartUs = 200000;

// The upgrade block (0xB7) and the restart into the new firmware (0xBD).
void InstallFirmwareCommands(SimUnit& unit);

// Writes a valid firmware file of random content with a body of size bytes
// (1..65535); returns the error text when it cannot.
std::optional<std::string> WriteRandomFirmware(const std::string& path, size_t size);
inline constexpr size_t kDefaultSimFirmwareSize = 0x8000;

// Every unit of the server checks upgrade blocks against fw.
void GiveFirmware(PtyUnitServer& server, std::shared_ptr<const FirmwareImage> fw);

}  // namespace korvel
