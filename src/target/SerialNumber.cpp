#include "target/SerialNumber.h"

#include <algorithm>
#include <cstdio>

#include "target/Checksums.h"

namespace korvel {

bool ValidSnAddress(const ChipInfo& chip, uint32_t address) {
  if (chip.FlashBase <= address && address <= chip.FlashEnd) return true;
  return chip.EepSize > 0 && chip.EepBase <= address && address <= chip.EepEnd;
}

std::string SerialText(uint32_t value, bool decimal) {
  char text[16];
  std::snprintf(text, sizeof text, decimal ? "%u" : "0x%08x", unsigned(value));
  return text;
}

std::array<uint8_t, 4> SerialBytes(const SerialNumberSpec& sn) {
  // b[0] is the least significant byte; an ASCII number's first character
  // is its most significant.
  std::array<uint8_t, 4> b{};
  for (int i = 0; i < 4; ++i) {
    if (sn.Ascii) b[3 - i] = i < int(sn.Text.size()) ? static_cast<uint8_t>(sn.Text[i]) : 0;
    else b[i] = static_cast<uint8_t>(sn.Value >> (8 * i));
  }
  if (sn.StOrder) std::reverse(b.begin(), b.end());
  return b;
}

SerialNumberSpec SerialSpecFor(const MainControls& c, const JobSettings& s, uint32_t value) {
  SerialNumberSpec sn;
  sn.Value = value;
  sn.Ascii = c.ChkBoxStrSN.Checked;
  sn.StOrder = c.SNOrderChk.Checked;
  sn.Text = value == s.SnValue ? c.SNEdit.Text : SerialText(value, c.ChkBoxSNDP.Checked);
  return sn;
}

BufferBytes PlaceInMainBuffer(const ChipInfo& chip, bool stm32, uint32_t address,
                              std::span<const uint8_t> bytes, size_t bufferSize) {
  BufferBytes out;
  const int64_t offset = int64_t{address} - (stm32 ? int64_t{chip.FlashBase} : 0);
  if (offset < 0 || uint64_t(offset) >= bufferSize) return out;
  out.Offset = static_cast<uint32_t>(offset);
  const size_t n = std::min(bytes.size(), bufferSize - out.Offset);
  out.Bytes.assign(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(n));
  return out;
}

BufferRange FlashBufferRange(const ChipInfo& chip, size_t bufferSize) {
  if (chip.FlashEnd < chip.FlashBase) return {};
  const uint64_t first = chip.BlueNrgMode ? 0 : MainIndex(chip.FlashBase);
  return ClipRange(first, first + (uint64_t{chip.FlashEnd} - chip.FlashBase), bufferSize);
}

BufferRange EepBufferRange(const ChipInfo& chip, bool stm32, size_t bufferSize) {
  if (chip.HasOtp || chip.EepSize == 0) return {};
  const int64_t shift = stm32 ? chip.FlashBase : 0;
  const int64_t first = int64_t{chip.EepBase} - shift, last = int64_t{chip.EepEnd} - shift;
  if (first < 0 || last < first) return {};
  return ClipRange(uint64_t(first), uint64_t(last), bufferSize);
}

bool Overlaps(BufferRange range, const BufferBytes& bytes) {
  if (range.Count == 0 || bytes.Bytes.empty()) return false;
  const uint64_t end = uint64_t{bytes.Offset} + bytes.Bytes.size();
  return bytes.Offset <= range.Last() && end > range.First;
}

RangeChecks ChecksWithBytes(std::span<const uint8_t> image, BufferRange range,
                            std::span<const BufferBytes> over) {
  RangeChecks r;
  if (range.Count == 0) return r;
  // The range is walked in pieces so that no copy of a large image is made:
  // each piece comes from the image, then the laid-over bytes replace theirs.
  constexpr size_t kPiece = 4096;
  uint8_t piece[kPiece];
  uint32_t sum = 0;
  uint16_t crc = 0xFFFF;
  const uint64_t end = uint64_t{range.First} + range.Count;
  for (uint64_t at = range.First; at < end; at += kPiece) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(kPiece, end - at));
    const size_t have = at < image.size() ? std::min<size_t>(n, image.size() - at) : 0;
    std::copy_n(image.begin() + static_cast<ptrdiff_t>(have ? at : 0), have, piece);
    std::fill(piece + have, piece + n, uint8_t{0});
    for (const BufferBytes& o : over)
      for (size_t i = 0; i < o.Bytes.size(); ++i) {
        const uint64_t a = uint64_t{o.Offset} + i;
        if (a >= at && a < at + n) piece[a - at] = o.Bytes[i];
      }
    for (size_t i = 0; i < n; ++i) sum += piece[i];
    crc = Crc16CcittFalse(piece, n, crc);
  }
  r.Sum = static_cast<uint16_t>(0x10000u - (sum & 0xFFFF));
  r.Crc = crc;
  return r;
}

void MainBytesWritten(ImageJob& job, const BufferBytes& written) {
  MemoryBuffers& b = job.Buffers;
  const BufferRange flash = FlashBufferRange(job.Chip, b.Main.size());
  b.FlashCrc = RangeCrc(b.Main, flash);
  b.FlashSum = RangeSum(b.Main, flash);
  char line[64];
  std::snprintf(line, sizeof line, "主 Flash CheckSum  = 0x%.8x", unsigned(b.FlashSum));
  job.App.Log.HostLine(line);
  std::snprintf(line, sizeof line, "芯片校验和：0x%.4x", unsigned(b.FlashSum));
  job.App.Controls.StatusPanels[1] = line;
  // Bytes in the data EEPROM change the check values the job carries for it.
  const BufferRange eep = EepBufferRange(job.Chip, job.App.Flags.Stm32Family, b.Main.size());
  if (Overlaps(eep, written)) {
    b.EepCrc = RangeCrc(b.Main, eep);
    b.EepSum = RangeSum(b.Main, eep);
  }
  if (job.Views.MainBytesChanged && !written.Bytes.empty())
    job.Views.MainBytesChanged(written.Offset, written.Offset + uint32_t(written.Bytes.size()) - 1);
  job.App.Controls.Changed();
}

void WriteSerialToImage(ImageJob& job, const SerialNumberSpec& sn, uint32_t address) {
  const std::array<uint8_t, 4> bytes = SerialBytes(sn);
  const BufferBytes placed =
      PlaceInMainBuffer(job.Chip, job.App.Flags.Stm32Family, address, bytes, job.Buffers.Main.size());
  std::copy(placed.Bytes.begin(), placed.Bytes.end(), job.Buffers.Main.begin() + placed.Offset);
  MainBytesWritten(job, placed);
}

void ShowSerial(MainControls& c, JobSettings& s, uint32_t value) {
  s.SnValue = value;
  c.SNEdit.Text = SerialText(value, c.ChkBoxSNDP.Checked);
  c.Changed();
}

}  // namespace korvel
