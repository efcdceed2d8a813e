#include "target/ChipRules.h"

#include <algorithm>

namespace korvel {

namespace {

// Character at 1-based position pos, '\0' past the end of the name.
char At(std::string_view name, std::size_t pos) {
  return pos >= 1 && pos <= name.size() ? name[pos - 1] : '\0';
}

bool Starts(std::string_view name, std::string_view prefix) { return name.starts_with(prefix); }

// "first n characters not below" a text, in plain byte order.
bool PrefixNotBelow(std::string_view name, std::string_view bound) {
  return name.substr(0, bound.size()) >= bound;
}

struct SizeCode {
  char Code;
  uint16_t Size;
};

uint16_t Lookup(std::span<const SizeCode> table, char c, uint16_t other) {
  for (const auto& row : table)
    if (row.Code == c) return row.Size;
  return other;
}

constexpr SizeCode kStm32Flash[] = {{'3', 8},    {'4', 16},   {'6', 32},   {'8', 64},
                                    {'B', 128},  {'C', 256},  {'D', 384},  {'E', 512},
                                    {'F', 768},  {'G', 1024}, {'H', 1536}, {'I', 2048},
                                    {'Z', 192}};
constexpr SizeCode kStm8AlFlash[] = {{'9', 96}, {'8', 64}, {'7', 48}, {'6', 32},
                                     {'4', 16}, {'3', 8},  {'2', 4},  {'1', 2}};
constexpr SizeCode kStm8AFlash[] = {{'F', 1024}, {'E', 768}, {'D', 512}, {'C', 384}, {'B', 256},
                                    {'A', 128},  {'9', 96},  {'8', 64},  {'7', 48},  {'6', 32},
                                    {'4', 16},   {'3', 12},  {'2', 8},   {'1', 4}};
constexpr SizeCode kStm8SFlash[] = {{'B', 128}, {'8', 64}, {'6', 32}, {'4', 16}, {'3', 8}, {'2', 4}};
constexpr SizeCode kStm8LFlash[] = {{'8', 64}, {'6', 32}, {'4', 16}, {'3', 8}, {'2', 4}};
constexpr SizeCode kL1Eep[] = {{'4', 2048}, {'6', 2048}, {'8', 2048}, {'B', 4096},
                               {'C', 8192}, {'D', 12288}};

bool IsBlueNrg1(std::string_view n) { return Starts(n, "BLUENRG-1") || Starts(n, "BlueNRG-1"); }
bool IsBlueNrg2(std::string_view n) { return Starts(n, "BLUENRG-2") || Starts(n, "BlueNRG-2"); }
bool IsBlueNrg3(std::string_view n) { return Starts(n, "BlueNRG-3") || Starts(n, "BLUENRG-3"); }

}  // namespace

uint16_t Stm8FlashSize(std::string_view name) {
  switch (At(name, 5)) {
    case 'A':
      if (At(name, 6) == 'L') {
        const char c = At(name, 9) == 'E' ? At(name, 10) : At(name, 9);
        return Lookup(kStm8AlFlash, c, 4);
      }
      return Lookup(kStm8AFlash, At(name, 9), 2);
    case 'S':
      return Lookup(kStm8SFlash, At(name, 10), 8);
    case 'L':
      return Lookup(kStm8LFlash, At(name, 10), 4);
    default:
      return 0;
  }
}

uint16_t Stm8EepSize(std::string_view n, uint16_t kb, uint32_t& eepBase) {
  eepBase = 0x4000;
  if (Starts(n, "STM8S208S6")) return 1536;
  if (Starts(n, "STM8S208R6")) return 2048;
  if (Starts(n, "STM8S208S8") || Starts(n, "STM8S208SB")) return 1536;
  if (Starts(n, "STM8AF51")) return kb >= 96 ? 2048 : kb >= 48 ? 1536 : 1024;
  if (Starts(n, "STM8AF61"))
    return kb >= 96 ? 2048 : kb >= 48 ? 1536 : kb >= 32 ? 1024 : kb >= 16 ? 512 : 384;
  if (Starts(n, "STM8AF52")) return kb >= 64 ? 2048 : 1024;
  if (Starts(n, "STM8AF62")) return kb >= 64 ? 2048 : kb >= 32 ? 1024 : kb >= 16 ? 512 : 640;
  if (Starts(n, "STM8AL3")) {
    eepBase = 0x1000;
    return kb >= 64 ? 2000 : 1024;
  }
  if (Starts(n, "STM8L0")) {
    eepBase = 0x1000;
    return At(n, 7) == '0' ? 0 : 256;
  }
  if (Starts(n, "STM8L10")) return 0;
  if (Starts(n, "STM8L15") || Starts(n, "STM8L16")) {
    eepBase = 0x1000;
    return kb < 16 ? 256 : kb < 64 ? 1024 : 2048;
  }
  if (Starts(n, "STM8S00")) return 128;
  if (Starts(n, "STM8S10")) return kb < 16 ? 640 : kb < 64 ? 1024 : kb < 128 ? 1536 : 2048;
  if (Starts(n, "STM8S207")) return kb <= 32 ? 1024 : kb <= 64 ? 1536 : 2048;
  if (Starts(n, "STM8S208")) return 2048;
  if (Starts(n, "STM8S903")) return 640;
  return 0;
}

uint16_t Stm32FlashSize(std::string_view name) {
  if (Starts(name, "LSM6DB0")) return 64;
  if (IsBlueNrg1(name)) return 160;
  if (IsBlueNrg2(name)) return 256;
  return Lookup(kStm32Flash, At(name, 11), 1024);
}

uint16_t L1EepSize(std::string_view name, uint32_t& optionByteAddr) {
  optionByteAddr = 0x1FF80000;
  return Lookup(kL1Eep, At(name, 11), 16384);
}

uint16_t L0EepSize(std::string_view name, uint32_t& optionByteAddr) {
  optionByteAddr = 0x1FF80000;
  switch (At(name, 8)) {
    case '1':
    case '2':
      return 512;
    case '3':
    case '4':
      return 1024;
    case '5':
    case '6':
      return 2048;
    case '7':
    case '8':
      return At(name, 11) == '8' ? 3072 : 6144;
    default:
      return 0;
  }
}

void ApplyStm8Chip(ChipInfo& c, std::string_view name, uint8_t seriesCode) {
  c.ChipName = std::string(name);
  c.HasOtp = false;
  c.SectorMapCode = 0;
  c.FlashVariantCode = 0;
  // A previous STM32 chip must leave nothing behind but the sub-code.
  c.VariantFlag = false;
  c.DualBank = false;
  c.Needs18V = false;
  c.BlueNrgMode = false;
  c.OptionByteAddr = 0x4800;
  c.FamilyCode = seriesCode;

  c.FlashSizeKB = Stm8FlashSize(name);
  c.EepSize = Stm8EepSize(name, c.FlashSizeKB, c.EepBase);
  c.EepEnd = c.EepBase + c.EepSize - 1;

  if (c.FamilyCode == 0xD0) {
    if (Starts(name, "STM8S005") || Starts(name, "STM8S105"))
      c.FamilyCode = 0xD6;
    else if (Starts(name, "STM8S207") || Starts(name, "STM8S007"))
      c.FamilyCode = 0xD3;
    else if (Starts(name, "STM8S208"))
      c.FamilyCode = 0xD0;
    else
      c.FamilyCode = 0xD9;
  } else if (c.FamilyCode == 0xE5) {
    if (Starts(name, "STM8L10")) c.FamilyCode = 0xE0;
  } else if (c.FamilyCode < 0xD0) {
    if (Starts(name, "STM8AF62") && At(name, 10) == '3') c.FamilyCode = 0xD9;
  }

  c.BlockSize = 1024;
  c.FlashBlocks = c.FlashSizeKB;
  c.FlashBase = 0x8000;
  c.FlashEnd = c.FlashSizeKB * 1024u + 0x7FFF;
}

void ApplyStm32Chip(ChipInfo& c, std::string_view name, uint8_t seriesCode, uint8_t index) {
  c.HasOtp = false;
  c.SectorMapCode = 0;
  c.FlashVariantCode = 0;
  c.BlueNrgMode = false;
  c.Needs18V = false;
  c.ChipName = std::string(name);
  c.DualBank = false;
  c.OptionByteAddr = 0x1FFFF800;
  c.FamilyCode = seriesCode;
  c.ChipSubCode = index;
  c.FlashSizeKB = Stm32FlashSize(name);

  if (Starts(name, "BlueNRG-3")) c.FamilyCode = 0xB9;

  // The series-only codes fold into the family they belong to first.
  if (c.FamilyCode == 0xFF) {
    c.FamilyCode = 0x10;
    c.ChipSubCode = 0;
    c.FlashSizeKB = 32;
  } else if (c.FamilyCode == 0x2C) {
    c.FamilyCode = 0x20;
  } else if (c.FamilyCode == 0x24) {
    c.FamilyCode = 0x08;
  }

  switch (c.FamilyCode) {
    case 0x10:
      c.Needs18V = At(name, 9) == '8';
      c.OptionByteAddr = 0x1FFFF800;
      c.SectorMapCode = 0;
      c.VariantFlag = false;
      c.EepSize = 0;
      break;
    case 0x20:
      c.VariantFlag = false;
      c.EepSize = L1EepSize(name, c.OptionByteAddr);
      c.EepBase = 0x08080000;
      break;
    case 0x28:
      c.VariantFlag = true;
      c.EepSize = L0EepSize(name, c.OptionByteAddr);
      c.EepBase = 0x08080000;
      break;
    case 0x08:
      c.HasOtp = true;
      c.SectorMapCode = 1;
      c.FlashVariantCode = c.FlashSizeKB > 520 ? 48 : 16;
      c.EepSize = 1024;
      c.EepBase = 0x1FFF7000;
      c.VariantFlag = true;
      break;
    case 0x40:
      c.HasOtp = true;
      c.SectorMapCode = 0;
      c.EepSize = 528;
      c.EepBase = 0x1FFF7800;
      c.DualBank = false;
      c.OptionByteAddr = 0x1FFFC000;
      c.VariantFlag = false;
      break;
    case 0x60:
      c.SectorMapCode = 0;
      c.OptionByteAddr = 0x1FFFC000;
      c.EepSize = 528;
      c.EepBase = 0x1FFF7800;
      c.HasOtp = true;
      if (Starts(name, "STM32F401") || Starts(name, "STM32F410") || Starts(name, "STM32F412") ||
          Starts(name, "STM32F413")) {
        c.SectorMapCode = 1;
      } else if (PrefixNotBelow(name, "STM32F44")) {
        c.SectorMapCode = 1;
      } else if (Starts(name, "STM32F423")) {
        c.SectorMapCode = 1;
      } else if (PrefixNotBelow(name, "STM32F42")) {
        c.SectorMapCode = 5;
        c.ChipSubCode = 0x20;
        c.DualBank = true;
      }
      c.VariantFlag = (c.SectorMapCode & 1) != 0;
      break;
    case 0x70:
    case 0x72:
      c.OptionByteAddr = 0x1FFF7800;
      c.EepSize = 1024;
      c.EepBase = 0x1FFF7000;
      c.HasOtp = true;
      if (c.FamilyCode == 0x70 && At(name, 9) == '1') c.FamilyCode = 0x71;
      if (c.FamilyCode == 0x70) {
        c.SectorMapCode = 0;
        c.FlashVariantCode = 2;
      } else if (c.FamilyCode == 0x71) {
        c.SectorMapCode = 1;
        c.FlashVariantCode = 2;
      } else {
        c.SectorMapCode = 1;
        c.FlashVariantCode = c.FlashSizeKB < 151 ? 10 : 42;
      }
      c.VariantFlag = (c.SectorMapCode & 1) != 0;
      break;
    default:
      c.EepSize = 0;
      c.SectorMapCode = 0;
      c.VariantFlag = false;
      break;
  }

  if (Starts(name, "STM32L158V")) {
    c.EepSize = 4096;
    c.FlashSizeKB = 128;
  } else if (c.FamilyCode >= 0xB8) {
    c.FlashVariantCode = 1;
    c.BlueNrgMode = true;
  }

  c.BlockSize = 1024;
  c.FlashBlocks = c.FlashSizeKB;
  c.EepEnd = c.EepBase + c.EepSize - 1;
  c.FlashBase = 0x08000000;
  c.FlashEnd = c.FlashSizeKB * 1024u + 0x07FFFFFF;
}

void ApplyBlueNrgLayout(ChipInfo& c, std::span<uint8_t> optionBuffer) {
  std::fill(optionBuffer.begin(), optionBuffer.end(), uint8_t{0xFF});
  c.HasOtp = false;
  c.EepSize = 0;
  c.BlockSize = 2048;
  c.FlashBlocks = c.FlashSizeKB / 2;
  const std::string_view n = c.ChipName;
  if (Starts(n, "LSM6DB0")) {
    c.FlashBase = 0x10010000;
    c.FlashEnd = 0x1001FFFF;
    c.EepBase = 0x10020000;
    c.EepEnd = 0x10020FFF;
    c.FlashVariantCode = 1;
  } else if (IsBlueNrg1(n) || IsBlueNrg2(n)) {
    c.FlashBase = 0x10040000;
    c.FlashEnd = IsBlueNrg1(n) ? 0x10067FFF : 0x1007FFFF;
    c.EepBase = 0;
    c.EepEnd = 0;
    c.FlashVariantCode = 5;
  } else if (IsBlueNrg3(n)) {
    c.FlashBase = 0x10040000;
    c.FlashEnd = 0x1007FFFF;
    c.HasOtp = true;
    c.EepSize = 1024;
    c.EepBase = 0x10001800;
    c.EepEnd = 0x10001BFF;
    c.FlashVariantCode = 5;
  }
}

uint8_t ChipModeBits(const ChipInfo& chip, bool stm32) {
  if (stm32) return 0;
  const uint8_t code = chip.FamilyCode;
  if (code < 0xD0) return 0x0C;
  if (code == 0xD0 || code == 0xD3 || code == 0xD6) return 0x08;
  return 0;
}

}  // namespace korvel
