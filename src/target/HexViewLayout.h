#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "target/ChipInfo.h"
#include "target/MemoryBuffers.h"

namespace korvel {

// What one hex grid shows: rows of 16 bytes starting at FirstAddress, the
// bytes taken from Bytes (which may end before the last row; missing bytes
// show blank). Text is formatted per cell on demand, so a 2 MB image costs
// nothing until it is scrolled into view.
struct HexViewLayout {
  uint32_t FirstAddress = 0;
  uint32_t Rows = 0;
  int AddressDigits = 6;
  std::span<const uint8_t> Bytes;

  static constexpr int kColumns = 18;  // address, 16 bytes, characters

  // "0x%0.6x" / "0x%0.8x" of the row's address.
  std::string AddressText(uint32_t row) const;
  // "%0.2x" of byte column (0..15) of the row; empty past the data.
  std::string ByteText(uint32_t row, int column) const;
  // Bytes 0x20..0x7F as themselves, all others as '.'.
  std::string CharsText(uint32_t row) const;
  // The text of grid column 0..17.
  std::string CellText(uint32_t row, int column) const;
  // Header of column 0..17: "  %x" over the byte columns.
  static std::string HeaderText(int column);
};

// HexViewer over the main buffer, and EEPDataView over the data memory
// (empty when the chip has none).
HexViewLayout FlashViewLayout(const ChipInfo& chip, const MemoryBuffers& buffers);
HexViewLayout DataViewLayout(const ChipInfo& chip, const MemoryBuffers& buffers);
// "OTP Data" with an OTP area, else "EEP Data".
std::string DataViewCaption(const ChipInfo& chip);

}  // namespace korvel
