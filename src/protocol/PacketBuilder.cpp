#include "protocol/PacketBuilder.h"

#include "protocol/FrameCodec.h"

namespace korvel {

void WriteRequestHeader(std::span<uint8_t> packet, uint8_t command, uint16_t parameter,
                        uint8_t chipCode, uint8_t chipSubCode) {
  if (packet.size() < kPacketHeaderSize) return;
  packet[0] = command;
  packet[1] = static_cast<uint8_t>(parameter & 0xFF);
  packet[2] = static_cast<uint8_t>(parameter >> 8);
  packet[3] = 0x0B;
  packet[4] = chipCode;
  packet[5] = chipSubCode;
}

size_t FinishPacket(std::span<uint8_t> packet, size_t dataLength) {
  const size_t length = kPacketHeaderSize + dataLength + 2;
  if (dataLength > 0xFFFF || length > packet.size()) return 0;
  packet[6] = static_cast<uint8_t>(dataLength & 0xFF);
  packet[7] = static_cast<uint8_t>(dataLength >> 8);
  const size_t crcAt = kPacketHeaderSize + dataLength;
  const uint16_t crc = CalcFrameCrc(packet, 0, static_cast<uint32_t>(crcAt - 1));
  packet[crcAt] = static_cast<uint8_t>(crc & 0xFF);
  packet[crcAt + 1] = static_cast<uint8_t>(crc >> 8);
  return length;
}

size_t BuildRestartPacket(std::span<uint8_t> packet) {
  if (packet.size() < 12) return 0;
  const uint8_t head[6] = {0x8A, 'R', 'E', 'S', 'T', 0xA8};
  for (int i = 0; i < 6; ++i) packet[i] = head[i];
  packet[8] = 0;
  packet[9] = 0;
  return FinishPacket(packet, 2);
}

}  // namespace korvel
