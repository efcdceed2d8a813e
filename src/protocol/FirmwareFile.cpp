#include "protocol/FirmwareFile.h"

#include <algorithm>
#include <cstring>

#include "app/InputFile.h"
#include "protocol/PacketBuilder.h"

namespace korvel {

namespace {

constexpr size_t kKeyOffset = 15;
constexpr size_t kEndOffset = 17;
constexpr size_t kLengthOffset = 23;
constexpr size_t kGroupsPerMask = 1024;
constexpr size_t kImageBytesPerBlock = 2048;

uint16_t Word(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

void PutWord(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v & 0xFF);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

size_t Rounded16(size_t n) { return (n + 15) / 16 * 16; }

size_t FileSizeFor(size_t bodyLength) {
  return kFirmwareBodyOffset + Rounded16(bodyLength) + kFirmwareTrailerSize + 4;
}

// The mask of byte i of the body: groups of four take the table pair of
// their group number, which wraps after 1024 groups; the table reads as
// zero past its stored bytes.
uint8_t MaskAt(std::span<const uint8_t> table, size_t i) {
  const size_t m = (i / 4) % kGroupsPerMask;
  const size_t t = 4 * m + (i % 2);
  return t < table.size() ? table[t] : 0;
}

FirmwareRead Refused(std::string why) { return FirmwareRead{std::nullopt, std::move(why)}; }

}  // namespace

uint16_t FirmwareEndFor(size_t bodyLength) {
  const size_t blocks = bodyLength == 0 ? 1 : (bodyLength + kImageBytesPerBlock - 1) / kImageBytesPerBlock;
  return static_cast<uint16_t>(4096 + 1024 * (blocks - 1));
}

FirmwareRead ParseFirmwareFile(std::span<const uint8_t> file) {
  if (file.size() < FileSizeFor(0)) return Refused("too short for a firmware file");
  for (size_t i = 0; i < 7; ++i)
    if ((file[i] ^ kFirmwareIdMask) != static_cast<uint8_t>(kFirmwareIdText[i]))
      return Refused("not a firmware file (identification)");
  const uint16_t key = Word(file, kKeyOffset);
  FirmwareImage fw;
  fw.End = Word(file, kEndOffset) ^ key;
  fw.BodyLength = Word(file, kLengthOffset) ^ key;
  const size_t expected = FileSizeFor(fw.BodyLength);
  if (file.size() != expected)
    return Refused("firmware file is " + std::to_string(file.size()) + " bytes, its header says " +
                   std::to_string(expected));
  // Below the first block the block count would go negative.
  if (fw.End < 4096) return Refused("firmware end value below 0x1000");

  const size_t sumAt = file.size() - 4;
  uint32_t sum = 0;
  for (size_t i = 0; i < sumAt; ++i) sum += file[i];
  const uint32_t stored = static_cast<uint32_t>(file[sumAt]) | static_cast<uint32_t>(file[sumAt + 1]) << 8 |
                          static_cast<uint32_t>(file[sumAt + 2]) << 16 |
                          static_cast<uint32_t>(file[sumAt + 3]) << 24;
  if (sum != stored) return Refused("firmware file sum does not match");

  const std::span<const uint8_t> table = file.subspan(kFirmwareMaskOffset, kFirmwareMaskSize);
  const size_t body = Rounded16(fw.BodyLength);
  for (size_t i = 0; i < body && i < fw.Image.size(); ++i)
    fw.Image[i] = file[kFirmwareBodyOffset + i] ^ MaskAt(table, i);
  return FirmwareRead{std::move(fw), {}};
}

FirmwareRead ReadFirmwareFile(const std::string& path) {
  std::string bytes, error;
  if (!ReadFileBytes(path, bytes, error)) return Refused(error);
  // Nothing larger can be a firmware file.
  constexpr size_t kLargest = kFirmwareBodyOffset + kFirmwareImageSize + kFirmwareTrailerSize + 4;
  if (bytes.size() > kLargest) return Refused("too long for a firmware file");
  return ParseFirmwareFile(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

std::vector<uint8_t> MakeFirmwareFile(std::span<const uint8_t> body, uint16_t end,
                                      const std::function<uint32_t()>& random) {
  const size_t length = std::min<size_t>(body.size(), 0xFFFF);
  std::vector<uint8_t> f(FileSizeFor(length), 0);
  for (size_t i = 0; i < 7; ++i) f[i] = static_cast<uint8_t>(kFirmwareIdText[i]) ^ kFirmwareIdMask;
  for (size_t i = 7; i < kKeyOffset; ++i) f[i] = static_cast<uint8_t>(random());
  const uint16_t key = static_cast<uint16_t>(random());
  PutWord(f, kKeyOffset, key);
  PutWord(f, kEndOffset, end ^ key);
  PutWord(f, 19, static_cast<uint16_t>(random()) ^ key);
  PutWord(f, 21, static_cast<uint16_t>(random()) ^ key);
  PutWord(f, kLengthOffset, static_cast<uint16_t>(length) ^ key);
  for (size_t i = 0; i < kFirmwareMaskSize; ++i) f[kFirmwareMaskOffset + i] = static_cast<uint8_t>(random());
  const std::span<const uint8_t> table(f.data() + kFirmwareMaskOffset, kFirmwareMaskSize);
  const size_t rounded = Rounded16(length);
  for (size_t i = 0; i < rounded; ++i)
    f[kFirmwareBodyOffset + i] = (i < length ? body[i] : 0) ^ MaskAt(table, i);
  const size_t trailer = kFirmwareBodyOffset + rounded;
  for (size_t i = 0; i < kFirmwareTrailerSize; ++i) f[trailer + i] = static_cast<uint8_t>(random());
  uint32_t sum = 0;
  for (size_t i = 0; i + 4 < f.size(); ++i) sum += f[i];
  for (int k = 0; k < 4; ++k) f[f.size() - 4 + k] = static_cast<uint8_t>(sum >> (8 * k));
  return f;
}

std::vector<uint8_t> FirmwareBlockData(const FirmwareImage& fw, uint16_t block, uint16_t r,
                                       const std::function<uint8_t()>& random) {
  std::vector<uint8_t> d(kFirmwareBlockData, 0);
  const size_t base = (static_cast<size_t>(block) * kImageBytesPerBlock) % kFirmwareImageSize;
  const uint8_t lo = static_cast<uint8_t>(r & 0xFF), hi = static_cast<uint8_t>(r >> 8);
  const uint8_t key[3] = {lo, hi, lo};
  for (size_t i = 0; i < 512; ++i)
    for (size_t k = 0; k < 3; ++k) {
      const size_t at = base + 4 * i + k;
      d[4 * i + k] = (at < fw.Image.size() ? fw.Image[at] : 0) ^ key[k];
    }
  for (size_t i = 2048; i < kFirmwareBlockData; ++i) d[i] = (i % 4 == 3) ? 0 : random();
  for (size_t i = 0; i < 2048; ++i) d[i] ^= d[i + 2048];
  return d;
}

std::optional<std::string> CheckFirmwareBlock(std::span<const uint8_t> p, uint16_t expectedBlock,
                                              const FirmwareImage* fw) {
  if (p.size() < kPacketHeaderSize + kFirmwareBlockData) return "block request too short";
  if (p[1] != static_cast<uint8_t>(expectedBlock * 4))
    return "block " + std::to_string(p[1] / 4) + " where block " + std::to_string(expectedBlock) + " was due";
  if (Word(p, 6) != kFirmwareBlockData) return "block data length is not 0x1020";
  const std::span<const uint8_t> d = p.subspan(kPacketHeaderSize, kFirmwareBlockData);
  const uint8_t key[3] = {p[2], p[3], p[2]};
  const size_t base = (static_cast<size_t>(expectedBlock) * kImageBytesPerBlock) % kFirmwareImageSize;
  for (size_t i = 0; i < 512; ++i) {
    if (d[2048 + 4 * i + 3] != 0 || (d[4 * i + 3] ^ d[2048 + 4 * i + 3]) != 0)
      return "block group " + std::to_string(i) + " lacks its zero byte";
    if (!fw) continue;
    for (size_t k = 0; k < 3; ++k) {
      const size_t at = base + 4 * i + k;
      const uint8_t sent = d[4 * i + k] ^ d[2048 + 4 * i + k] ^ key[k];
      if (sent != fw->Image[at]) return "block byte " + std::to_string(at) + " differs from the firmware";
    }
  }
  return std::nullopt;
}

}  // namespace korvel
