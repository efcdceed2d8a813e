// The frame codec on arbitrary receive streams, and the round trip of a
// packet through encoding and decoding.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "protocol/FrameCodec.h"
#include "protocol/PacketBuilder.h"

using namespace korvel;

namespace {

void ScanStream(std::span<const uint8_t> stream) {
  std::vector<uint8_t> frame(kReceiveBufferSize);
  std::vector<uint8_t> packet(kPacketBufferSize);
  size_t position = 0, frameLength = 0;
  while (position < stream.size()) {
    const size_t before = position;
    if (!ExtractFrame(stream, position, frame, frameLength)) break;
    FUZZ_CHECK(position > before && position <= stream.size());
    FUZZ_CHECK(frameLength >= 2 && frameLength <= frame.size());
    size_t length = frameLength, packetLength = 0;
    if (DecodeFrame(std::span<uint8_t>(frame.data(), frameLength), length, packet, packetLength) != 0)
      continue;
    FUZZ_CHECK(packetLength >= 8 && packetLength <= packet.size());
    const std::span<const uint8_t> p(packet.data(), packetLength);
    CheckReply(p, packetLength);
    const auto data = ReplyData(p);
    FUZZ_CHECK(data.empty() || (data.data() >= p.data() && data.data() + data.size() <= p.data() + p.size()));
    std::string expected = "Korvel";
    CheckDeviceId(p, packetLength, expected, 0);
    FUZZ_CHECK(expected.size() <= 128 || expected == "Korvel");
  }
}

// A packet encoded and decoded again comes back byte for byte.
void RoundTrip(std::span<const uint8_t> packet) {
  if (packet.size() < 8 || packet.size() > kPacketBufferSize) return;
  std::vector<uint8_t> wire(EncodedFrameCapacity(packet.size()));
  const size_t n = EncodeFrame(packet, wire);
  FUZZ_CHECK(n > 0 && n <= wire.size());
  std::vector<uint8_t> frame(kReceiveBufferSize);
  size_t position = 0, frameLength = 0;
  FUZZ_CHECK(ExtractFrame(std::span<const uint8_t>(wire.data(), n), position, frame, frameLength));
  std::vector<uint8_t> out(kPacketBufferSize);
  size_t length = frameLength, outLength = 0;
  FUZZ_CHECK(DecodeFrame(std::span<uint8_t>(frame.data(), frameLength), length, out, outLength) == 0);
  FUZZ_CHECK(outLength == packet.size());
  FUZZ_CHECK(std::equal(packet.begin(), packet.end(), out.begin()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> all(data, size);
  ScanStream(all);
  RoundTrip(all);
  if (size >= 2) {
    const uint32_t first = data[0], last = data[1];
    CalcFrameCrc(all, first, last);
    SumBytes(all, first, last);
    SumComplement(all, first, last);
  }
  return 0;
}
