#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korvel {

// The units' own firmware as the host carries it: a masked body behind a
// small header, closed by a sum of every byte. Blocks address the image by
// 16-bit offsets, so it is kept as a zero-filled 64 KB buffer.
inline constexpr size_t kFirmwareImageSize = 65536;
inline constexpr size_t kFirmwareMaskOffset = 25;
inline constexpr size_t kFirmwareMaskSize = 3290;
inline constexpr size_t kFirmwareBodyOffset = kFirmwareMaskOffset + kFirmwareMaskSize;  // 3315
inline constexpr size_t kFirmwareTrailerSize = 876;
inline constexpr const char* kFirmwareIdText = "Tolfrex";
inline constexpr uint8_t kFirmwareIdMask = 0x5E;

// Request data of one upgrade block: 2048 bytes of image, 2080 random.
inline constexpr size_t kFirmwareBlockData = 0x1020;
inline constexpr uint8_t kFirmwareBlockCommand = 0xB7;
inline constexpr uint8_t kFirmwareRestartCommand = 0xBD;

struct FirmwareImage {
  std::vector<uint8_t> Image = std::vector<uint8_t>(kFirmwareImageSize, 0);
  uint16_t End = 0;         // E
  uint16_t BodyLength = 0;  // L
  // The number of blocks an upgrade sends.
  int BlockTotal() const { return (End - 4096) / 1024 + 1; }
};

struct FirmwareRead {
  std::optional<FirmwareImage> Firmware;
  std::string Error;  // why the file was refused
};

// Checks and unmasks a firmware file. Anything that is not exactly the
// layout (too short, too long, wrong identification, wrong sum, an end
// value below the first block) is refused with the reason.
FirmwareRead ParseFirmwareFile(std::span<const uint8_t> file);
FirmwareRead ReadFirmwareFile(const std::string& path);

// A valid firmware file around body, for the simulator and tests. The key
// and the mask table come from random.
std::vector<uint8_t> MakeFirmwareFile(std::span<const uint8_t> body, uint16_t end,
                                      const std::function<uint32_t()>& random);
// The end value whose blocks just cover a body of bodyLength bytes.
uint16_t FirmwareEndFor(size_t bodyLength);

// The data of block b (kFirmwareBlockData bytes) with the random word r;
// random gives the filler bytes.
std::vector<uint8_t> FirmwareBlockData(const FirmwareImage& fw, uint16_t block, uint16_t r,
                                       const std::function<uint8_t()>& random);

// What a unit's boot loader finds wrong with a block request (whole packet,
// header included, check word not needed); nullopt when it is the block
// expected and carries fw's bytes. Without fw only the layout is checked.
std::optional<std::string> CheckFirmwareBlock(std::span<const uint8_t> packet, uint16_t expectedBlock,
                                              const FirmwareImage* fw);

}  // namespace korvel
