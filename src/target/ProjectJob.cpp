#include "target/ProjectJob.h"

#include <algorithm>

namespace korvel {

namespace {

// Offsets in the job header record: the configuration block's offsets
// plus the four bytes of its "ZWLP" lead.
constexpr size_t kFamilyCode = 8;
constexpr size_t kChipSubCode = 9;
constexpr size_t kAutoDetect = 11;
constexpr size_t kFlashSizeKB = 24;
constexpr size_t kFlashBlocks = 26;
constexpr size_t kBlockSize = 28;
constexpr size_t kEepSize = 30;
constexpr size_t kModeFlags = 36;
constexpr size_t kPowerFlags = 37;
constexpr size_t kSignalFlags = 38;
constexpr size_t kSectorMapCode = 39;
constexpr size_t kOptionFlags = 40;
constexpr size_t kFlashVariantCode = 41;
constexpr size_t kFlashBase = 42;
constexpr size_t kPowerUpDelay = 46;
constexpr size_t kPowerDownDelay = 47;
constexpr size_t kInsertSettle = 48;
constexpr size_t kRemoveSettle = 50;
constexpr size_t kChecks = 52;
constexpr size_t kSnMode = 68;
constexpr size_t kSnWidth = 69;
constexpr size_t kSnStep = 70;
constexpr size_t kSnAddress = 72;
constexpr size_t kSnValue = 76;
constexpr size_t kLimitFlag = 84;
constexpr size_t kMaxCount = 86;
constexpr size_t kOptionBytes = 112;

// The L4 line keeps 16 option bytes inside its OTP image.
constexpr uint8_t kFamilyL4 = 0x08;
constexpr size_t kL4OtpOptionAt = 512;
constexpr size_t kL4OptionFrom = 16;
constexpr size_t kL4OptionCount = 16;

// The STM8 data image is always this long, from EepBase.
constexpr size_t kStm8DataImage = 4096;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) { return U16(p) | (uint32_t{U16(p + 2)} << 16); }

// Where the data-memory image goes: the main buffer from an index, or the
// data-memory buffer from 0.
struct DataPlace {
  bool InDataBuffer = false;
  uint64_t First = 0;
};

DataPlace DataPlaceOf(bool stm32, const ChipInfo& chip) {
  if (!stm32) return {false, chip.EepBase};
  if (chip.HasOtp) return {true, 0};
  return {false, MainIndex(chip.EepBase)};
}

bool Fits(uint64_t first, size_t count, size_t size) { return first + count <= size; }

// Copies count bytes from source at first; bytes past its end read as fill.
void CopyOut(std::span<const uint8_t> source, uint64_t first, size_t count, uint8_t fill,
             std::vector<uint8_t>& out) {
  out.assign(count, fill);
  if (first >= source.size()) return;
  const size_t n = std::min<uint64_t>(count, source.size() - first);
  std::copy_n(source.begin() + static_cast<ptrdiff_t>(first), n, out.begin());
}

}  // namespace

uint32_t ProjectFlashStart(bool stm32, const ChipInfo& chip) {
  return stm32 ? 0 : chip.FlashBase;
}

std::optional<StagedProject> StageProject(ProjectContent content) {
  StagedProject s;
  const uint8_t* h = content.HeaderBlock.data();
  s.Stm32 = (content.ChipFlags & kProjectFlagStm32) != 0;
  s.Supports18V = (content.ChipFlags & kProjectFlag18V) != 0;

  ChipInfo& c = s.Chip;
  c.ChipName = content.ChipName;
  c.FamilyCode = h[kFamilyCode];
  c.ChipSubCode = h[kChipSubCode];
  c.FlashSizeKB = U16(h + kFlashSizeKB);
  c.FlashBlocks = U16(h + kFlashBlocks);
  c.BlockSize = U16(h + kBlockSize);
  c.EepSize = U16(h + kEepSize);
  c.SectorMapCode = h[kSectorMapCode];
  c.FlashVariantCode = h[kFlashVariantCode];
  c.FlashBase = U32(h + kFlashBase);
  c.FlashEnd = c.FlashBase + c.FlashSizeKB * 1024u - 1;
  c.EepBase = content.EepBase;
  c.EepEnd = c.EepBase + c.EepSize - 1;
  c.OptionByteAddr = content.OptionByteAddr;
  c.VariantFlag = (content.ChipFlags & kProjectFlagVariant) != 0;
  c.DualBank = (content.ChipFlags & kProjectFlagDualBank) != 0;
  c.HasOtp = (content.ChipFlags & kProjectFlagOtp) != 0;
  // Not stored: the BlueTooth layout follows from the family code as the
  // chip rules have it.
  c.BlueNrgMode = s.Stm32 && c.FamilyCode >= 0xB8;
  c.Needs18V = false;

  JobSettings& j = s.Settings;
  j.AutoDetect = h[kAutoDetect];
  j.ModeFlags = h[kModeFlags];
  j.PowerFlags = h[kPowerFlags];
  j.SignalFlags = h[kSignalFlags];
  j.OptionFlags = h[kOptionFlags];
  j.PowerUpDelay = h[kPowerUpDelay];
  j.PowerDownDelay = h[kPowerDownDelay];
  j.InsertSettleTime = h[kInsertSettle];
  j.RemoveSettleTime = h[kRemoveSettle];
  j.SnMode = h[kSnMode];
  j.SnWidth = h[kSnWidth];
  j.SnStep = U16(h + kSnStep);
  j.SnAddress = U32(h + kSnAddress);
  j.SnValue = U32(h + kSnValue);
  j.LimitFlag = h[kLimitFlag];
  j.MaxCount = U32(h + kMaxCount);
  j.EepEnabled = (j.PowerFlags & kPowerEepEnabled) != 0;

  // The record keeps them in the configuration block's order.
  s.Checks.FlashCrc = U16(h + kChecks);
  s.Checks.FlashSum = U16(h + kChecks + 2);
  s.Checks.EepCrc = U16(h + kChecks + 4);
  s.Checks.EepSum = U16(h + kChecks + 6);
  s.Checks.OptCrc = U16(h + kChecks + 8);
  s.Checks.OptSum = U16(h + kChecks + 10);

  std::copy_n(h + kOptionBytes, s.OptionBytes.size(), s.OptionBytes.begin());

  // The flash section is placed by the file's own flags and base; the data
  // image by the stored layout.
  const uint64_t flashStart = s.Stm32 ? 0 : content.FlashBase;
  if (!Fits(flashStart, content.Flash.size(), MemoryBuffers::kMainSize)) return std::nullopt;
  const DataPlace data = DataPlaceOf(s.Stm32, c);
  const size_t n = content.DataMemory.size();
  if (n > 0) {
    const size_t size = data.InDataBuffer ? MemoryBuffers::kDataSize : MemoryBuffers::kMainSize;
    if (!Fits(data.First, n, size)) return std::nullopt;
  }
  s.Content = std::move(content);
  return s;
}

