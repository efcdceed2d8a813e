#include "sim/SimChipLayout.h"

#include "sim/SimTarget.h"

namespace korvel {

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return U16(p) | uint32_t{U16(p + 2)} << 16; }

}  // namespace

std::optional<SimChipLayout> ReadChipLayout(std::span<const uint8_t> config) {
  if (config.size() < kSimConfigSize || config[3] != 0x0B) return std::nullopt;
  const uint8_t* p = config.data();
  SimChipLayout l;
  l.ChipCode = p[4];
  l.ChipSubCode = p[5];
  l.AutoDetect = p[7];
  l.FlashSizeKB = U16(p + 20);
  l.SecondSize = U16(p + 26);
  l.PowerFlags = p[33];
  l.OptionFlags = p[36];
  l.FlashBase = U32(p + 38);
  // STM8 flash starts at 0x8000; every STM32 part (BlueNRG included) far above.
  l.Stm32 = l.FlashBase >= 0x01000000;
  // Like the host's buffer: STM32 flash from 0 wherever the chip maps it.
  l.MainOffset = l.Stm32 ? 0 : l.FlashBase;
  l.MainSize = uint32_t{l.FlashSizeKB} * 1024u;
  if (uint64_t{l.MainOffset} + l.MainSize > kSimFlashSize) return std::nullopt;
  // The block carries only the low half of the second memory's address. A
  // data EEPROM of an STM32 sits at 0x08080000 (low half 0); the OTP areas
  // sit in system memory (0x1FFF7000, 0x1FFF7800, 0x10001800), whose low
  // half never is 0.
  const uint16_t secondLow = U16(p + 30);
  if (l.SecondSize != 0) {
    l.SecondIsOtp = l.Stm32 && secondLow != 0;
    l.SecondOffset = l.Stm32 ? 0x80000u + secondLow : secondLow;
    if (l.SecondIsOtp) l.SecondOffset = 0;
    if (l.SecondIsOtp ? l.SecondSize > kSimOtpSize : l.SecondOffset + l.SecondSize > kSimFlashSize)
      return std::nullopt;
  }
  return l;
}

}  // namespace korvel
