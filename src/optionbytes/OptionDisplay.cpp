#include "optionbytes/OptionDisplay.h"

#include <cstdio>
#include <initializer_list>

namespace korvel {

namespace {

constexpr const char* kByteLine = "> Option Byte: ";
constexpr const char* kRawLine = "> Option Buffer: ";

void AddByte(std::string& s, uint8_t v) {
  char t[4];
  std::snprintf(t, sizeof t, "%02x ", v);
  s += t;
}

void AddBytes(std::string& s, const OptionBuffer& b, std::initializer_list<int> offsets) {
  for (int o : offsets) AddByte(s, b[static_cast<std::size_t>(o)]);
}

// A 32-bit little-endian word read as one number: bytes w+3 down to w.
void AddWord(std::string& s, const OptionBuffer& b, int w, bool blank = true) {
  char t[12];
  std::snprintf(t, sizeof t, "%02x%02x%02x%02x", b[w + 3], b[w + 2], b[w + 1], b[w]);
  s += t;
  if (blank) s += ' ';
}

void AddWords(std::string& s, const OptionBuffer& b, std::initializer_list<int> offsets) {
  for (int w : offsets) AddWord(s, b, w);
}

std::string RawLine(const OptionBuffer& b, std::size_t n) {
  std::string s = kRawLine;
  for (std::size_t o = 0; o < n && o < b.size(); ++o) AddByte(s, b[o]);
  return s;
}

}  // namespace

std::vector<std::string> Stm32OptionLines(const OptionBuffer& b, const ChipInfo& chip,
                                          bool stm32) {
  if (!stm32) return {};
  const uint8_t code = chip.FamilyCode;
  const unsigned kb = chip.FlashSizeKB;
  std::string line = kByteLine;
  std::size_t raw = 0;

  if (code == 0x40 || code == 0x60) {
    AddBytes(line, b, {0, 1, 2, 3});
    raw = 8;
    if (chip.DualBank && kb > 512) {
      AddBytes(line, b, {6, 7});
      raw = 12;
    }
  } else if (code == 0x28) {
    AddBytes(line, b, {0, 1, 4, 5, 8, 9});
    raw = 12;
    if (kb > 64) AddBytes(line, b, {12, 13}), raw += 4;
    if (kb > 128) AddBytes(line, b, {16, 17}), raw += 4;
    if (kb > 192) AddBytes(line, b, {20, 21}), raw += 4;
  } else if (code == 0x20) {
    AddBytes(line, b, {0});
    if (chip.VariantFlag) AddBytes(line, b, {1});
    AddBytes(line, b, {4, 5, 8, 9, 12, 13});
    raw = 16;
    if (kb > 128) AddBytes(line, b, {16, 17, 20, 21}), raw += 8;
    if (kb > 256) AddBytes(line, b, {24, 25, 28, 29}), raw += 8;
    if (kb > 384) AddBytes(line, b, {32, 33, 36, 37}), raw += 8;
  } else if (code == 0x08) {
    AddWords(line, b, {0, 4, 8, 12, 16});
    if (kb > 520) AddWords(line, b, {20, 24, 28, 32});
  } else if (code >= 0x70 && code <= 0x7F) {
    if (code == 0x70) {
      AddWords(line, b, {0, 12, 16});
    } else if (code == 0x72 && kb >= 150) {
      AddWords(line, b, {0, 4, 8, 12, 16, 36, 40, 44, 48, 80, 84});
    } else if (code == 0x72) {
      AddWords(line, b, {0, 4, 8, 12, 16});
      AddWord(line, b, 80, false);
    } else {
      AddWords(line, b, {0, 4, 8, 12, 16, 20, 24, 96});
    }
  } else {
    AddBytes(line, b, {0, 2, 4, 6, 8, 10, 12, 14});
    raw = 16;
  }

  std::vector<std::string> out{line};
  if (raw > 0) out.push_back(RawLine(b, raw));
  return out;
}

std::vector<std::string> Stm8OptionLines(const OptionBuffer& b, const ChipInfo& chip,
                                         bool stm32) {
  if (stm32) return {};
  const uint8_t code = chip.FamilyCode;
  std::string line = kByteLine;
  std::size_t raw = 0;
  if (code == 0xE0) {
    AddBytes(line, b, {0, 2, 3, 7, 8});
    raw = 10;
  } else if (code > 0xE0) {
    AddBytes(line, b, {0, 2, 7, 8, 9, 10, 11, 12});
    raw = 14;
  } else if (code < 0xD0) {
    AddBytes(line, b, {0, 1, 3, 5, 7, 9, 11, 13, 16, 17, 18, 19, 20, 21, 22, 23, 24, 126});
    raw = 26;
  } else {
    AddBytes(line, b, {0, 1, 3, 5, 7, 9, 11, 13, 126});
    raw = 15;
  }
  return {line, RawLine(b, raw)};
}

void ShowOptionLines(InfoLog& log, const OptionBuffer& buffer, const ChipInfo& chip, bool stm32) {
  const auto lines =
      stm32 ? Stm32OptionLines(buffer, chip, stm32) : Stm8OptionLines(buffer, chip, stm32);
  for (const auto& l : lines) log.Append(l);
}

void ShowOptionByteCommand(InfoLog& log, const OptionBuffer& buffer, const ChipInfo& chip,
                           bool stm32) {
  if (stm32 && chip.BlueNrgMode) return;
  ShowOptionLines(log, buffer, chip, stm32);
}

}  // namespace korvel
