#include "sim/SimAutoDetect.h"

#include <algorithm>

#include "sim/SimUnit.h"

namespace korvel {

namespace {

// The tags of a chip's progress frames while they wait to be sent: a
// restart takes them back, and the finishing frames say how many chips
// were not finished.
constexpr uint8_t kChipStepTag = 1;
constexpr uint8_t kChipDoneTag = 2;
constexpr uint8_t kRopNotSet = 0x1E;
constexpr uint8_t kVerifyMismatch = 0x31;

// The skip bits of OptionFlags, one per step.
constexpr uint8_t kStepBlank = 0x01;
constexpr uint8_t kStepErase = 0x02;
constexpr uint8_t kStepMain = 0x04;
constexpr uint8_t kStepEep = 0x08;
constexpr uint8_t kStepVerifyMain = 0x10;
constexpr uint8_t kStepVerifyEep = 0x20;
constexpr uint8_t kStepOptions = 0x40;

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

std::vector<std::array<uint8_t, 8>> ChipRunFrames(const SimJob& job, SimChipKind chip, bool fails,
                                                  uint8_t failResult) {
  const SimChipLayout& l = job.Layout;
  std::vector<std::array<uint8_t, 8>> frames;
  frames.push_back(ProgressFrame(kRunInit));
  if (l.RopOnly()) {
    const uint8_t result = fails ? failResult : chip.ReadProtected ? kChipGood : kRopNotSet;
    frames.push_back(ProgressFrame(kRunDone, result));
    return frames;
  }
  auto runs = [&l](uint8_t skipBit) { return !l.Skips(skipBit); };
  const bool used = chip.HasData || chip.ReadProtected;
  if (l.Stm32 && runs(kStepBlank)) frames.push_back(ProgressFrame(kRunBlank));
  if (used && runs(kStepErase)) frames.push_back(ProgressFrame(kRunErase));
  if (runs(kStepMain)) {
    // A handful of gauge steps per chip, in whole 4 KB blocks.
    const uint16_t total = l.FlashSizeKB;
    const uint16_t step = static_cast<uint16_t>(std::max(4, (total / 8 + 3) / 4 * 4));
    for (uint32_t done = 0; done < total; done += step)
      frames.push_back(ProgressFrame(kRunMain, 0, static_cast<uint16_t>(done), total));
  }
  const bool second = HasSecondData(job);
  const uint16_t secondKB = static_cast<uint16_t>((l.SecondSize + 1023) / 1024);
  if (second && runs(kStepEep)) frames.push_back(ProgressFrame(kRunEep, 0, 0, secondKB));
  if (runs(kStepVerifyMain)) {
    frames.push_back(ProgressFrame(kRunVerifyMain));
    // STM32 flash only clears bits until erased: old data shows through.
    const bool overwritten = l.Stm32 && used && !runs(kStepErase) && runs(kStepMain);
    if (fails || overwritten) {
      frames.push_back(ProgressFrame(kRunDone, fails ? failResult : kVerifyMismatch));
      return frames;
    }
  }
  if (second && runs(kStepVerifyEep)) frames.push_back(ProgressFrame(kRunVerifyEep));
  if (runs(kStepOptions)) frames.push_back(ProgressFrame(kRunOptions));
  frames.push_back(ProgressFrame(kRunDone, fails ? failResult : kChipGood));
  return frames;
}

void ProgramChipFromJob(const SimJob& job, SimTarget& chip) {
  const SimChipLayout& l = job.Layout;
  if (l.RopOnly()) return;
  if (!l.Skips(kStepErase)) chip.Erase(l);
  if (!l.Skips(kStepMain))
    chip.ProgramMain(l, l.MainOffset, std::span<const uint8_t>(job.Image).subspan(l.MainOffset, l.MainSize));
  if (HasSecondData(job) && !l.Skips(kStepEep)) {
    if (l.SecondIsOtp)
      chip.ProgramOtp(job.SecondImage);
    else
      chip.WriteEeprom(l, l.SecondOffset,
                       std::span<const uint8_t>(job.Image).subspan(l.SecondOffset, l.SecondSize));
  }
  if (!l.Skips(kStepOptions)) chip.OptionBytes = job.OptionBytes;
}

void StartAutoRun(SimUnit& unit) {
  SimJob& job = unit.Job();
  const UnitFaults& f = unit.Faults();
  // What is still waiting to be reported was not finished: taken back.
  const uint64_t unfinished = unit.CancelUnprompted(kChipDoneTag);
  unit.CancelUnprompted(kChipStepTag);
  job.AutoChipsDone = job.AutoChipsTaken - std::min(unfinished, job.AutoChipsTaken);
  const uint64_t chips = std::min<uint64_t>(static_cast<uint64_t>(f.AutoChips), job.Limit());
  const uint64_t interval = static_cast<uint64_t>(f.AutoIntervalMs) * 1000u;
  const uint64_t start = unit.ReplyReadyUs();
  const SimChipKind kind{f.NotBlank, f.ReadProtected};
  for (uint64_t c = job.AutoChipsDone + 1; c <= chips; ++c) {
    const bool fails = f.AutoFailEvery > 0 && c % static_cast<uint64_t>(f.AutoFailEvery) == 0;
    const auto frames = ChipRunFrames(job, kind, fails, f.AutoFailResult);
    const uint64_t spacing = interval / (frames.size() + 1);
    const uint64_t chipStart = start + (c - job.AutoChipsDone - 1) * interval;
    for (size_t i = 0; i < frames.size(); ++i)
      unit.SendUnprompted(std::vector<uint8_t>(frames[i].begin(), frames[i].end()),
                          chipStart + (i + 1) * spacing, i + 1 == frames.size() ? kChipDoneTag : kChipStepTag);
    if (frames.back()[2] == kChipGood) ProgramChipFromJob(job, unit.Target());
  }
  job.AutoChipsTaken = std::max(chips, job.AutoChipsDone);
}

}  // namespace korvel
