#include "sim/SimUnit.h"

#include "protocol/FrameCodec.h"
#include "protocol/PacketBuilder.h"

namespace korvel {

namespace {

constexpr size_t kUnitNameOffset = 22;
constexpr size_t kUnitNameField = 32;
constexpr uint8_t kUnknownCommand = 0x25;

uint16_t DataLength(const std::vector<uint8_t>& p) {
  return p.size() < kPacketHeaderSize ? 0 : static_cast<uint16_t>(p[6] | p[7] << 8);
}

// Keeps the first half of a reply's data and says so in its length field.
void CutShort(std::vector<uint8_t>& p) {
  const uint16_t kept = DataLength(p) / 2;
  p.resize(kPacketHeaderSize + kept);
  p[6] = static_cast<uint8_t>(kept & 0xFF);
  p[7] = static_cast<uint8_t>(kept >> 8);
}

bool IsWakeUp(std::span<const uint8_t> p) {
  return p.size() == 3 && p[0] == 0xA3 && p[1] == 0xA5 && p[2] == 0x35;
}

void AppendCheckWord(std::vector<uint8_t>& p) {
  const uint16_t crc = CalcFrameCrc(p, 0, static_cast<uint32_t>(p.size() - 1));
  p.push_back(static_cast<uint8_t>(crc & 0xFF));
  p.push_back(static_cast<uint8_t>(crc >> 8));
}

std::vector<uint8_t> Encode(const std::vector<uint8_t>& packet) {
  std::vector<uint8_t> wire(EncodedFrameCapacity(packet.size()));
  wire.resize(EncodeFrame(packet, wire));
  return wire;
}

}  // namespace

SimUnit::SimUnit(UnitFaults faults)
    : faults_(std::move(faults)),
      name_(faults_.Name.value_or(kDefaultUnitName)),
      in_(faults_.WireRate),
      out_(faults_.WireRate) {
  if (faults_.NotBlank) target_.FillWithData();
  target_.ReadProtected = faults_.ReadProtected;
  InstallCommandSet(*this);
}

void SimUnit::PlugIn() {
  state_ = State::Idle;
  requests_ = 0;
  acc_.clear();
  out_ = OutputSchedule(faults_.WireRate);
}

void SimUnit::StatusReply(std::span<const uint8_t> request, uint8_t status, std::vector<uint8_t>& reply) {
  reply.assign(request.begin(), request.begin() + 6);
  reply.push_back(1);
  reply.push_back(0);
  reply.push_back(status);
}

void SimUnit::DataReply(std::span<const uint8_t> request, std::span<const uint8_t> data,
                        std::vector<uint8_t>& reply) {
  reply.assign(request.begin(), request.begin() + 6);
  reply.push_back(static_cast<uint8_t>(data.size() & 0xFF));
  reply.push_back(static_cast<uint8_t>(data.size() >> 8));
  reply.insert(reply.end(), data.begin(), data.end());
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
  // Without a clock a restart lasts until the next wake-up.
  deafUntilUs_ = 0;
  Receive(data, length, lastNowUs_);
  out_.TakeAll(out);
}

void SimUnit::Receive(const uint8_t* data, size_t length, uint64_t nowUs) {
  if (state_ == State::HungUp) return;
  lastNowUs_ = std::max(lastNowUs_, nowUs);
  const uint64_t start = in_.Arrive(nowUs, length);
  const size_t before = acc_.size();
  acc_.insert(acc_.end(), data, data + length);
  std::vector<uint8_t> frame(acc_.size());
  size_t pos = 0, lastEnd = 0, frameLength = 0;
  while (state_ != State::HungUp && ExtractFrame(acc_, pos, frame, frameLength)) {
    lastEnd = pos;
    // The frame is complete when its closing byte has crossed the line.
    const uint64_t closing = pos > before ? pos - before : 1;
    HandleFrame(std::span<uint8_t>(frame.data(), frameLength), start + closing * in_.PerByte());
  }
  acc_.erase(acc_.begin(), acc_.begin() + static_cast<std::ptrdiff_t>(lastEnd));
  // A host never sends more than a frame ahead; drop noise that piles up.
  if (acc_.size() > kReceiveBufferSize) acc_.clear();
}

void SimUnit::HandleFrame(std::span<uint8_t> frame, uint64_t arrivedUs) {
  std::vector<uint8_t> packet(kPacketBufferSize);
  size_t frameLength = frame.size(), packetLength = 0;
  const uint8_t status = DecodeFrame(frame, frameLength, packet, packetLength);
  const std::span<const uint8_t> request(packet.data(), packetLength);
  requestUs_ = arrivedUs;
  std::vector<uint8_t> reply;
  bool addCheckWord = true;
  const bool wakeUp = IsWakeUp(request);
  if (deaf_) {
    if (!wakeUp || arrivedUs < deafUntilUs_) return;
    deaf_ = false;
  }
  if (!wakeUp && status != 0) return;  // a unit ignores what it cannot read; the host's watchdog notices
  ++requests_;
  if (faults_.SilentAt(requests_)) return;
  if (wakeUp) {
    reply = IdentificationReply(name_);
    addCheckWord = false;
    state_ = State::Identified;
  } else if (CheckReply(request, packetLength) == kStatusCheckWord) {
    StatusReply(request, kStatusCheckWord, reply);
  } else if (auto forced = faults_.StatusFor(request[0], static_cast<uint16_t>(request[1] | request[2] << 8))) {
    StatusReply(request, *forced, reply);
  } else if (auto it = commands_.find(request[0]); it != commands_.end()) {
    it->second(*this, request, reply);
  } else {
    StatusReply(request, kUnknownCommand, reply);
  }
  // Status replies carry one byte; anything longer is data.
  if (!wakeUp && DataLength(reply) > 1 && ++dataReplies_ == faults_.ShortDataAt) CutShort(reply);
  if (!reply.empty()) Send(std::move(reply), addCheckWord);
  if (faults_.HangupAfter > 0 && requests_ >= faults_.HangupAfter) state_ = State::HungUp;
}

void SimUnit::Send(std::vector<uint8_t> packet, bool addCheckWord) {
  if (addCheckWord) AppendCheckWord(packet);
  if (++replies_ == faults_.BadCheckWordAt) packet.back() ^= 0x5A;
  std::vector<uint8_t> wire;
  if (faults_.Garbage) {
    // Noise of a flaky line: anything but the frame delimiter.
    for (int i = 0; i < 7; ++i) {
      noise_ = noise_ * 1664525u + 1013904223u;
      uint8_t b = static_cast<uint8_t>(noise_ >> 24);
      wire.push_back(b == kFrameEnd ? 0x00 : b);
    }
  }
  const std::vector<uint8_t> frame = Encode(packet);
  wire.insert(wire.end(), frame.begin(), frame.end());
  out_.Add(ReplyReadyUs(), std::move(wire));
}

void SimUnit::SendUnprompted(std::vector<uint8_t> packet, uint64_t readyUs, uint8_t tag) {
  out_.Add(readyUs, Encode(packet), tag);
}

}  // namespace korvel
