#include "engine/ConfigBlock.h"

namespace korvel {

ConfigBlock BuildConfigBlock(const JobView& job, uint16_t parameter, uint8_t randomByte) {
  const ChipInfo& chip = job.Chip;
  const JobSettings& s = job.Settings;
  ConfigBlock b{};
  uint8_t* p = b.data();
  p[3] = 0x0B;
  p[4] = chip.FamilyCode;
  p[5] = chip.ChipSubCode;
  p[6] = randomByte;
  p[7] = s.AutoDetect;
  PutU16(p + 10, parameter);
  // The unit expects the size in this wrapped form: KB × 4 held to 16 bits,
  // then shifted by a byte.
  PutU32(p + 16, static_cast<uint32_t>((chip.FlashSizeKB * 4u) % 65536u) * 256u);
  PutU16(p + 20, chip.FlashSizeKB);
  PutU16(p + 22, chip.FlashBlocks);
  PutU16(p + 24, chip.BlockSize);
  PutU16(p + 26, chip.EepSize);
  p[29] = 1;
  PutU16(p + 30, static_cast<uint16_t>(chip.EepBase));
  p[32] = s.ModeFlags;
  p[33] = s.PowerFlags;
  p[34] = s.SignalFlags;
  p[35] = chip.SectorMapCode;
  p[36] = s.OptionFlags;
  p[37] = chip.FlashVariantCode;
  PutU32(p + 38, chip.FlashBase);
  p[42] = s.PowerUpDelay;
  p[43] = s.PowerDownDelay;
  PutU16(p + 44, s.InsertSettleTime);
  PutU16(p + 46, s.RemoveSettleTime);
  PutU16(p + 48, job.Checks.FlashCrc);
  PutU16(p + 50, job.Checks.FlashSum);
  PutU16(p + 52, job.Checks.EepCrc);
  PutU16(p + 54, job.Checks.EepSum);
  PutU16(p + 56, job.Checks.OptCrc);
  PutU16(p + 58, job.Checks.OptSum);
  return b;
}

}  // namespace korvel
