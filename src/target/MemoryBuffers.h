#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace korvel {

// The host-side mirrors of the target's memories and their check values.
// Target address A lives at main-buffer byte (A & 0xFFFFFF): STM8 addresses
// map to themselves, STM32 0x08000000 to 0, and the data EEPROM sits inside.
struct MemoryBuffers {
  static constexpr size_t kMainSize = 0x200000;  // 2 MB
  static constexpr size_t kDataSize = 4096;      // OTP areas; index 0 = EepBase

  std::vector<uint8_t> Main = std::vector<uint8_t>(kMainSize, 0x00);
  std::array<uint8_t, kDataSize> Data{};

  // Lowest and highest address of the last object-file load.
  uint32_t LoadLow = 0;
  uint32_t LoadHigh = 0;
  // Load position of a raw binary file, relative to the chip's buffer area.
  uint32_t BinOffset = 0;
  // The last load came from the Open command, so its file range is reported.
  bool ShowFileRange = false;
  // A load failed since the buffers were last cleared for Open: they do not
  // hold a whole image, whatever is loaded on top, until the next Open.
  bool LoadFailed = false;

  uint16_t FlashSum = 0;
  uint16_t FlashCrc = 0;
  uint16_t EepSum = 0;
  uint16_t EepCrc = 0;
  uint16_t OptSum = 0;
  uint16_t OptCrc = 0;

  std::span<uint8_t> MainSpan() { return Main; }
  std::span<const uint8_t> MainSpan() const { return Main; }
};

// Main-buffer index of a target address; may lie past the buffer's end, so
// every user checks it against kMainSize.
constexpr uint32_t MainIndex(uint32_t address) { return address & 0xFFFFFF; }

// Fills rows of 16 bytes with fill, never past the end of the buffer.
void InitialDataBuffer(std::span<uint8_t> buffer, uint32_t rows, uint8_t fill);

// The clearing before Open: STM8 and STM32 L0/L1 (families 0x20..0x2F) get a
// 0x00 main buffer; other STM32 get 0xFF in both buffers. The whole buffers
// are cleared, so nothing of an earlier image survives at their ends, nor
// the mark of an earlier failed load.
void ClearBuffersForOpen(MemoryBuffers& buffers, bool stm32, uint8_t familyCode);

}  // namespace korvel