void RestoreStoredFields(const StagedProject& s, ChipInfo& chip, JobSettings& settings,
                         JobFlags& flags) {
  const ChipInfo& c = s.Chip;
  chip.ChipName = c.ChipName;
  chip.FamilyCode = c.FamilyCode;
  chip.ChipSubCode = c.ChipSubCode;
  chip.FlashSizeKB = c.FlashSizeKB;
  chip.FlashBlocks = c.FlashBlocks;
  chip.BlockSize = c.BlockSize;
  chip.EepSize = c.EepSize;
  chip.SectorMapCode = c.SectorMapCode;
  chip.FlashVariantCode = c.FlashVariantCode;
  chip.FlashBase = c.FlashBase;
  chip.FlashEnd = c.FlashEnd;
  chip.EepBase = c.EepBase;
  chip.OptionByteAddr = c.OptionByteAddr;
  chip.VariantFlag = c.VariantFlag;
  chip.DualBank = c.DualBank;
  chip.HasOtp = c.HasOtp;
  settings = s.Settings;
  flags.Stm32Family = s.Stm32;
  flags.Supports18V = s.Supports18V;
}

void RestoreCheckValues(const StagedProject& s, MemoryBuffers& b) {
  b.FlashSum = s.Checks.FlashSum;
  b.FlashCrc = s.Checks.FlashCrc;
  b.EepSum = s.Checks.EepSum;
  b.EepCrc = s.Checks.EepCrc;
  b.OptSum = s.Checks.OptSum;
  b.OptCrc = s.Checks.OptCrc;
}

void PlaceProjectImages(const StagedProject& s, MemoryBuffers& b) {
  const ProjectContent& c = s.Content;
  ClearBuffersForOpen(b, s.Stm32, s.Chip.FamilyCode);
  // StageProject proved that both images fit.
  const uint64_t flashStart = s.Stm32 ? 0 : c.FlashBase;
  std::copy(c.Flash.begin(), c.Flash.end(), b.Main.begin() + static_cast<ptrdiff_t>(flashStart));

  const std::vector<uint8_t>& d = c.DataMemory;
  if (d.empty()) return;
  const DataPlace place = DataPlaceOf(s.Stm32, s.Chip);
  if (place.InDataBuffer) {
    std::copy(d.begin(), d.end(), b.Data.begin());
    if (s.Chip.FamilyCode == kFamilyL4)
      std::copy_n(s.OptionBytes.begin() + kL4OptionFrom, kL4OptionCount,
                  b.Data.begin() + kL4OtpOptionAt);
  } else {
    std::copy(d.begin(), d.end(), b.Main.begin() + static_cast<ptrdiff_t>(place.First));
  }
}

ProjectContent GatherProjectContent(const ChipInfo& chip, bool stm32, bool supports18V,
                                    const MemoryBuffers& b) {
  ProjectContent c;
  c.ChipName = chip.ChipName;
  c.EepSize = chip.EepSize;
  c.FlashBase = chip.FlashBase;
  c.EepBase = chip.EepBase;
  c.OptionByteAddr = chip.OptionByteAddr;
  c.ChipFlags = static_cast<uint8_t>((stm32 ? kProjectFlagStm32 : 0) |
                                     (chip.VariantFlag ? kProjectFlagVariant : 0) |
                                     (supports18V ? kProjectFlag18V : 0) |
                                     (chip.DualBank ? kProjectFlagDualBank : 0) |
                                     (chip.HasOtp ? kProjectFlagOtp : 0));
  c.Checks = {b.FlashSum, b.FlashCrc, b.EepSum, b.EepCrc, b.OptSum, b.OptCrc};

  CopyOut(b.Main, ProjectFlashStart(stm32, chip), size_t{chip.FlashSizeKB} * 1024, 0xFF, c.Flash);
  const DataPlace place = DataPlaceOf(stm32, chip);
  const size_t n = stm32 ? chip.EepSize : kStm8DataImage;
  if (place.InDataBuffer)
    CopyOut(b.Data, 0, n, 0xFF, c.DataMemory);
  else
    CopyOut(b.Main, place.First, n, 0xFF, c.DataMemory);
  return c;
}

}  // namespace korvel
