// The simulated unit's request parser: raw bytes, and requests framed with
// a valid check word so that every command handler sees arbitrary data.
#include <vector>

#include "FuzzSupport.h"
#include "protocol/FrameCodec.h"
#include "protocol/PacketBuilder.h"
#include "sim/SimUnit.h"

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  const uint8_t mode = in.Byte();
  SimUnit unit;
  std::vector<uint8_t> out;
  if (mode & 1) unit.Receive(kWakeUpFrame.data(), kWakeUpFrame.size(), out);
  if (mode & 2) {
    // Raw chunks, as a line delivers them.
    while (!in.Empty()) {
      const auto chunk = in.Take(in.Byte() % 64 + 1);
      unit.Receive(chunk.data(), chunk.size(), out);
    }
    return 0;
  }
  // Requests: a header and data of the given length, sealed and framed.
  std::vector<uint8_t> packet(kPacketBufferSize);
  std::vector<uint8_t> wire(kEncodedBufferSize);
  while (!in.Empty()) {
    const size_t dataLength = std::min<size_t>(in.U16() % 1100, kPacketBufferSize - 10);
    const auto header = in.Take(6);
    std::fill(packet.begin(), packet.end(), 0);
    std::copy(header.begin(), header.end(), packet.begin());
    const auto body = in.Take(dataLength);
    std::copy(body.begin(), body.end(), packet.begin() + 8);
    const size_t length = FinishPacket(packet, dataLength);
    FUZZ_CHECK(length == dataLength + 10);
    const size_t n = EncodeFrame(std::span<const uint8_t>(packet.data(), length), wire);
    FUZZ_CHECK(n > 0);
    out.clear();
    unit.Receive(wire.data(), n, out);
  }
  return 0;
}
