#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/JobSettings.h"
#include "app/MainControls.h"
#include "target/ChecksumReport.h"
#include "target/ChipInfo.h"
#include "target/ImageJob.h"

namespace korvel {

// A serial-number address lies in the chip: in its flash or, when it has
// data memory, in that window.
bool ValidSnAddress(const ChipInfo& chip, uint32_t address);

// How SNEdit shows a number: "%u" in decimal, else "0x%0.8x".
std::string SerialText(uint32_t value, bool decimal);

// What one chip's serial number is made of.
struct SerialNumberSpec {
  uint32_t Value = 0;
  std::string Text;      // the number as SNEdit shows it: ASCII numbers are its characters
  bool Ascii = false;
  bool StOrder = true;   // most significant byte (first character) at the lowest address
};

// The four bytes in address order.
std::array<uint8_t, 4> SerialBytes(const SerialNumberSpec& sn);

// The serial number of the job's settings and controls with value in place
// of the captured one (ASCII numbers other than SNEdit's own are spelled as
// SNEdit would show them).
SerialNumberSpec SerialSpecFor(const MainControls& c, const JobSettings& s, uint32_t value);

// Bytes at a main-buffer index.
struct BufferBytes {
  uint32_t Offset = 0;
  std::vector<uint8_t> Bytes;
};

// Where target address lands in the main buffer: STM32 addresses relative
// to FlashBase (as the loader puts files), STM8 addresses as they are; the
// part of bytes that falls outside a buffer of bufferSize is dropped (empty
// when nothing is left).
BufferBytes PlaceInMainBuffer(const ChipInfo& chip, bool stm32, uint32_t address,
                              std::span<const uint8_t> bytes, size_t bufferSize);

// The chip's flash and its data EEPROM as main-buffer ranges (the EEPROM
// range is empty for chips whose data memory is an OTP area of its own).
BufferRange FlashBufferRange(const ChipInfo& chip, size_t bufferSize);
BufferRange EepBufferRange(const ChipInfo& chip, bool stm32, size_t bufferSize);

// The check values of a range of image with bytes laid over it.
struct RangeChecks {
  uint16_t Sum = 0;
  uint16_t Crc = 0xFFFF;
};
RangeChecks ChecksWithBytes(std::span<const uint8_t> image, BufferRange range,
                            std::span<const BufferBytes> over);
bool Overlaps(BufferRange range, const BufferBytes& bytes);

// Bytes were written into the job's main buffer (written may be empty when
// they all fell outside it): the check values of the flash are recomputed
// with the "主 Flash CheckSum  = 0x%0.8x" line, those of the data EEPROM
// when the bytes touch it, and the rows showing the bytes are redrawn.
void MainBytesWritten(ImageJob& job, const BufferBytes& written);

// Writes the serial number into the job's main buffer at address, then as
// MainBytesWritten. Bytes outside the buffer are not stored.
void WriteSerialToImage(ImageJob& job, const SerialNumberSpec& sn, uint32_t address);

// The number after value: value + step in 32 bits, wrapping.
constexpr uint32_t NextSerial(uint32_t value, uint16_t step) { return value + step; }

// SnValue becomes value and SNEdit shows it ("%u" with ChkBoxSNDP).
void ShowSerial(MainControls& c, JobSettings& s, uint32_t value);

// On-line serial numbers: both CheckBoxSN and ChkBoxPCSN ticked.
inline bool OnlineSerials(const MainControls& c) { return c.CheckBoxSN.Checked && c.ChkBoxPCSN.Checked; }

}  // namespace korvel
