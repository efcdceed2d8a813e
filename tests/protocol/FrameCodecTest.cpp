#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "protocol/FrameCodec.h"

namespace korvel {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Encode(const Bytes& packet) {
  Bytes out(EncodedFrameCapacity(packet.size()));
  out.resize(EncodeFrame(packet, out));
  return out;
}

// Runs ExtractFrame over a stream the way the receive path does.
std::vector<Bytes> Frames(const Bytes& stream, size_t* tailStart = nullptr) {
  std::vector<Bytes> frames;
  Bytes frame(stream.size() + 8);
  size_t pos = 0, len = 0, lastEnd = 0;
  while (ExtractFrame(stream, pos, frame, len)) {
    frames.emplace_back(frame.begin(), frame.begin() + len);
    lastEnd = pos;
  }
  if (tailStart) *tailStart = lastEnd;
  return frames;
}

Bytes WithCrc(Bytes p) {
  const uint16_t c = CalcFrameCrc(p, 0, static_cast<uint32_t>(p.size() - 1));
  p.push_back(c & 0xFF);
  p.push_back(c >> 8);
  return p;
}

const Bytes kRestart = {0x8A, 0x52, 0x45, 0x53, 0x54, 0xA8, 0x02, 0x00, 0x00, 0x00};

TEST(FrameCrc, WorkedExamplesAndRangeRules) {
  const Bytes abc = {0x61, 0x62, 0x63};
  EXPECT_EQ(CalcFrameCrc(abc, 0, 0), 0x0061);
  EXPECT_EQ(CalcFrameCrc(abc, 0, 1), 0x4A40);
  EXPECT_EQ(CalcFrameCrc(abc, 0, 2), 0x2543);
  EXPECT_EQ(CalcFrameCrc(kRestart, 0, 9), 0x02CD);
  EXPECT_EQ(CalcFrameCrc(abc, 2, 1), 0);
  EXPECT_EQ(CalcFrameCrc(abc, 0, 0x1000000), 0);
  EXPECT_EQ(CalcFrameCrc(abc, 0, 500), 0x2543);  // cut at the buffer's end
}

TEST(FrameSums, SumBytesAndComplement) {
  const Bytes b = {0xFF, 0xFF, 0x02};
  EXPECT_EQ(SumBytes(b, 0, 2), 0x200u);
  EXPECT_EQ(SumBytes(b, 2, 1), 0u);
  EXPECT_EQ(SumComplement(b, 0, 2), 0x10000u - 0x200u);
  EXPECT_EQ(SumComplement(b, 2, 1), 0x10000u);  // empty range sums to 0
  EXPECT_EQ(SumComplement(b, 0x1000000, 0x1000001), 0u);
  const Bytes zero(4, 0);
  EXPECT_EQ(SumComplement(zero, 0, 3) & 0xFFFF, 0u);
}

TEST(EncodeFrame, RestartRequestOnTheWire) {
  const Bytes expected = {0xC0, 0x8A, 0x52, 0x45, 0x53, 0x54, 0xA8, 0x02, 0x00, 0x00, 0x00,
                          0xCD, 0x02, 0xC0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(Encode(WithCrc(kRestart)), expected);
}

TEST(EncodeFrame, EscapesAndRoundTrips) {
  const Bytes packet = {1, 2, 3, 4, 0xC0, 0xDB, 7, 8, 0xFF};
  const Bytes wire = Encode(packet);
  const Bytes body = {0xC0, 1, 2, 3, 4, 0xDB, 0xDC, 0xDB, 0xDD, 7, 8, 0xFF, 0xC0};
  EXPECT_EQ(Bytes(wire.begin(), wire.begin() + body.size()), body);

  Bytes frame = wire, out(64);
  size_t flen = frame.size(), plen = 0;
  EXPECT_EQ(DecodeFrame(frame, flen, out, plen), 0);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + plen), packet);
  EXPECT_EQ(flen, 5u);  // the five fillers moved to the front
}

TEST(EncodeFrame, WorstCasePacketFitsAndShortOutputIsRefused) {
  const Bytes all(6144, 0xC0);
  Bytes out(EncodedFrameCapacity(all.size()));
  EXPECT_EQ(EncodeFrame(all, out), 2 * 6144 + 7u);
  Bytes small(6144);
  EXPECT_EQ(EncodeFrame(all, small), 0u);
  EXPECT_EQ(EncodeFrame(Bytes{}, out), 0u);
}

