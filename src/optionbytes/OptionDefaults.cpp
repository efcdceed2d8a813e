#include "optionbytes/OptionDefaults.h"

#include <string_view>

namespace korvel {

namespace {

// A run of bytes of a default table, as hexadecimal text from an offset.
struct TableRun {
  uint8_t Offset;
  const char* Hex;
};

// Defaults copied over a zeroed buffer; bytes not listed are 0x00.
constexpr TableRun kL4[] = {
    {0x00, "AA F8 FF FF FF FF FF FF 00 00 FF FF FF FF 00 FF"},
    {0x10, "FF FF 00 FF FF FF FF FF 00 00 FF FF FF FF 00 00"},
    {0x20, "FF FF"}};
constexpr TableRun kG4Large[] = {
    {0x00, "AA F8 EF FB FF FF FF FF 00 C0 FF FF FF FF C0 FF"}, {0x10, "FF FF C0 FF"},
    {0x24, "FF FF FF FF 00 80 FF FF FF FF 80 FF"},             {0x30, "FF FF 80 FF"},
    {0x50, "00 FF FE FF 00 FF FF FF"},                         {0x60, "09 68 00 00 EF 02"}};
constexpr TableRun kG4Small[] = {
    {0x00, "AA F8 EF FF FF FF FF FF 00 C0 FF FF FF FF C0 FF"}, {0x10, "FF FF C0 FF"},
    {0x24, "FF FF FF FF FF FF FF FF FF FF C0 FF"},             {0x30, "FF FF C0 FF"},
    {0x50, "80 FF FE FF C0 FF FF FF"},                         {0x60, "0A 68 00 00 0E 03"}};
constexpr TableRun kG0x0[] = {
    {0x00, "AA E1 FF DF FF"}, {0x0C, "1F"}, {0x10, "1F"}, {0x14, "FF"}, {0x1C, "FF FF FF FF"}};
constexpr TableRun kG0x1[] = {
    {0x00, "AA FE FF FF 7F"}, {0x0C, "1F"}, {0x10, "1F"}, {0x14, "7F"}, {0x1C, "FF FF FF FF"}};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

template <std::size_t N>
void CopyTable(OptionBuffer& b, const TableRun (&runs)[N]) {
  b.fill(0x00);
  for (const auto& run : runs) {
    std::size_t at = run.Offset;
    std::string_view hex = run.Hex;
    for (std::size_t i = 0; i + 1 < hex.size() && at < b.size(); i += 3)
      b[at++] = static_cast<uint8_t>(HexValue(hex[i]) << 4 | HexValue(hex[i + 1]));
  }
}

// Each of the seven halfword pairs after RDP: value 0xFF, complement 0x00.
void ClearOddBytes(OptionBuffer& b) {
  for (std::size_t o = 3; o <= 15; o += 2) b[o] = 0x00;
}

void Stm8Default(OptionBuffer& b, const ChipInfo& chip) {
  b.fill(0x00);
  if (chip.FamilyCode < 0xE0) {
    b[24] = 0xC7;
    FillComplements(b, ComplementRule::Stm8);
  } else {
    b[0] = 0xAA;
    if (chip.FamilyCode != 0xE0) b[10] = 0x01;
  }
}

void F2F4Default(OptionBuffer& b, const ChipInfo& chip) {
  b[0] = 0xEF;
  b[3] = chip.DualBank ? 0x0F : chip.VariantFlag ? 0x3F : 0xFF;
  b[1] = 0xAA;
  b[2] = 0xFF;
  b[4] = 0x00;
  b[5] = 0x00;
  b[6] = 0xFF;
  b[7] = 0x0F;
  if (chip.FlashSizeKB <= 512) b[3] &= 0x3F;
  const std::string_view name = chip.ChipName;
  if (name.starts_with("STM32F413") || name.starts_with("STM32F423")) {
    b[6] = 0x00;
    b[7] = 0x00;
  }
}

void LxDefault(OptionBuffer& b, const ChipInfo& chip) {
  b[0] = 0xAA;
  b[1] = 0x00;
  b[2] = 0x55;
  b[3] = 0xFF;
  b[4] = (chip.FamilyCode == 0x20 && chip.FlashSizeKB >= 384) ? 0xF8 : 0x78;
  b[5] = 0x00;
  b[6] = static_cast<uint8_t>(~b[4]);
  b[7] = 0xFF;
  for (std::size_t w = 8; w <= 36; w += 4) {
    b[w] = 0x00;
    b[w + 1] = 0x00;
  }
}

}  // namespace

void ResetOptionBuffer(OptionBuffer& b, const ChipInfo& chip, bool stm32) {
  if (!stm32) {
    Stm8Default(b, chip);
    return;
  }
  b.fill(0xFF);
  const uint8_t code = chip.FamilyCode;
  if (code == 0x08) {
    CopyTable(b, kL4);
  } else if (code == 0x00 || code == 0x10) {
    b[0] = code == 0x00 ? 0xA5 : 0xAA;
    b[1] = static_cast<uint8_t>(~b[0]);
    ClearOddBytes(b);
  } else if (code == 0x20 || code == 0x28) {
    LxDefault(b, chip);
  } else if (code == 0x30) {
    b[0] = 0xA5;
    b[1] = 0x5A;
    ClearOddBytes(b);
  } else if (code == 0x50) {
    b[0] = 0xAA;
    b[1] = 0x55;
    ClearOddBytes(b);
  } else if (code >= 0x70 && code <= 0x7F) {
    if (code == 0x72)
      chip.FlashSizeKB >= 150 ? CopyTable(b, kG4Large) : CopyTable(b, kG4Small);
    else if (code == 0x70)
      CopyTable(b, kG0x0);
    else
      CopyTable(b, kG0x1);
  } else {
    F2F4Default(b, chip);
  }
}

void FillComplements(OptionBuffer& b, ComplementRule rule) {
  auto inv = [](uint8_t v) { return static_cast<uint8_t>(~v); };
  switch (rule) {
    case ComplementRule::Stm8:
      for (std::size_t o = 1; o <= 13; o += 2) b[o + 1] = inv(b[o]);
      b[127] = inv(b[126]);
      break;
    case ComplementRule::BytePairs:
      for (std::size_t o = 0; o <= 14; o += 2) b[o + 1] = inv(b[o]);
      break;
    case ComplementRule::WordHalves8:
    case ComplementRule::WordHalves10: {
      const std::size_t last = rule == ComplementRule::WordHalves8 ? 28 : 36;
      for (std::size_t o = 0; o <= last; o += 4) {
        b[o + 2] = inv(b[o]);
        b[o + 3] = inv(b[o + 1]);
      }
      break;
    }
    case ComplementRule::None:
      break;
  }
}

void FillComplements(OptionBuffer& b, const ChipInfo& chip, bool stm32) {
  FillComplements(b, OptionFamilyOf(chip, stm32).Complements);
}

OptionBuffer DefaultTableImage(DefaultTableKind kind) {
  OptionBuffer b{};
  switch (kind) {
    case DefaultTableKind::L4: CopyTable(b, kL4); break;
    case DefaultTableKind::G0x0: CopyTable(b, kG0x0); break;
    case DefaultTableKind::G0x1: CopyTable(b, kG0x1); break;
    case DefaultTableKind::G4Small: CopyTable(b, kG4Small); break;
    case DefaultTableKind::G4Large: CopyTable(b, kG4Large); break;
  }
  return b;
}

}  // namespace korvel
