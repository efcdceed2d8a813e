#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "sim/SimChipLayout.h"

namespace korvel {

// The job a unit keeps after a download: the job header's settings and the
// images of the blocks that followed it. A unit programs chips on its own
// from it (automatic chip detection).
struct SimJob {
  bool HeaderAccepted = false;
  SimChipLayout Layout;
  std::array<uint8_t, 128> OptionBytes{};
  uint8_t LimitFlag = 0;
  uint32_t MaxCount = 0xFFFFFFFF;
  std::vector<uint8_t> Image;        // like the host's main buffer
  std::vector<uint8_t> SecondImage;  // the OTP image the header carried
  // The block parameter the next request of each kind must carry.
  uint16_t NextMainBlock = 0;
  uint16_t NextDataBlock = 0;  // data memory after main (0x20/0x28), from 0
  uint16_t NextSecondBlock = 0;
  // Chips of this job the unit has programmed alone, and how many it has
  // taken on so far (finished or still being reported).
  uint64_t AutoChipsDone = 0;
  uint64_t AutoChipsTaken = 0;

  // Every main-flash block has arrived.
  bool Complete() const { return HeaderAccepted && NextMainBlock >= Layout.FlashSizeKB; }
  bool AutoDetect() const { return Layout.AutoDetect == kAutoDetectOn; }
  // The production limit of the job, or 0xFFFFFFFF without one.
  uint32_t Limit() const { return LimitFlag == 0x0F ? MaxCount : 0xFFFFFFFF; }
};

// Unit status codes the download answers with.
inline constexpr uint8_t kSimAck = 6;
inline constexpr uint8_t kSimBadPacket = 0x20;
inline constexpr uint8_t kSimBadHeaderCheck = 0x34;
inline constexpr uint8_t kSimWrongChip = 0x36;
inline constexpr uint8_t kSimCommandFailed = 0x45;
inline constexpr uint8_t kSimOutOfRange = 0x55;

// The three download requests, each a whole request packet with a valid
// check word; the result is the status the unit answers. A job header
// replaces the job; blocks must follow it in the order the host sends them
// (0, 4, 8, ...) and lie inside the job's memories.
uint8_t AcceptJobHeader(std::span<const uint8_t> request, SimJob& job);
uint8_t AcceptMainBlock(std::span<const uint8_t> request, SimJob& job);
uint8_t AcceptSecondBlock(std::span<const uint8_t> request, SimJob& job);

// The data length a request packet declares, and whether the packet holds
// exactly that much (header, data, check word).
uint16_t DeclaredLength(std::span<const uint8_t> request);
bool HasDataLength(std::span<const uint8_t> request, size_t length);

}  // namespace korvel
