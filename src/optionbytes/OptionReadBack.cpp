#include "optionbytes/OptionReadBack.h"

#include <algorithm>

namespace korvel {

namespace {

bool IsF2F4(const ChipInfo& c) { return c.FamilyCode == 0x40 || c.FamilyCode == 0x60; }

}  // namespace

std::size_t ReadBackLength(const ChipInfo& c, bool stm32) {
  if (!stm32) return c.FamilyCode < 0xE0 ? 128 : 15;
  if (IsF2F4(c)) return c.DualBank ? 8 : 4;
  switch (c.FamilyCode) {
    case 0x28: return 32;
    case 0x20: return c.FlashSizeKB <= 384 ? 32 : 40;
    case 0x08: return c.FlashSizeKB <= 520 ? 20 : 36;
    default: break;
  }
  if (c.FamilyCode >= 0x70 && c.FamilyCode <= 0x7F) return 112;
  return 15;
}

bool ReplaceWithReadBack(OptionBuffer& b, const ChipInfo& c, bool stm32,
                         std::span<const uint8_t> r) {
  const std::size_t n = ReadBackLength(c, stm32);
  if (r.size() < n) return false;
  if (stm32 && IsF2F4(c)) {
    if (c.DualBank) {
      b[0] = r[0] | 0x02;
      b[1] = r[1];
      b[2] = r[2];
      b[3] = r[3] | 0x30;
      // The second bank's write protection sits in the upper half of the
      // second option word, where the defaults, the editor and the printed
      // lines keep it: offsets 6 and 7, not 4 and 5.
      b[6] = r[6];
      b[7] = r[7] | 0xF0;
    } else {
      std::copy_n(r.begin(), 4, b.begin());
    }
    b[8] = r[2];
    b[9] = r[3];
    return true;
  }
  std::copy_n(r.begin(), n, b.begin());
  return true;
}

}  // namespace korvel
