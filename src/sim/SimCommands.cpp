// The unit's command set: what each request of the host does to the job
// and to the chip in the socket, and the status it answers.
#include <algorithm>

#include "sim/SimAutoDetect.h"
#include "sim/SimUnit.h"
#include "target/Checksums.h"

namespace korvel {

namespace {

using Reply = std::vector<uint8_t>;
using Request = std::span<const uint8_t>;

constexpr size_t kConfigAt = 8;
constexpr size_t kPayloadAt = kConfigAt + kSimConfigSize;
constexpr size_t kBlock = 4096;
constexpr size_t kCommandLength = 208;      // configuration block, 16 bytes, default table
constexpr size_t kOptionWriteLength = 192;  // configuration block, option bytes
constexpr size_t kProgramLength = kSimConfigSize + kBlock;

constexpr uint8_t kBlank = 0;
constexpr uint8_t kNotBlank = 21;
constexpr uint8_t kProtectedBlank = 19;
constexpr uint8_t kReadProtected = 0x13;
constexpr uint8_t kUnknown = 0x25;

uint16_t Parameter(Request r) { return static_cast<uint16_t>(r[1] | r[2] << 8); }

// The layout of the request's configuration block, when the request holds
// exactly length data bytes and the block is sound.
std::optional<SimChipLayout> LayoutOf(Request r, size_t length) {
  if (!HasDataLength(r, length)) return std::nullopt;
  return ReadChipLayout(r.subspan(kConfigAt, kSimConfigSize));
}

// The read-back fault: one byte of what goes back differs from the chip.
void Flip(const SimUnit& unit, const SimChipLayout& l, uint64_t start, std::vector<uint8_t>& data) {
  const UnitFaults& f = unit.Faults();
  const std::optional<uint64_t> at = f.FlipAt ? std::optional<uint64_t>(*f.FlipAt)
                                     : f.FlipFirst ? std::optional<uint64_t>(l.MainOffset)
                                                   : std::nullopt;
  if (at && *at >= start && *at < start + data.size()) data[*at - start] ^= 0x01;
}

void ChipOperation(SimUnit& unit, Request r, Reply& reply) {
  const uint16_t sub = Parameter(r);
  const auto l = LayoutOf(r, sub == 0x35 ? kOptionWriteLength : kCommandLength);
  if (!l) return SimUnit::StatusReply(r, kSimBadPacket, reply);
  SimTarget& chip = unit.Target();
  switch (sub) {
    case 3:
      chip.Erase(*l);
      return SimUnit::StatusReply(r, kSimAck, reply);
    case 5:
      if (chip.ReadProtected) return SimUnit::StatusReply(r, kProtectedBlank, reply);
      return SimUnit::StatusReply(r, chip.MainIsBlank(*l) ? kBlank : kNotBlank, reply);
    case 0x30: {
      if (chip.ReadProtected) return SimUnit::StatusReply(r, kReadProtected, reply);
      const uint32_t last = l->MainOffset + l->MainSize - 1;
      const uint16_t crc = l->MainSize ? GetBrevanCheckSum(chip.Flash, l->MainOffset, last) : 0;
      const uint16_t sum = l->MainSize ? SumValue(chip.Flash, l->MainOffset, last) : 0;
      const uint8_t words[4] = {static_cast<uint8_t>(crc), static_cast<uint8_t>(crc >> 8),
                                static_cast<uint8_t>(sum), static_cast<uint8_t>(sum >> 8)};
      return SimUnit::DataReply(r, words, reply);
    }
    case 0x33: {
      const size_t n = l->ChipCode >= 224 ? 15 : 128;
      return SimUnit::DataReply(r, std::span<const uint8_t>(chip.OptionBytes.data(), n), reply);
    }
    case 0x35:
      std::copy_n(r.begin() + kPayloadAt, 128, chip.OptionBytes.begin());
      return SimUnit::StatusReply(r, kSimAck, reply);
    case 0x3C: return SimUnit::DataReply(r, chip.UniqueId, reply);
    default: return SimUnit::StatusReply(r, kUnknown, reply);
  }
}

void ProgramMain(SimUnit& unit, Request r, Reply& reply) {
  const auto l = LayoutOf(r, kProgramLength);
  if (!l) return SimUnit::StatusReply(r, kSimBadPacket, reply);
  const uint16_t block = Parameter(r);
  if (block >= l->FlashSizeKB) return SimUnit::StatusReply(r, kSimOutOfRange, reply);
  if (unit.Target().ReadProtected) return SimUnit::StatusReply(r, kReadProtected, reply);
  if (!unit.MainProgramRun().Take(block)) return SimUnit::StatusReply(r, kSimCommandFailed, reply);
  unit.Target().ProgramMain(*l, l->MainOffset + block * 1024ull, r.subspan(kPayloadAt, kBlock));
  SimUnit::StatusReply(r, kSimAck, reply);
}

// 0x99: a 4 KB block of the data EEPROM at 1 KB steps, or (byte 2 = 0x50)
// the whole second memory in one request, the way OTP areas are written.
void ProgramSecond(SimUnit& unit, Request r, Reply& reply) {
  const bool whole = r[2] == 0x50;
  const auto cfg = ReadChipLayout(r.size() >= kPayloadAt ? r.subspan(kConfigAt, kSimConfigSize) : Request{});
  const size_t length = whole && cfg ? kSimConfigSize + cfg->SecondSize : kProgramLength;
  const auto l = LayoutOf(r, length);
  if (!l) return SimUnit::StatusReply(r, kSimBadPacket, reply);
  SimTarget& chip = unit.Target();
  const Request data = r.subspan(kPayloadAt, length - kSimConfigSize);
  if (l->SecondSize == 0) return SimUnit::StatusReply(r, kSimOutOfRange, reply);
  if (whole) {
    if (l->SecondIsOtp)
      chip.ProgramOtp(data);
    else
      chip.WriteEeprom(*l, l->SecondOffset, data);
    return SimUnit::StatusReply(r, kSimAck, reply);
  }
  const uint16_t block = Parameter(r);
  if (l->SecondIsOtp || block * 1024u >= l->SecondSize) return SimUnit::StatusReply(r, kSimOutOfRange, reply);
  if (!unit.SecondProgramRun().Take(block)) return SimUnit::StatusReply(r, kSimCommandFailed, reply);
  chip.WriteEeprom(*l, l->SecondOffset + block * 1024ull, data);
  SimUnit::StatusReply(r, kSimAck, reply);
}

void ReadMain(SimUnit& unit, Request r, Reply& reply) {
  const auto l = LayoutOf(r, kCommandLength);
  if (!l) return SimUnit::StatusReply(r, kSimBadPacket, reply);
  const uint16_t block = Parameter(r);
  if (block >= l->FlashSizeKB) return SimUnit::StatusReply(r, kSimOutOfRange, reply);
  if (unit.Target().ReadProtected) return SimUnit::StatusReply(r, kReadProtected, reply);
  const uint64_t start = l->MainOffset + block * 1024ull;
  std::vector<uint8_t> data = unit.Target().ReadFlash(start, kBlock);
  Flip(unit, *l, start, data);
  SimUnit::DataReply(r, data, reply);
}

// 0x9D: 4 KB of the data EEPROM from the block, or the whole OTP area
// (block 0 in a verify chain, sub-code 15 from the menu).
void ReadSecond(SimUnit& unit, Request r, Reply& reply) {
  const auto l = LayoutOf(r, kCommandLength);
  if (!l) return SimUnit::StatusReply(r, kSimBadPacket, reply);
  if (l->SecondSize == 0) return SimUnit::StatusReply(r, kSimOutOfRange, reply);
  SimTarget& chip = unit.Target();
  if (chip.ReadProtected) return SimUnit::StatusReply(r, kReadProtected, reply);
  if (l->SecondIsOtp)
    return SimUnit::DataReply(r, std::span<const uint8_t>(chip.Otp.data(), l->SecondSize), reply);
  const uint16_t block = Parameter(r);
  if (block * 1024u >= l->SecondSize) return SimUnit::StatusReply(r, kSimOutOfRange, reply);
  const uint64_t start = l->SecondOffset + block * 1024ull;
  std::vector<uint8_t> data = chip.ReadFlash(start, kBlock);
  Flip(unit, *l, start, data);
  SimUnit::DataReply(r, data, reply);
}

void Restart(SimUnit& unit, Request r, Reply& reply) {
  unit.CountRestart();
  SimUnit::StatusReply(r, kSimAck, reply);
  const SimJob& job = unit.Job();
  // The download's own restart and an off-line start alike.
  if (job.Complete() && job.AutoDetect() && unit.Faults().AutoChips > 0) StartAutoRun(unit);
}

template <uint8_t (*Accept)(Request, SimJob&)>
void Download(SimUnit& unit, Request r, Reply& reply) {
  SimUnit::StatusReply(r, Accept(r, unit.Job()), reply);
}

}  // namespace

void InstallCommandSet(SimUnit& unit) {
  unit.SetCommand(0x53, Download<AcceptJobHeader>);
  unit.SetCommand(0x55, Download<AcceptMainBlock>);
  unit.SetCommand(0x5A, Download<AcceptSecondBlock>);
  unit.SetCommand(0x8A, Restart);
  unit.SetCommand(0x93, ChipOperation);
  unit.SetCommand(0x95, ProgramMain);
  unit.SetCommand(0x99, ProgramSecond);
  unit.SetCommand(0x9B, ReadMain);
  unit.SetCommand(0x9D, ReadSecond);
  InstallFirmwareCommands(unit);
}

}  // namespace korvel