TEST(ExtractFrame, DoubledDelimiterAndFillers) {
  const Bytes pkt = WithCrc({1, 2, 3, 4, 5, 6, 0, 0});
  Bytes stream = {0xFF, 0xFF, 0xC0};
  Bytes wire = Encode(pkt);
  stream.insert(stream.end(), wire.begin(), wire.begin() + wire.size() - 5);  // C0 .. C0
  stream.push_back(0xFF);
  auto frames = Frames(stream);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], Bytes(wire.begin(), wire.end() - 5));
}

TEST(ExtractFrame, TwoFramesAndAPartialTail) {
  const Bytes a = Encode(WithCrc({1, 0, 0, 0, 0, 0, 0, 0}));
  const Bytes b = Encode(WithCrc({2, 0, 0, 0, 0, 0, 0, 0}));
  Bytes stream = a;
  stream.insert(stream.end(), b.begin(), b.end());
  stream.insert(stream.end(), a.begin(), a.begin() + 6);  // cut inside a frame
  size_t tail = 0;
  auto frames = Frames(stream, &tail);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[1][1], 2);
  // The tail holds the fillers of the second frame and the partial third.
  EXPECT_EQ(stream.size() - tail, 5u + 6u);
}

TEST(ExtractFrame, FrameLongerThanTheFrameBufferIsSkipped) {
  Bytes stream = {0xC0};
  stream.insert(stream.end(), 100, 0x11);
  stream.push_back(0xC0);
  const Bytes good = Encode(WithCrc({3, 0, 0, 0, 0, 0, 0, 0}));
  stream.insert(stream.end(), good.begin(), good.end());
  Bytes frame(40);
  size_t pos = 0, len = 0;
  ASSERT_TRUE(ExtractFrame(stream, pos, frame, len));
  EXPECT_EQ(frame[1], 3);
  EXPECT_EQ(len, good.size() - 5);
}

struct DecodeCase {
  const char* name;
  Bytes frame;
  uint8_t status;
};

