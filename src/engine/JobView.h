#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/JobSettings.h"
#include "optionbytes/OptionDefaults.h"
#include "target/ChipInfo.h"

namespace korvel {

// The six check values of the job's images as the programmers expect them.
struct JobCheckValues {
  uint16_t FlashSum = 0;
  uint16_t FlashCrc = 0;
  uint16_t EepSum = 0;
  uint16_t EepCrc = 0;
  uint16_t OptSum = 0;
  uint16_t OptCrc = 0;
};

// Bytes laid over the main image at an image offset.
struct ImagePatch {
  uint32_t Offset = 0;
  std::vector<uint8_t> Bytes;
  bool operator==(const ImagePatch&) const = default;
};

// Everything the job blocks and requests read of the job. The spans are
// views into buffers owned elsewhere and must outlive the call; a span that
// is shorter than what a request carries is padded (see ImageBytes).
struct JobView {
  JobSettings Settings;
  ChipInfo Chip;
  bool Stm32 = false;
  JobCheckValues Checks;
  std::span<const uint8_t> OptionBuffer;  // the 128-byte option-byte image
  std::span<const uint8_t> DefaultTable;  // the family default table (128 bytes)
  std::span<const uint8_t> MainImage;     // the main buffer, by image offset
  std::span<const uint8_t> SecondImage;   // the data-memory buffer of OTP areas
  std::string ChipName;                   // as the chip name field shows it
  std::string ProductName;
  // What is one channel's own in a job shared by several (its serial
  // number): these bytes replace the main image's where they lie.
  std::vector<ImagePatch> Own;
};

// Which family default table rides in the job header and in chip commands.
DefaultTableKind HeaderDefaultTable(const ChipInfo& chip);

// The image offset of a main-buffer address for the job, where the loader
// put it: STM32 bytes lie relative to the flash base (flash from 0, the L0/L1
// data EEPROM from 0x80000, and so also for flash that does not start at
// 0x08000000); addresses beyond the main buffer keep their low 20 bits.
// STM8 addresses are their own offset.
uint32_t ImageOffsetOf(bool stm32, uint32_t flashBase, uint32_t address);
uint32_t ImageOffsetOf(const JobView& job, uint32_t address);

// Copies length bytes of image from offset into out. Bytes past the end of
// the image read as 0xFF, the erased state of flash, so a request for a
// block at the edge of the buffer never reads outside it.
void ImageBytes(std::span<const uint8_t> image, uint64_t offset, uint8_t* out, size_t length);

// The same for the job's main image with the job's own bytes laid over it:
// what a channel programs and compares with.
void MainBytes(const JobView& job, uint64_t offset, uint8_t* out, size_t length);

// The check values of the job's image with its own bytes laid over it:
// those a channel with bytes of its own sends. Values of areas its own
// bytes do not touch stay as the job has them.
JobCheckValues ChecksOfOwnImage(const JobView& job);

}  // namespace korvel
