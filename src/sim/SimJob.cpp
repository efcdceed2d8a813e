#include "sim/SimJob.h"

#include <algorithm>
#include <cstring>

#include "protocol/FrameCodec.h"
#include "sim/SimTarget.h"

namespace korvel {

namespace {

constexpr size_t kHeaderBlock = 512;
constexpr size_t kData = 8;
constexpr size_t kBlockData = 4096;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

bool HeaderBlockValid(const uint8_t* b) {
  const std::span<const uint8_t> block(b, kHeaderBlock);
  return std::memcmp(b, "ZWLP", 4) == 0 && CalcFrameCrc(block, 0, 507) == U16(b + 508) &&
         static_cast<uint16_t>(SumBytes(block, 0, 509)) == U16(b + 510);
}

// Copies the bytes of a 4 KB block that fall in [first, first + size).
void StoreClipped(std::vector<uint8_t>& image, uint64_t at, const uint8_t* data, uint64_t first,
                  uint64_t size) {
  for (size_t i = 0; i < kBlockData; ++i)
    if (at + i >= first && at + i < first + size && at + i < image.size()) image[at + i] = data[i];
}

}  // namespace

uint16_t DeclaredLength(std::span<const uint8_t> request) {
  return request.size() < kData ? 0 : U16(request.data() + 6);
}

bool HasDataLength(std::span<const uint8_t> request, size_t length) {
  return DeclaredLength(request) == length && request.size() == kData + length + 2;
}

uint8_t AcceptJobHeader(std::span<const uint8_t> request, SimJob& job) {
  const bool withOtp = HasDataLength(request, 2048);
  if (!withOtp && !HasDataLength(request, 1024)) return kSimBadPacket;
  std::vector<uint8_t> data(request.begin() + kData, request.end() - 2);
  const uint8_t mask[2] = {static_cast<uint8_t>((request[1] ^ 0x6E) | 0x80),
                           static_cast<uint8_t>((request[2] ^ 0x5C) | 0x80)};
  for (size_t i = 0; i < data.size(); ++i) data[i] ^= mask[i & 1];
  const uint8_t* first = data.data();
  const uint8_t* second = first + kHeaderBlock;
  if (!HeaderBlockValid(first) || !HeaderBlockValid(second) ||
      std::memcmp(first, second, kHeaderBlock) != 0)
    return kSimBadHeaderCheck;
  auto layout = ReadChipLayout(std::span<const uint8_t>(first + 4, kSimConfigSize));
  if (!layout) return kSimBadPacket;
  if (layout->ChipCode != request[4] || layout->ChipSubCode != request[5]) return kSimWrongChip;

  job = SimJob{};
  job.HeaderAccepted = true;
  job.Layout = *layout;
  std::copy_n(first + 112, 128, job.OptionBytes.begin());
  job.LimitFlag = first[84];
  job.MaxCount = U16(first + 86) | uint32_t{U16(first + 88)} << 16;
  job.Image.assign(kSimFlashSize, 0xFF);
  if (withOtp) job.SecondImage.assign(first + 1024, first + 2048);
  return kSimAck;
}

uint8_t AcceptMainBlock(std::span<const uint8_t> request, SimJob& job) {
  if (!HasDataLength(request, kBlockData)) return kSimBadPacket;
  if (!job.HeaderAccepted) return kSimCommandFailed;
  const SimChipLayout& l = job.Layout;
  const uint16_t block = U16(request.data() + 1);
  const uint8_t* data = request.data() + kData;
  if (block < l.FlashSizeKB) {
    if (block != job.NextMainBlock) return kSimCommandFailed;
    StoreClipped(job.Image, l.MainOffset + block * 1024ull, data, l.MainOffset, l.MainSize);
    job.NextMainBlock = static_cast<uint16_t>(job.NextMainBlock + 4);
    return kSimAck;
  }
  // Data memory numbered on from the main blocks, once they are all in.
  const uint32_t index = block - l.FlashSizeKB;
  if (!l.DataMemoryAfterMain() || l.SecondSize == 0 || index * 1024u >= l.SecondSize)
    return kSimOutOfRange;
  if (!job.Complete() || index != job.NextDataBlock) return kSimCommandFailed;
  StoreClipped(job.Image, 0x80000ull + index * 1024ull, data, l.SecondOffset, l.SecondSize);
  job.NextDataBlock = static_cast<uint16_t>(job.NextDataBlock + 4);
  return kSimAck;
}

uint8_t AcceptSecondBlock(std::span<const uint8_t> request, SimJob& job) {
  if (!HasDataLength(request, kBlockData)) return kSimBadPacket;
  if (!job.HeaderAccepted) return kSimCommandFailed;
  const SimChipLayout& l = job.Layout;
  const uint16_t block = U16(request.data() + 1);
  if (l.SecondSize == 0 || l.SecondIsOtp || block * 1024u >= l.SecondSize) return kSimOutOfRange;
  if (block != job.NextSecondBlock) return kSimCommandFailed;
  StoreClipped(job.Image, l.SecondOffset + block * 1024ull, request.data() + kData, l.SecondOffset,
               l.SecondSize);
  job.NextSecondBlock = static_cast<uint16_t>(job.NextSecondBlock + 4);
  return kSimAck;
}

}  // namespace korvel
