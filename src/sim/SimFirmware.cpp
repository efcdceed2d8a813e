#include "sim/SimFirmware.h"

#include <fstream>
#include <random>

#include "sim/PtyUnitServer.h"
#include "sim/SimUnit.h"

namespace korvel {

namespace {

constexpr uint8_t kAck = 0;
constexpr uint8_t kBadData = 0x31;
constexpr uint8_t kBadPacket = 0x20;

void TakeBlock(SimUnit& unit, std::span<const uint8_t> r, std::vector<uint8_t>& reply) {
  SimFirmwareState& s = unit.Firmware();
  // Block 0 always starts an upgrade afresh, as a host that retries does.
  if (r[1] == 0) {
    s.NextBlock = 0;
    s.BlocksTaken = 0;
  }
  if (auto problem = CheckFirmwareBlock(r, s.NextBlock, s.Expected.get())) {
    ++s.BadBlocks;
    const bool layout = problem->find("differs") == std::string::npos;
    return SimUnit::StatusReply(r, layout ? kBadPacket : kBadData, reply);
  }
  ++s.NextBlock;
  ++s.BlocksTaken;
  SimUnit::StatusReply(r, kAck, reply);
}

void RestartIntoFirmware(SimUnit& unit, std::span<const uint8_t>, std::vector<uint8_t>&) {
  SimFirmwareState& s = unit.Firmware();
  if (s.BlocksTaken > 0) ++s.Upgrades;
  s.NextBlock = 0;
  s.BlocksTaken = 0;
  // No answer: the unit is busy starting its new firmware.
  unit.GoDeaf(unit.RequestTimeUs() + kSimFirmwareRestartUs);
}

}  // namespace

void InstallFirmwareCommands(SimUnit& unit) {
  unit.SetCommand(kFirmwareBlockCommand, TakeBlock);
  unit.SetCommand(kFirmwareRestartCommand, RestartIntoFirmware);
}

std::optional<std::string> WriteRandomFirmware(const std::string& path, size_t size) {
  if (size < 1 || size > 0xFFFF) return std::string("the firmware size must be 1..65535 bytes");
  std::mt19937 engine(std::random_device{}());
  std::vector<uint8_t> body(size);
  for (uint8_t& b : body) b = static_cast<uint8_t>(engine());
  const std::vector<uint8_t> file =
      MakeFirmwareFile(body, FirmwareEndFor(size), [&engine] { return static_cast<uint32_t>(engine()); });
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  out.close();
  if (!out) return "cannot write " + path;
  return std::nullopt;
}

void GiveFirmware(PtyUnitServer& server, std::shared_ptr<const FirmwareImage> fw) {
  for (int k = 0; k < server.Units(); ++k) server.WithUnit(k, [&fw](SimUnit& u) { u.Firmware().Expected = fw; });
}

}  // namespace korvel
