#include "engine/RequestPackets.h"

#include <algorithm>

#include "engine/ConfigBlock.h"
#include "engine/RandomSource.h"

namespace korvel {

namespace {

// Header with room for the data and the check word; Seal completes it.
Packet Begin(uint8_t command, uint16_t parameter, const ChipInfo& chip, uint16_t length) {
  Packet p(kPacketHeaderSize + length + 2, 0);
  WriteRequestHeader(p, command, parameter, chip.FamilyCode, chip.ChipSubCode);
  PutU16(&p[6], length);
  return p;
}

Packet Seal(Packet p) {
  FinishPacket(p, p.size() - kPacketHeaderSize - 2);
  return p;
}

void PutConfig(Packet& p, const JobView& job, uint8_t randomByte) {
  const ConfigBlock cfg = BuildConfigBlock(job, 0, randomByte);
  std::copy(cfg.begin(), cfg.end(), p.begin() + kPacketHeaderSize);
}

void PutBytes(Packet& p, size_t at, std::span<const uint8_t> bytes, size_t width) {
  const size_t n = std::min(width, bytes.size());
  std::copy_n(bytes.begin(), n, p.begin() + static_cast<ptrdiff_t>(at));
}

Packet ImageBlock(const JobView& job, uint8_t command, uint16_t parameter, uint64_t offset) {
  Packet p = Begin(command, parameter, job.Chip, kDataBlockSize);
  MainBytes(job, offset, p.data() + kPacketHeaderSize, kDataBlockSize);
  return Seal(std::move(p));
}

}  // namespace

Packet CommandPacket(const JobView& job, uint8_t command, uint16_t subCodeOrBlock,
                     uint8_t randomByte) {
  Packet p = Begin(command, subCodeOrBlock, job.Chip, 208);
  PutConfig(p, job, randomByte);
  // Bytes 72..87 stay zero: the unit does not read them.
  PutBytes(p, 88, job.DefaultTable, 128);
  return Seal(std::move(p));
}

Packet OptionBytesPacket(const JobView& job, uint8_t randomByte) {
  Packet p = Begin(kCmdChipOperation, kSubWriteOptionBytes, job.Chip, 192);
  PutConfig(p, job, randomByte);
  PutBytes(p, 72, job.OptionBuffer, 128);
  return Seal(std::move(p));
}

Packet MainBlockPacket(const JobView& job, uint16_t block, uint32_t base) {
  return ImageBlock(job, kCmdMainBlock, block, uint64_t{base} + block * 1024ull);
}

Packet SecondBlockPacket(const JobView& job, uint16_t block, uint32_t base) {
  return ImageBlock(job, kCmdSecondBlock, block, uint64_t{base} + block * 1024ull);
}

Packet ProgramBlockPacket(const JobView& job, uint8_t command, uint16_t block, uint32_t base,
                          uint8_t randomByte) {
  Packet p = Begin(command, block, job.Chip, 64 + kDataBlockSize);
  PutConfig(p, job, randomByte);
  MainBytes(job, uint64_t{base} + block * 1024ull, p.data() + 72, kDataBlockSize);
  return Seal(std::move(p));
}

Packet SecondImagePacket(const JobView& job, uint8_t subCode, uint8_t randomByte) {
  const uint16_t size = job.Chip.EepSize;
  Packet p = Begin(kCmdProgramSecond, static_cast<uint16_t>(subCode | 0x5000), job.Chip,
                   static_cast<uint16_t>(64 + size));
  PutConfig(p, job, randomByte);
  ImageBytes(job.SecondImage, 0, p.data() + 72, size);
  return Seal(std::move(p));
}

bool JobHeaderCarriesOtp(const JobView& job) { return job.Chip.HasOtp; }

Packet JobHeaderPacket(const JobView& job, const JobHeaderRandom& random, uint16_t block) {
  const bool otp = JobHeaderCarriesOtp(job);
  Packet p = Begin(kCmdJobHeader, block, job.Chip, otp ? 2048 : 1024);
  const JobHeaderBlock header = BuildJobHeaderBlock(job, random);
  std::copy(header.begin(), header.end(), p.begin() + 8);
  std::copy(header.begin(), header.end(), p.begin() + 520);
  if (otp) ImageBytes(job.SecondImage, 0, p.data() + 1032, 1024);
  ScrambleJobData(p.data() + 8, p.size() - 10, JobHeaderMask(block));
  return Seal(std::move(p));
}

Packet DataMemBlockPacket(const JobView& job, uint16_t mainBlockCount, uint16_t block) {
  return ImageBlock(job, kCmdMainBlock, static_cast<uint16_t>(mainBlockCount + block),
                    0x80000ull + block * 1024ull);
}

JobHeaderRandom DrawJobHeaderRandom(RandomSource& random) {
  JobHeaderRandom r;
  r.ConfigByte = random.RequestByte();
  r.ConfigParameter = random.Word();
  for (auto& b : r.Filler) b = random.Byte();
  return r;
}

}  // namespace korvel
