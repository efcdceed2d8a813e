#include "target/HexViewLayout.h"

#include <cstdio>

namespace korvel {

std::string HexViewLayout::AddressText(uint32_t row) const {
  char t[16];
  std::snprintf(t, sizeof t, "0x%.*x", AddressDigits, FirstAddress + 16 * row);
  return t;
}

std::string HexViewLayout::ByteText(uint32_t row, int column) const {
  const size_t i = size_t{row} * 16 + column;
  if (column < 0 || column > 15 || i >= Bytes.size()) return {};
  static const char digits[] = "0123456789abcdef";
  return {digits[Bytes[i] >> 4], digits[Bytes[i] & 15]};
}

std::string HexViewLayout::CharsText(uint32_t row) const {
  std::string s;
  for (size_t i = size_t{row} * 16, e = std::min(i + 16, Bytes.size()); i < e; ++i) {
    const uint8_t b = Bytes[i];
    s += (b >= 0x20 && b <= 0x7F) ? static_cast<char>(b) : '.';
  }
  return s;
}

std::string HexViewLayout::CellText(uint32_t row, int column) const {
  if (column == 0) return AddressText(row);
  if (column == 17) return CharsText(row);
  return ByteText(row, column - 1);
}

std::string HexViewLayout::HeaderText(int column) {
  if (column < 1 || column > 16) return {};
  char t[8];
  std::snprintf(t, sizeof t, "  %x", column - 1);
  return t;
}

namespace {

std::span<const uint8_t> From(std::span<const uint8_t> buffer, uint64_t start, uint64_t size) {
  if (start >= buffer.size()) return {};
  return buffer.subspan(start, std::min<uint64_t>(size, buffer.size() - start));
}

uint32_t RowsFor(uint64_t bytes) { return static_cast<uint32_t>((bytes + 15) / 16); }

}  // namespace

HexViewLayout FlashViewLayout(const ChipInfo& chip, const MemoryBuffers& buffers) {
  HexViewLayout v;
  v.FirstAddress = chip.FlashBase;
  v.AddressDigits = 6;
  if (chip.FlashEnd < chip.FlashBase) return v;
  const uint64_t size = uint64_t{chip.FlashEnd} - chip.FlashBase + 1;
  v.Rows = RowsFor(size);
  const uint64_t start = chip.BlueNrgMode ? 0 : uint64_t{MainIndex(chip.FlashBase) >> 4} * 16;
  v.Bytes = From(buffers.MainSpan(), start, uint64_t{v.Rows} * 16);
  return v;
}

HexViewLayout DataViewLayout(const ChipInfo& chip, const MemoryBuffers& buffers) {
  HexViewLayout v;
  v.FirstAddress = chip.EepBase;
  v.AddressDigits = 8;
  if (chip.EepSize == 0) return v;
  v.Rows = RowsFor(chip.EepSize);
  const uint64_t size = uint64_t{v.Rows} * 16;
  v.Bytes = chip.HasOtp ? From(buffers.Data, 0, size)
                        : From(buffers.MainSpan(), MainIndex(chip.EepBase), size);
  return v;
}

std::string DataViewCaption(const ChipInfo& chip) { return chip.HasOtp ? "OTP Data" : "EEP Data"; }

}  // namespace korvel