TEST(DecodeFrame, FramingErrors) {
  const DecodeCase cases[] = {
      {"short packet", {0xC0, 1, 2, 3, 0xC0}, kStatusFraming},
      {"bad escape", {0xC0, 1, 2, 3, 4, 5, 0xDB, 0x11, 7, 8, 9, 0xC0}, kStatusFraming},
      {"no closing delimiter", {0xC0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, kStatusFraming},
      {"no delimiter at all", {1, 2, 3}, kStatusFraming},
      {"doubled opening", {0xC0, 0xC0, 1, 2, 3, 4, 5, 6, 7, 8, 0xC0}, 0},
  };
  for (const auto& c : cases) {
    Bytes frame = c.frame, packet(64);
    size_t flen = frame.size(), plen = 99;
    EXPECT_EQ(DecodeFrame(frame, flen, packet, plen), c.status) << c.name;
    if (c.status != 0 && std::string(c.name) != "short packet") {
      EXPECT_EQ(plen, 0u) << c.name;
    }
  }
}

TEST(DecodeFrame, ReplyLongerThanThePacketBufferIsAFramingErrorNotAnOverrun) {
  Bytes frame = Encode(Bytes(100, 0x5A));
  std::vector<uint8_t> guard(64 + 16, 0xEE);
  std::span<uint8_t> packet(guard.data(), 64);
  size_t flen = frame.size(), plen = 0;
  EXPECT_EQ(DecodeFrame(frame, flen, packet, plen), kStatusFraming);
  for (size_t i = 64; i < guard.size(); ++i) ASSERT_EQ(guard[i], 0xEE);
}

TEST(CheckReply, StatusByteCheckWordAndDataLength) {
  const Bytes ack = WithCrc({0x95, 0, 0, 0x0B, 0, 0, 1, 0, 0x06});
  EXPECT_EQ(CheckReply(ack, ack.size()), 6);
  const Bytes two = WithCrc({0x95, 0, 0, 0x0B, 0, 0, 2, 0, 0x06, 0x00});
  EXPECT_EQ(CheckReply(two, two.size()), 0);
  Bytes bad = ack;
  bad.back() ^= 1;
  EXPECT_EQ(CheckReply(bad, bad.size()), kStatusCheckWord);

  // The length field must match the packet, whatever the check word says.
  struct Case { const char* Name; Bytes Packet; };
  const Case framing[] = {
      {"declares more than it holds", WithCrc({0x9B, 0, 0, 0x0B, 0, 0, 0x00, 0x10, 1, 2, 3})},
      {"declares less than it holds", WithCrc({0x95, 0, 0, 0x0B, 0, 0, 1, 0, 0x06, 0x07})},
      {"declares one byte, holds none", WithCrc({0x95, 0, 0, 0x0B, 0, 0, 1, 0})},
      {"no room for a check word", Bytes{0x95, 0, 0, 0x0B, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : framing) EXPECT_EQ(CheckReply(c.Packet, c.Packet.size()), kStatusFraming) << c.Name;
}

TEST(ReplyData, HeaderAndCheckWordAreNotData) {
  const Bytes reply = WithCrc({0x9B, 0, 0, 0x0B, 0, 0, 3, 0, 0xAA, 0xBB, 0xCC});
  const auto data = ReplyData(reply);
  EXPECT_EQ(Bytes(data.begin(), data.end()), (Bytes{0xAA, 0xBB, 0xCC}));
  EXPECT_TRUE(ReplyData(Bytes{0x9B, 0, 0}).empty());
}

Bytes IdReply(const std::string& name, Bytes head = {0xA3, 0xA5, 0x35}) {
  Bytes p(22, 0);
  std::copy(head.begin(), head.end(), p.begin());
  p.insert(p.end(), name.begin(), name.end());
  p.push_back(0);
  const size_t n = p.size() - 8;
  p[6] = n & 0xFF;
  p[7] = n >> 8;
  return WithCrc(p);
}

TEST(CheckDeviceId, PrefixSuffixOtherModelAndNotAnIdReply) {
  std::string expected = "Korvel200ST";
  Bytes p = IdReply("Korvel200ST8-X10");
  EXPECT_EQ(CheckDeviceId(p, p.size(), expected, 22), 0);
  EXPECT_EQ(expected, "Korvel200ST8-X10");

  expected = "Korvel200ST";
  p = IdReply("Korvel100XY");
  EXPECT_NE(CheckDeviceId(p, p.size(), expected, 22), 0);
  EXPECT_EQ(expected, "Korvel200ST");

  p = IdReply("Korvel200ST8-X10", {0xA3, 0xA5, 0x36});
  EXPECT_EQ(CheckDeviceId(p, p.size(), expected, 22), kStatusNotIdReply);

  // A data length pointing far past the packet reads only what is there.
  p = IdReply("Korvel200ST8\x01junk");
  p[6] = 0xFF;
  p[7] = 0xFF;
  EXPECT_EQ(CheckDeviceId(p, p.size(), expected, 22), 0);
  EXPECT_EQ(expected, "Korvel200ST8");
}

TEST(HexPairToByte, Table) {
  const std::pair<const char*, int> cases[] = {
      {"A", 0x0A}, {"3F", 0x3F}, {"FF", 0xFF}, {"0", 0}, {"af", 0}, {"Ag", 0x0A},
      {"G5", 0x05}, {"", 0}, {"7", 7}};
  for (auto [text, value] : cases) EXPECT_EQ(HexPairToByte(text), value) << text;
}

TEST(FrameCodec, HostileStreamsNeverOverrun) {
  std::mt19937 rng(7);
  const uint8_t alphabet[] = {0xC0, 0xDB, 0xDC, 0xDD, 0xFF, 0x00, 0x41};
  for (int round = 0; round < 200; ++round) {
    Bytes stream(1 + rng() % 3000);
    for (auto& b : stream) b = alphabet[rng() % 7];
    Bytes frame(512), packet(64);
    size_t pos = 0, len = 0;
    while (ExtractFrame(stream, pos, frame, len)) {
      ASSERT_LE(len, frame.size());
      size_t plen = 0;
      const uint8_t st = DecodeFrame(frame, len, packet, plen);
      ASSERT_LE(plen, packet.size());
      if (st == 0) CheckReply(packet, plen);
      std::string e = "Korvel200ST";
      CheckDeviceId(packet, plen, e, 22);
    }
    ASSERT_EQ(pos, stream.size());
  }
}

}  // namespace
}  // namespace korvel
