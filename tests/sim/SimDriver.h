#pragma once
// Drives a simulated unit with the host's own request builders and transfer
// arithmetic, the way a channel would, and decodes what the unit answers.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "app/ChannelState.h"
#include "engine/EngineFixtures.h"
#include "engine/RandomSource.h"
#include "engine/RequestPackets.h"
#include "engine/TransferSequence.h"
#include "protocol/FrameCodec.h"
#include "protocol/PacketBuilder.h"
#include "sim/SimUnit.h"

namespace korvel::test {

using Bytes = std::vector<uint8_t>;

// The packets in a stream of wire bytes, in order.
inline std::vector<Bytes> DecodeAll(const Bytes& wire) {
  std::vector<Bytes> packets;
  Bytes frame(wire.size() + 1);
  size_t pos = 0, frameLength = 0;
  while (ExtractFrame(wire, pos, frame, frameLength)) {
    Bytes packet(kPacketBufferSize);
    size_t packetLength = 0, length = frameLength;
    if (DecodeFrame(std::span<uint8_t>(frame.data(), frameLength), length, packet, packetLength) == 0)
      packets.emplace_back(packet.begin(), packet.begin() + static_cast<ptrdiff_t>(packetLength));
  }
  return packets;
}

inline Bytes Wire(const Bytes& packet) {
  Bytes wire(EncodedFrameCapacity(packet.size()));
  wire.resize(EncodeFrame(packet, wire));
  return wire;
}

// A packet whose check word is made right again after a change.
inline Bytes Resealed(Bytes p) {
  FinishPacket(p, p.size() - kPacketHeaderSize - 2);
  return p;
}

struct SimDriver {
  explicit SimDriver(const ChipInfo& chip, bool stm32, UnitFaults faults = {})
      : unit(std::move(faults)), chip(chip), stm32(stm32) {
    Reset();
    Bytes out;
    unit.Receive(kWakeUpFrame.data(), kWakeUpFrame.size(), out);
  }

  // The job view after a change of buffers or settings.
  void Reset() {
    job = buffers.View(chip, stm32);
    job.Settings = settings;
    transfer = MakeTransferJob(job);
  }

  // Every packet the unit sends for one request.
  std::vector<Bytes> Exchange(const Bytes& packet) {
    Bytes wire = Wire(packet), out;
    unit.Receive(wire.data(), wire.size(), out);
    return DecodeAll(out);
  }
  // The one reply to a request (empty when there is none).
  Bytes Reply(const Bytes& packet) {
    auto all = Exchange(packet);
    return all.empty() ? Bytes{} : all.front();
  }
  // The status the host reads from the reply; -1 without one.
  int Status(const Bytes& packet) {
    Bytes r = Reply(packet);
    return r.empty() ? -1 : CheckReply(r, r.size());
  }
  Bytes Block(const BlockRequest& q) { return BlockRequestPacket(job, transfer, q, random); }
  Bytes Command(uint8_t command, uint16_t sub) { return CommandPacket(job, command, sub, random.RequestByte()); }

  // Runs a whole download, program or read-back the way the step machine
  // does; returns the first failing status (or the last success).
  template <typename Next, typename Advance, typename Check>
  int Run(uint16_t blockCount, Next next, Advance advance, Check check) {
    ChannelState ch;
    ch.BlockCount = blockCount;
    ch.Gauge.Max = blockCount;
    for (int guard = 0; guard < 5000; ++guard) {
      Bytes reply = Reply(Block(next(transfer, ch)));
      if (reply.empty()) return -1;
      const int status = CheckReply(reply, reply.size());
      if (!check(ch, status, reply)) return status;
      if (advance(transfer, ch).Done) return status;
    }
    return -2;
  }
  int Download() {
    return Run(DownloadBlockCount(transfer), NextDownloadRequest, AdvanceDownload,
               [](ChannelState&, int s, const Bytes&) { return s == 0 || s == 6; });
  }
  int Program() {
    return Run(MainBlockCount(transfer), NextProgramRequest, AdvanceProgram,
               [](ChannelState&, int s, const Bytes&) { return s == 0 || s == 6; });
  }
  // Reads everything back and counts the bytes that differ from the job.
  int ReadBack(int& differing) {
    differing = 0;
    return Run(MainBlockCount(transfer), NextReadBackRequest, AdvanceVerify,
               [&](ChannelState& ch, int s, const Bytes& reply) {
                 if (s != 0) return false;
                 const ReadBackWindow w = CurrentReadBackWindow(transfer, ch);
                 Bytes expected(w.Length);
                 ImageBytes(w.InSecondImage ? job.SecondImage : job.MainImage, w.Offset, expected.data(),
                            expected.size());
                 for (size_t i = 0; i < w.Length; ++i)
                   if (8 + i + 2 >= reply.size() || reply[8 + i] != expected[i]) ++differing;
                 return true;
               });
  }
  Bytes Restart() {
    Bytes p(kPacketBufferSize);
    p.resize(BuildRestartPacket(p));
    return p;
  }

  SimUnit unit;
  ChipInfo chip;
  bool stm32;
  JobSettings settings;
  JobBuffers buffers;
  JobView job;
  TransferJob transfer;
  ScriptedRandomSource random{{0x1234, 0x5678, 0x9ABC, 0xDEF0, 0x42}};
};

// The faults of one unit's fault items, e.g. "delay=5,badcrc=2"; a malformed
// fault text fails the test.
inline UnitFaults UnitFaultsOf(const std::string& items) {
  std::string error;
  auto f = ParseUnitFaults({"1:" + items}, error);
  EXPECT_TRUE(f) << error;
  return f ? (*f)[1] : UnitFaults{};
}

// Fills the job's images with a pattern that differs per offset.
inline void FillPattern(JobBuffers& b) {
  for (size_t i = 0; i < b.Main.size(); ++i) b.Main[i] = static_cast<uint8_t>(i * 31 + (i >> 10));
  for (size_t i = 0; i < b.Second.size(); ++i) b.Second[i] = static_cast<uint8_t>(i * 13 + 5);
  for (size_t i = 0; i < b.Options.size(); ++i) b.Options[i] = static_cast<uint8_t>(0xA0 + i);
}

}  // namespace korvel::test
