#include "sim/SimAutoDetect.h"

#include <algorithm>

#include "sim/SimUnit.h"

namespace korvel {

namespace {

bool HasSecondData(const SimJob& job) {
  const SimChipLayout& l = job.Layout;
  if (l.SecondSize == 0) return false;
  return l.SecondIsOtp ? !job.SecondImage.empty() : job.NextSecondBlock > 0 || job.NextDataBlock > 0;
}

}  // namespace

std::array<uint8_t, 8> ProgressFrame(uint8_t phase, uint8_t result, uint16_t progress, uint16_t total) {
  std::array<uint8_t, 8> f = {0xFD,
                              phase,
                              result,
                              static_cast<uint8_t>(progress),
                              static_cast<uint8_t>(progress >> 8),
                              static_cast<uint8_t>(total),
                              static_cast<uint8_t>(total >> 8),
                              0};
  uint8_t sum = 0;
  for (int i = 0; i < 7; ++i) sum = static_cast<uint8_t>(sum + f[i]);
  f[7] = static_cast<uint8_t>(0x100 - sum);
  return f;
}

std::vector<std::array<uint8_t, 8>> ChipRunFrames(const SimJob& job, bool chipHasData, bool fails,
                                                  uint8_t failResult) {
  const SimChipLayout& l = job.Layout;
  std::vector<std::array<uint8_t, 8>> frames;
  frames.push_back(ProgressFrame(kRunInit));
  if (l.Stm32) frames.push_back(ProgressFrame(kRunBlank));
  if (chipHasData) frames.push_back(ProgressFrame(kRunErase));
  // A handful of gauge steps per chip, in whole 4 KB blocks.
  const uint16_t total = l.FlashSizeKB;
  const uint16_t step = static_cast<uint16_t>(std::max(4, (total / 8 + 3) / 4 * 4));
  for (uint32_t done = 0; done < total; done += step)
    frames.push_back(ProgressFrame(kRunMain, 0, static_cast<uint16_t>(done), total));
  const bool second = HasSecondData(job);
  const uint16_t secondKB = static_cast<uint16_t>((l.SecondSize + 1023) / 1024);
  if (second) frames.push_back(ProgressFrame(kRunEep, 0, 0, secondKB));
  frames.push_back(ProgressFrame(kRunVerifyMain));
  if (fails) {
    frames.push_back(ProgressFrame(kRunDone, failResult));
    return frames;
  }
  if (second) frames.push_back(ProgressFrame(kRunVerifyEep));
  if (!l.SkipOptionBytes()) frames.push_back(ProgressFrame(kRunOptions));
  frames.push_back(ProgressFrame(kRunDone, kChipGood));
  return frames;
}

void ProgramChipFromJob(const SimJob& job, SimTarget& chip) {
  const SimChipLayout& l = job.Layout;
  chip.Erase(l);
  chip.ProgramMain(l, l.MainOffset,
                   std::span<const uint8_t>(job.Image).subspan(l.MainOffset, l.MainSize));
  if (HasSecondData(job)) {
    if (l.SecondIsOtp)
      chip.ProgramOtp(job.SecondImage);
    else
      chip.WriteEeprom(l, l.SecondOffset,
                       std::span<const uint8_t>(job.Image).subspan(l.SecondOffset, l.SecondSize));
  }
  if (!l.SkipOptionBytes()) chip.OptionBytes = job.OptionBytes;
}

void StartAutoRun(SimUnit& unit) {
  const SimJob& job = unit.Job();
  const UnitFaults& f = unit.Faults();
  const uint64_t chips = std::min<uint64_t>(static_cast<uint64_t>(f.AutoChips), job.Limit());
  const uint64_t interval = static_cast<uint64_t>(f.AutoIntervalMs) * 1000u;
  const uint64_t start = unit.ReplyReadyUs();
  for (uint64_t c = 1; c <= chips; ++c) {
    const bool fails = f.AutoFailEvery > 0 && c % static_cast<uint64_t>(f.AutoFailEvery) == 0;
    const auto frames = ChipRunFrames(job, f.NotBlank, fails, f.AutoFailResult);
    const uint64_t spacing = interval / (frames.size() + 1);
    const uint64_t chipStart = start + (c - 1) * interval;
    for (size_t i = 0; i < frames.size(); ++i)
      unit.SendUnprompted(std::vector<uint8_t>(frames[i].begin(), frames[i].end()),
                          chipStart + (i + 1) * spacing);
    if (!fails) ProgramChipFromJob(job, unit.Target());
  }
}

}  // namespace korvel
