#include "sim/SimUnit.h"

#include "protocol/FrameCodec.h"
#include "protocol/PacketBuilder.h"

namespace korvel {

namespace {

constexpr size_t kUnitNameOffset = 22;
constexpr size_t kUnitNameField = 32;
constexpr uint8_t kRestartCommand = 0x8A;
constexpr uint8_t kAck = 6;

bool IsWakeUp(std::span<const uint8_t> p) {
  return p.size() == 3 && p[0] == 0xA3 && p[1] == 0xA5 && p[2] == 0x35;
}

void AppendCheckWord(std::vector<uint8_t>& p) {
  const uint16_t crc = CalcFrameCrc(p, 0, static_cast<uint32_t>(p.size() - 1));
  p.push_back(static_cast<uint8_t>(crc & 0xFF));
  p.push_back(static_cast<uint8_t>(crc >> 8));
}

}  // namespace

SimUnit::SimUnit(UnitFaults faults)
    : faults_(std::move(faults)), name_(faults_.Name.value_or(kDefaultUnitName)) {
  SetCommand(kRestartCommand, [](SimUnit& unit, std::span<const uint8_t> request, std::vector<uint8_t>& reply) {
    ++unit.restarts_;
    StatusReply(request, kAck, reply);
  });
}

void SimUnit::PlugIn() {
  state_ = State::Idle;
  requests_ = 0;
  acc_.clear();
}

void SimUnit::StatusReply(std::span<const uint8_t> request, uint8_t status, std::vector<uint8_t>& reply) {
  reply.assign(request.begin(), request.begin() + 6);
  reply.push_back(1);
  reply.push_back(0);
  reply.push_back(status);
}

std::vector<uint8_t> SimUnit::IdentificationReply(const std::string& name) {
  std::vector<uint8_t> p(kUnitNameOffset, 0);
  p[0] = 0xA3;
  p[1] = 0xA5;
  p[2] = 0x35;
  for (size_t i = 0; i < kUnitNameField; ++i) p.push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : 0);
  const size_t dataLength = p.size() - kPacketHeaderSize;
  p[6] = static_cast<uint8_t>(dataLength & 0xFF);
  p[7] = static_cast<uint8_t>(dataLength >> 8);
  AppendCheckWord(p);
  return p;
}

void SimUnit::Receive(const uint8_t* data, size_t length, std::vector<uint8_t>& out) {
  if (state_ == State::HungUp) return;
  acc_.insert(acc_.end(), data, data + length);
  std::vector<uint8_t> frame(acc_.size());
  size_t pos = 0, lastEnd = 0, frameLength = 0;
  while (state_ != State::HungUp && ExtractFrame(acc_, pos, frame, frameLength)) {
    lastEnd = pos;
    HandleFrame(std::span<uint8_t>(frame.data(), frameLength), out);
  }
  acc_.erase(acc_.begin(), acc_.begin() + static_cast<std::ptrdiff_t>(lastEnd));
  // A host never sends more than a frame ahead; drop noise that piles up.
  if (acc_.size() > kReceiveBufferSize) acc_.clear();
}

void SimUnit::HandleFrame(std::span<uint8_t> frame, std::vector<uint8_t>& out) {
  std::vector<uint8_t> packet(kPacketBufferSize);
  size_t frameLength = frame.size(), packetLength = 0;
  const uint8_t status = DecodeFrame(frame, frameLength, packet, packetLength);
  const std::span<const uint8_t> request(packet.data(), packetLength);
  std::vector<uint8_t> reply;
  bool addCheckWord = true;
  if (IsWakeUp(request)) {
    reply = IdentificationReply(name_);
    addCheckWord = false;
  } else if (status != 0) {
    return;  // a unit ignores what it cannot read; the host's watchdog notices
  } else if (CheckReply(request, packetLength) == kStatusCheckWord) {
    StatusReply(request, kStatusCheckWord, reply);
  } else if (auto it = commands_.find(request[0]); it != commands_.end()) {
    it->second(*this, request, reply);
  } else {
    return;
  }
  ++requests_;
  if (faults_.Silent) return;
  if (IsWakeUp(request)) state_ = State::Identified;
  if (!reply.empty()) Send(std::move(reply), addCheckWord, out);
  if (faults_.HangupAfter > 0 && requests_ >= faults_.HangupAfter) state_ = State::HungUp;
}

void SimUnit::Send(std::vector<uint8_t> packet, bool addCheckWord, std::vector<uint8_t>& out) {
  if (addCheckWord) AppendCheckWord(packet);
  if (faults_.Garbage) {
    // Noise of a flaky line: anything but the frame delimiter.
    for (int i = 0; i < 7; ++i) {
      noise_ = noise_ * 1664525u + 1013904223u;
      uint8_t b = static_cast<uint8_t>(noise_ >> 24);
      out.push_back(b == kFrameEnd ? 0x00 : b);
    }
  }
  std::vector<uint8_t> wire(EncodedFrameCapacity(packet.size()));
  wire.resize(EncodeFrame(packet, wire));
  out.insert(out.end(), wire.begin(), wire.end());
}

}  // namespace korvel
