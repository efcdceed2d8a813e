#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvel {

// Byte-level codec of the programmer link: check words, frame escaping, the
// cutting of frames out of the receive stream and the parsing of replies.
// All functions are pure apart from the buffers handed in, and none of them
// reads or writes outside the spans it is given.

inline constexpr uint8_t kFrameEnd = 0xC0;
inline constexpr uint8_t kFrameEsc = 0xDB;
inline constexpr uint8_t kFrameEscEnd = 0xDC;
inline constexpr uint8_t kFrameEscEsc = 0xDD;

// Host-side status codes beside the unit's own.
inline constexpr uint8_t kStatusFraming = 0x20;
inline constexpr uint8_t kStatusCheckWord = 0x23;
inline constexpr uint8_t kStatusNotIdReply = 15;

// 16-bit check word over buf[first..last] (one shift per byte, 0x4A12).
// 0 when first or last exceeds 0xFFFFFF or last < first; a range past the
// end of buf is cut at the end.
uint16_t CalcFrameCrc(std::span<const uint8_t> buf, uint32_t first, uint32_t last);

// 32-bit byte sum over buf[first..last]; 0 when last < first.
uint32_t SumBytes(std::span<const uint8_t> buf, uint32_t first, uint32_t last);

// 0x10000 minus the 16-bit byte sum over buf[first..last] (0x10000 for an
// empty range); 0 when first exceeds 0xFFFFFF. Callers keep the low 16 bits.
uint32_t SumComplement(std::span<const uint8_t> buf, uint32_t first, uint32_t last);

// The output space EncodeFrame needs for a packet of count bytes.
constexpr size_t EncodedFrameCapacity(size_t count) { return 2 * count + 7; }

// Writes 0xC0, the escaped packet, 0xC0 and five 0xFF to out; returns the
// number of bytes written. Refuses (returns 0) an empty packet, one longer
// than 0xFFFF bytes, or an out shorter than EncodedFrameCapacity(count).
size_t EncodeFrame(std::span<const uint8_t> packet, std::span<uint8_t> out);

// Scans acc from position for one complete frame 0xC0 ... 0xC0 and copies it
// into frame. On success position is just past the closing 0xC0 and
// frameLength counts both delimiters. Without a complete frame, position is
// where the scan stopped (the end of acc) and false is returned; a frame
// longer than the frame buffer is skipped as garbage.
bool ExtractFrame(std::span<const uint8_t> acc, size_t& position,
                  std::span<uint8_t> frame, size_t& frameLength);

// Un-escapes the first frame in frame[0..frameLength) into packet. Returns 0
// for a packet of at least 8 bytes, kStatusFraming otherwise (short packet,
// escape error, missing closing 0xC0, or a packet that would not fit in the
// packet buffer). The bytes after the point reached move to the front of the
// frame buffer and frameLength shrinks accordingly.
uint8_t DecodeFrame(std::span<uint8_t> frame, size_t& frameLength,
                    std::span<uint8_t> packet, size_t& packetLength);

// Status of a decoded reply of packetLength bytes: kStatusFraming when the
// header's data length does not match the packet (header, data, check word),
// kStatusCheckWord on a check-word mismatch, the data byte when the data
// length is exactly 1, otherwise 0.
uint8_t CheckReply(std::span<const uint8_t> packet, size_t packetLength);

// The data of a reply: the bytes after the 8-byte header, without the check
// word, at most as many as the header declares.
std::span<const uint8_t> ReplyData(std::span<const uint8_t> packet);

// The identification reply: 0 when the text at offset begins with expected,
// and then expected becomes the whole received text (at most 128 bytes);
// non-zero when it does not match; kStatusNotIdReply when the packet is not
// an identification reply (A3 A5 35 with a data length above 0).
int CheckDeviceId(std::span<const uint8_t> packet, size_t packetLength,
                  std::string& expected, size_t offset);

// "A" -> 0x0A, "3F" -> 0x3F; upper-case digits only, others count as 0.
uint8_t HexPairToByte(std::string_view text);

}  // namespace korvel
