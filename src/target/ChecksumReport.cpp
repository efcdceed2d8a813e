#include "target/ChecksumReport.h"

#include <cstdio>

#include "target/Checksums.h"

namespace korvel {

namespace {

std::string Format(const char* format, uint32_t value) {
  char text[128];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

struct Lines {
  ImageJob& Job;
  std::vector<std::string> Texts;
  void Add(std::string text) {
    Job.App.Log.HostLine(text);
    Texts.push_back(std::move(text));
  }
};

// The chip's flash as main-buffer indices.
BufferRange ChipRange(const ChipInfo& chip) {
  if (chip.FlashEnd < chip.FlashBase) return {};
  const uint64_t size = uint64_t{chip.FlashEnd} - chip.FlashBase;
  const uint64_t first = chip.BlueNrgMode ? 0 : MainIndex(chip.FlashBase);
  return ClipRange(first, first + size, MemoryBuffers::kMainSize);
}

// The loaded file's range where the loader put it: STM32 files sit in the
// buffer relative to FlashBase, which for the BlueNRG parts is not the
// address's low 24 bits.
BufferRange FileRange(const ImageJob& job) {
  const MemoryBuffers& b = job.Buffers;
  const uint32_t shift = job.App.Flags.Stm32Family ? job.Chip.FlashBase : 0;
  if (b.LoadHigh < b.LoadLow || b.LoadHigh < shift) return {};
  const uint64_t first = b.LoadLow > shift ? b.LoadLow - shift : 0;
  return ClipRange(first, b.LoadHigh - shift, b.Main.size());
}

}  // namespace

BufferRange ClipRange(uint64_t first, uint64_t last, size_t bufferSize) {
  if (last < first || first >= bufferSize) return {};
  last = std::min<uint64_t>(last, bufferSize - 1);
  return {static_cast<uint32_t>(first), static_cast<uint32_t>(last - first + 1)};
}

uint16_t RangeSum(std::span<const uint8_t> buffer, BufferRange r) {
  return r.Count ? SumValue(buffer, r.First, r.Last()) : 0;
}
uint16_t RangeCrc(std::span<const uint8_t> buffer, BufferRange r) {
  return r.Count ? GetBrevanCheckSum(buffer, r.First, r.Last()) : 0xFFFF;
}
uint32_t RangeSum32(std::span<const uint8_t> buffer, BufferRange r) {
  return r.Count ? ByteSum32(buffer, r.First, r.Last()) : 0;
}

BufferRange LeadingBytes(uint32_t size, size_t bufferSize) {
  return size ? ClipRange(0, size - 1, bufferSize) : BufferRange{};
}

std::vector<std::string> UpdateDataChecksums(ImageJob& job) {
  Lines out{job, {}};
  const ChipInfo& chip = job.Chip;
  MemoryBuffers& b = job.Buffers;
  if (chip.HasOtp) {
    const BufferRange r = LeadingBytes(chip.EepSize, b.Data.size());
    b.EepCrc = RangeCrc(b.Data, r);
    b.EepSum = RangeSum(b.Data, r);
    out.Add(Format("Cuurent OTP Data CheckSum = 0x%.4x", b.EepSum));
    out.Add(Format("Cuurent OTP Data CRC Sum = 0x%.4x", b.EepCrc));
  } else {
    const uint32_t shift = job.App.Flags.Stm32Family ? chip.FlashBase : 0;
    const int64_t first = int64_t{chip.EepBase} - shift, last = int64_t{chip.EepEnd} - shift;
    BufferRange r;
    if (chip.EepSize && first >= 0 && last >= first)
      r = ClipRange(uint64_t(first), uint64_t(last), b.Main.size());
    b.EepCrc = RangeCrc(b.Main, r);
    b.EepSum = RangeSum(b.Main, r);
    out.Add(Format("Current EEP Data CheckSum = 0x%.4x", b.EepSum));
    out.Add(Format("Current EEP Data CRC Sum  = 0x%.4x", b.EepCrc));
  }
  return out.Texts;
}

std::vector<std::string> ReportChecksums(ImageJob& job) {
  Lines out{job, {}};
  const ChipInfo& chip = job.Chip;
  MemoryBuffers& b = job.Buffers;
  const JobFlags& flags = job.App.Flags;
  auto& panels = job.App.Controls.StatusPanels;

  const BufferRange chipRange = ChipRange(chip);
  if (chip.BlueNrgMode && chip.FamilyCode == 0xB8 && chipRange.Count) {
    // The last eight bytes of the image's last row carry the option bytes.
    const uint32_t row = chipRange.Last() & ~15u;
    for (uint32_t i = 0; i < 8 && i < job.OptionBuffer.size(); ++i)
      job.OptionBuffer[i] = b.Main[row + 8 + i];
  }
  const uint32_t chipSum32 = RangeSum32(b.Main, chipRange);
  b.FlashCrc = RangeCrc(b.Main, chipRange);
  b.FlashSum = RangeSum(b.Main, chipRange);

  if (chip.EepSize > 0) {
    for (auto& t : UpdateDataChecksums(job)) out.Texts.push_back(t);
    out.Add(kChecksumSeparator);
    out.Add(Format("目标EEP Data首地址 = 0x%.4x.", chip.EepBase));
    out.Add(Format("目标EEP Data尾地址 = 0x%.4x.", chip.EepEnd));
  }
  if (chip.FlashEnd > chip.FlashBase) {
    out.Add(kChecksumSeparator);
    out.Add(Format("目标Flash首地址 = 0x%.4x.", chip.FlashBase));
    out.Add(Format("目标Flash尾地址 = 0x%.4x.", chip.FlashEnd));
  }
  if (b.ShowFileRange) {
    out.Add(kChecksumSeparator);
    out.Add(Format("目标文件首地址 = 0x%.4x.", b.LoadLow));
    out.Add(Format("目标文件尾地址 = 0x%.4x.", b.LoadHigh));
  }
  out.Add(kChecksumSeparator);
  const BufferRange fileRange = flags.ImageLoaded ? FileRange(job) : chipRange;
  if (flags.ChipSelected) {
    const uint16_t fileSum = RangeSum(b.Main, fileRange);
    out.Add(Format("主 Flash CheckSum  = 0x%.4x", b.FlashSum));
    panels[0] = b.ShowFileRange ? Format("文件校验和：0x%.4x", fileSum) : "文件校验和：----";
    panels[1] = Format("芯片校验和：0x%.4x", b.FlashSum);
    if (chip.EepSize > 0) out.Add(Format("EEP Data CheckSum  = 0x%.4x", b.EepSum));
  } else {
    out.Add(Format("FIle CheckSum  = 0x%.4x", b.FlashSum));
    panels[0] = Format("文件校验和：0x%.4x", b.FlashSum);
    panels[1] = "芯片校验和：0x0000";
  }
  out.Add(Format("ST Flash CheckSum  = 0x%.8x", chipSum32));
  out.Add(Format("Open File CheckSum  = 0x%.8x", RangeSum32(b.Main, fileRange)));
  out.Add(kChecksumSeparator);
  job.App.Controls.Changed();
  return out.Texts;
}

}  // namespace korvel
