#pragma once
#include <cstdint>
#include <vector>

#include "engine/JobHeader.h"
#include "engine/JobView.h"
#include "protocol/PacketBuilder.h"

namespace korvel {

// A request packet as it goes to the frame encoder: the 8-byte header
// (command, parameter, 0x0B, chip code, sub-code, data length), the data and
// the check word over both. The restart request is the channel host's.
using Packet = std::vector<uint8_t>;

inline constexpr size_t kDataBlockSize = 4096;

// Command bytes.
inline constexpr uint8_t kCmdJobHeader = 0x53;
inline constexpr uint8_t kCmdMainBlock = 0x55;
inline constexpr uint8_t kCmdSecondBlock = 0x5A;
inline constexpr uint8_t kCmdRestart = 0x8A;
inline constexpr uint8_t kCmdChipOperation = 0x93;
inline constexpr uint8_t kCmdProgramMain = 0x95;
inline constexpr uint8_t kCmdProgramSecond = 0x99;
inline constexpr uint8_t kCmdReadMain = 0x9B;
inline constexpr uint8_t kCmdReadSecond = 0x9D;

// Sub-codes of the chip operation (0x93) and of the second-memory commands.
inline constexpr uint16_t kSubErase = 3;
inline constexpr uint16_t kSubBlankCheck = 5;
inline constexpr uint16_t kSubOtpArea = 15;
inline constexpr uint16_t kSubChipChecksum = 0x30;
inline constexpr uint16_t kSubReadOptionBytes = 0x33;
inline constexpr uint16_t kSubWriteOptionBytes = 0x35;
inline constexpr uint16_t kSubUniqueId = 0x3C;

// 0x93 / 0x9B / 0x9D with the configuration block, 16 zero bytes and the
// family default table.
Packet CommandPacket(const JobView& job, uint8_t command, uint16_t subCodeOrBlock,
                     uint8_t randomByte);

// 0x93 sub-code 0x35: the configuration block and the option-byte image.
Packet OptionBytesPacket(const JobView& job, uint8_t randomByte);

// 0x55 / 0x5A of a download: 4096 image bytes at base + block × 1024.
Packet MainBlockPacket(const JobView& job, uint16_t block, uint32_t base);
Packet SecondBlockPacket(const JobView& job, uint16_t block, uint32_t base);

// 0x95 / 0x99: the configuration block and 4096 image bytes at
// base + block × 1024.
Packet ProgramBlockPacket(const JobView& job, uint8_t command, uint16_t block, uint32_t base,
                          uint8_t randomByte);

// 0x99 with the whole second-memory image (EepSize bytes); the parameter is
// the sub-code in byte 1 and 0x50 in byte 2.
Packet SecondImagePacket(const JobView& job, uint8_t subCode, uint8_t randomByte);

// 0x53: the job header twice and, for an OTP job, 1024 bytes of the OTP
// image, all scrambled with the mask of the parameter.
Packet JobHeaderPacket(const JobView& job, const JobHeaderRandom& random, uint16_t block = 0);

// Whether the job header packet carries the OTP image (2048 data bytes).
bool JobHeaderCarriesOtp(const JobView& job);

// 0x55 of the data memory of chip codes 0x20/0x28: numbered on from the
// main block total, 4096 image bytes at 0x80000 + block × 1024.
Packet DataMemBlockPacket(const JobView& job, uint16_t mainBlockCount, uint16_t block);

// Draws the random parts of one job header.
struct RandomSource;
JobHeaderRandom DrawJobHeaderRandom(RandomSource& random);

}  // namespace korvel
