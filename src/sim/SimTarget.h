#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace korvel {

inline constexpr size_t kSimFlashSize = 2 * 1024 * 1024;
inline constexpr size_t kSimOtpSize = 4096;

struct SimChipLayout;

// The chip in a simulated unit's socket. The unit's commands act on it;
// it holds what a real chip would keep between them. Flash is addressed
// like the host's main buffer (see SimChipLayout), a data EEPROM lives
// inside it; an OTP area has its own 4 KB.
struct SimTarget {
  std::vector<uint8_t> Flash = std::vector<uint8_t>(kSimFlashSize, 0xFF);
  std::vector<uint8_t> Otp = std::vector<uint8_t>(kSimOtpSize, 0xFF);
  std::array<uint8_t, 128> OptionBytes{};
  std::array<uint8_t, 12> UniqueId = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06,
                                      0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C};
  bool ReadProtected = false;
  bool Present = true;

  // A chip that holds data everywhere (what a used part brings along).
  void FillWithData();
  bool MainIsBlank(const SimChipLayout& l) const;
  // Mass erase: main flash back to 0xFF and the read protection lifted.
  void Erase(const SimChipLayout& l);
  // Programs data at image offset, only where it lies in main flash. STM32
  // flash can only clear bits until it is erased; STM8 flash writes bytes.
  void ProgramMain(const SimChipLayout& l, uint64_t offset, std::span<const uint8_t> data);
  // Writes data at image offset, only where it lies in the data EEPROM.
  void WriteEeprom(const SimChipLayout& l, uint64_t offset, std::span<const uint8_t> data);
  // One-time area: bits can only be cleared.
  void ProgramOtp(std::span<const uint8_t> data);
  // length bytes of flash from offset (0xFF past the image).
  std::vector<uint8_t> ReadFlash(uint64_t offset, size_t length) const;
};

}  // namespace korvel
