#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace korvel {

// Per-channel buffer sizes. The packet buffer holds the largest request
// (a 4096-byte block behind header and configuration block) with room to
// spare; the encoded frame holds that packet even if every byte needs an
// escape. The receive side keeps a whole worst-case frame, so a 4 KB reply
// full of 0xC0 and 0xDB bytes still fits.
inline constexpr size_t kPacketBufferSize = 6144;
inline constexpr size_t kEncodedBufferSize = 2 * kPacketBufferSize + 7;
inline constexpr size_t kReceiveBufferSize = 16384;
inline constexpr size_t kPacketHeaderSize = 8;

// The identification request, sent as it stands (no header, no check word).
inline constexpr std::array<uint8_t, 10> kWakeUpFrame = {0xC0, 0xA3, 0xA5, 0x35, 0xC0,
                                                         0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// Bytes 0..5 of a request: command, parameter (little-endian), 0x0B, the
// job's chip code and its second chip-identity byte.
void WriteRequestHeader(std::span<uint8_t> packet, uint8_t command, uint16_t parameter,
                        uint8_t chipCode, uint8_t chipSubCode);

// Completes the packet whose bytes 0..5 and data (from offset 8) are in
// place: data length at 6..7, check word behind the data. Returns the packet
// length (10 + dataLength), or 0 when it would not fit the buffer.
size_t FinishPacket(std::span<uint8_t> packet, size_t dataLength);

// The restart request: 0x8A, "REST", 0xA8, two zero data bytes. Returns its length.
size_t BuildRestartPacket(std::span<uint8_t> packet);

}  // namespace korvel
