#include "engine/JobView.h"

#include <algorithm>

#include "target/MemoryBuffers.h"
#include "target/SerialNumber.h"

namespace korvel {

DefaultTableKind HeaderDefaultTable(const ChipInfo& chip) {
  switch (chip.FamilyCode) {
    case 0x70: return DefaultTableKind::G0x0;
    case 0x71: return DefaultTableKind::G0x1;
    case 0x72:
      return chip.FlashSizeKB < 151 ? DefaultTableKind::G4Small : DefaultTableKind::G4Large;
    default: return DefaultTableKind::L4;
  }
}

uint32_t ImageOffsetOf(bool stm32, uint32_t flashBase, uint32_t address) {
  if (!stm32) return address;
  if (address >= flashBase && address - flashBase < MemoryBuffers::kMainSize) return address - flashBase;
  return address & 0xFFFFF;
}

uint32_t ImageOffsetOf(const JobView& job, uint32_t address) {
  return ImageOffsetOf(job.Stm32, job.Chip.FlashBase, address);
}

void ImageBytes(std::span<const uint8_t> image, uint64_t offset, uint8_t* out, size_t length) {
  size_t copied = 0;
  if (offset < image.size()) {
    copied = std::min<uint64_t>(length, image.size() - offset);
    std::copy_n(image.begin() + static_cast<ptrdiff_t>(offset), copied, out);
  }
  std::fill(out + copied, out + length, uint8_t{0xFF});
}

void MainBytes(const JobView& job, uint64_t offset, uint8_t* out, size_t length) {
  ImageBytes(job.MainImage, offset, out, length);
  for (const ImagePatch& patch : job.Own)
    for (size_t i = 0; i < patch.Bytes.size(); ++i) {
      const uint64_t at = uint64_t{patch.Offset} + i;
      if (at >= offset && at < offset + length) out[at - offset] = patch.Bytes[i];
    }
}

JobCheckValues ChecksOfOwnImage(const JobView& job) {
  JobCheckValues checks = job.Checks;
  if (job.Own.empty()) return checks;
  std::vector<BufferBytes> own;
  for (const ImagePatch& p : job.Own) own.push_back({p.Offset, p.Bytes});
  auto touched = [&own](BufferRange r) {
    return std::any_of(own.begin(), own.end(), [r](const BufferBytes& b) { return Overlaps(r, b); });
  };
  const BufferRange flash = FlashBufferRange(job.Chip, job.MainImage.size());
  if (touched(flash)) {
    const RangeChecks c = ChecksWithBytes(job.MainImage, flash, own);
    checks.FlashSum = c.Sum;
    checks.FlashCrc = c.Crc;
  }
  const BufferRange eep = EepBufferRange(job.Chip, job.Stm32, job.MainImage.size());
  if (touched(eep)) {
    const RangeChecks c = ChecksWithBytes(job.MainImage, eep, own);
    checks.EepSum = c.Sum;
    checks.EepCrc = c.Crc;
  }
  return checks;
}

}  // namespace korvel
