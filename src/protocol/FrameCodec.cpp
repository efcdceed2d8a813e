#include "protocol/FrameCodec.h"

#include <algorithm>
#include <cstring>

namespace korvel {

namespace {

constexpr uint32_t kRangeLimit = 0xFFFFFF;
constexpr size_t kUnitNameMax = 128;
// Header and check word around a reply's data.
constexpr size_t kReplyOverhead = 10;

// Clips an inclusive range to the buffer; false when nothing is left.
bool Clip(std::span<const uint8_t> buf, uint32_t first, uint32_t& last) {
  if (last < first || first >= buf.size()) return false;
  last = std::min<uint32_t>(last, static_cast<uint32_t>(buf.size() - 1));
  return true;
}

uint16_t Le16(std::span<const uint8_t> p, size_t at) {
  return static_cast<uint16_t>(p[at] | (p[at + 1] << 8));
}

// Moves frame[from..length) to the front and returns the new length.
size_t KeepTail(std::span<uint8_t> frame, size_t from, size_t length) {
  if (from >= length) return 0;
  std::memmove(frame.data(), frame.data() + from, length - from);
  return length - from;
}

}  // namespace

uint16_t CalcFrameCrc(std::span<const uint8_t> buf, uint32_t first, uint32_t last) {
  if (first > kRangeLimit || last > kRangeLimit) return 0;
  if (!Clip(buf, first, last)) return 0;
  uint32_t c = 0;
  for (uint32_t i = first; i <= last; ++i) {
    const bool low = c & 1;
    c = (c >> 1) ^ buf[i];
    if (low) c ^= 0x4A12;
    c &= 0xFFFF;
  }
  return static_cast<uint16_t>(c);
}

uint32_t SumBytes(std::span<const uint8_t> buf, uint32_t first, uint32_t last) {
  if (!Clip(buf, first, last)) return 0;
  uint32_t sum = 0;
  for (uint32_t i = first; i <= last; ++i) sum += buf[i];
  return sum;
}

uint32_t SumComplement(std::span<const uint8_t> buf, uint32_t first, uint32_t last) {
  if (first > kRangeLimit) return 0;
  uint16_t sum = 0;
  if (Clip(buf, first, last))
    for (uint32_t i = first; i <= last; ++i) sum = static_cast<uint16_t>(sum + buf[i]);
  return 0x10000u - sum;
}

size_t EncodeFrame(std::span<const uint8_t> packet, std::span<uint8_t> out) {
  const size_t count = packet.size();
  if (count == 0 || count > 0xFFFF || out.size() < EncodedFrameCapacity(count)) return 0;
  size_t n = 0;
  out[n++] = kFrameEnd;
  for (uint8_t b : packet) {
    if (b == kFrameEnd) {
      out[n++] = kFrameEsc;
      out[n++] = kFrameEscEnd;
    } else if (b == kFrameEsc) {
      out[n++] = kFrameEsc;
      out[n++] = kFrameEscEsc;
    } else {
      out[n++] = b;
    }
  }
  out[n++] = kFrameEnd;
  for (int i = 0; i < 5; ++i) out[n++] = 0xFF;
  return n;
}

bool ExtractFrame(std::span<const uint8_t> acc, size_t& position,
                  std::span<uint8_t> frame, size_t& frameLength) {
  frameLength = 0;
  const size_t end = acc.size();
  while (position < end) {
    // Find a start: the last 0xC0 of a run of them.
    while (position < end && acc[position] != kFrameEnd) ++position;
    if (position >= end) return false;
    while (position + 1 < end && acc[position + 1] == kFrameEnd) ++position;
    if (frame.empty()) return false;
    frame[0] = kFrameEnd;
    frameLength = 1;
    ++position;
    while (position < end) {
      const uint8_t b = acc[position];
      if (frameLength == frame.size()) break;  // longer than any frame: garbage
      frame[frameLength++] = b;
      ++position;
      if (b == kFrameEnd) return true;
    }
    if (position >= end) return false;
    // Too long: rescan from here, the next 0xC0 may start a real frame.
    frameLength = 0;
  }
  return false;
}

uint8_t DecodeFrame(std::span<uint8_t> frame, size_t& frameLength,
                    std::span<uint8_t> packet, size_t& packetLength) {
  packetLength = 0;
  const size_t f = std::min(frameLength, frame.size());
  size_t i = 0;
  while (i < f && frame[i] != kFrameEnd) ++i;
  if (i >= f) {
    frameLength = 0;
    return kStatusFraming;
  }
  ++i;
  if (i < f && frame[i] == kFrameEnd) ++i;

  size_t n = 0;
  bool escape = false;
  while (i < f) {
    const uint8_t b = frame[i++];
    if (b == kFrameEnd) {
      packetLength = n;
      frameLength = KeepTail(frame, i, f);
      return n >= 8 ? 0 : kStatusFraming;
    }
    uint8_t out;
    if (escape) {
      escape = false;
      if (b == kFrameEscEnd) {
        out = kFrameEnd;
      } else if (b == kFrameEscEsc) {
        out = kFrameEsc;
      } else {
        frameLength = KeepTail(frame, i, f);
        return kStatusFraming;
      }
    } else if (b == kFrameEsc) {
      escape = true;
      continue;
    } else {
      out = b;
    }
    if (n == packet.size()) {  // the reply would not fit the packet buffer
      frameLength = KeepTail(frame, i, f);
      return kStatusFraming;
    }
    packet[n++] = out;
  }
  frameLength = 0;
  return kStatusFraming;
}

uint8_t CheckReply(std::span<const uint8_t> packet, size_t packetLength) {
  packetLength = std::min(packetLength, packet.size());
  // The header's length field must account for every byte between the
  // header and the check word: a reply cut short or run together with
  // another is not a reply.
  if (packetLength < kReplyOverhead || Le16(packet, 6) != packetLength - kReplyOverhead)
    return kStatusFraming;
  const uint16_t crc = CalcFrameCrc(packet, 0, static_cast<uint32_t>(packetLength - 3));
  if (crc != Le16(packet, packetLength - 2)) return kStatusCheckWord;
  return Le16(packet, 6) == 1 ? packet[8] : 0;
}

std::span<const uint8_t> ReplyData(std::span<const uint8_t> packet) {
  if (packet.size() < kReplyOverhead) return {};
  const size_t declared = Le16(packet, 6);
  return packet.subspan(8, std::min(declared, packet.size() - kReplyOverhead));
}

int CheckDeviceId(std::span<const uint8_t> packet, size_t packetLength,
                  std::string& expected, size_t offset) {
  packetLength = std::min(packetLength, packet.size());
  if (packetLength < 8 || packet[0] != 0xA3 || packet[1] != 0xA5 || packet[2] != 0x35)
    return kStatusNotIdReply;
  const size_t dataLength = Le16(packet, 6);
  if (dataLength == 0) return kStatusNotIdReply;

  std::string received;
  const size_t stop = std::min(packetLength, offset + dataLength + 1);
  for (size_t i = offset; i < stop && received.size() < kUnitNameMax; ++i) {
    const uint8_t b = packet[i];
    if (b < 0x20 || b >= 0x80) break;
    received.push_back(static_cast<char>(b));
  }
  const int cmp = std::strncmp(received.c_str(), expected.c_str(), expected.size());
  if (cmp == 0) expected = received;
  return cmp;
}

uint8_t HexPairToByte(std::string_view text) {
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  const int high = text.empty() ? 0 : std::max(digit(text[0]), 0);
  const int low = text.size() > 1 ? digit(text[1]) : -1;
  if (low < 0) return static_cast<uint8_t>(high);
  return static_cast<uint8_t>(high * 16 + low);
}

}  // namespace korvel
