#include "target/ChipListing.h"

#include <array>
#include <cstdio>

#include "target/ChipRules.h"
#include "target/ChipSelect.h"
#include "target/ChipSeries.h"

namespace korvel {

namespace {

const char* const kColumns[] = {
    "series",       "index",         "name",           "FamilyCode",       "ChipSubCode",
    "FlashSizeKB",  "FlashBase",     "FlashEnd",       "EepKind",          "EepSize",
    "EepBase",      "EepEnd",        "OptionByteAddr", "HasOtp",           "SectorMapCode",
    "FlashVariantCode", "VariantFlag", "DualBank",     "Needs18V",         "BlueNrgMode"};

}  // namespace

std::string ChipListingHeader() {
  std::string s;
  for (const char* c : kColumns) {
    if (!s.empty()) s += '\t';
    s += c;
  }
  return s;
}

ChipInfo FreshConfirmation(bool stm32, int series, int index) {
  ChipInfo c;
  c.BlockSize = 0;
  c.FlashBlocks = 0;
  const auto name = SeriesOf(stm32)[static_cast<std::size_t>(series)]
                        .ChipNames()[static_cast<std::size_t>(index)];
  ConfirmChip(c, stm32, series, index, name);
  if (stm32 && c.BlueNrgMode) {
    std::array<uint8_t, 128> scratch{};
    ApplyBlueNrgLayout(c, scratch);
  }
  return c;
}

const char* EepKind(const ChipInfo& c) {
  if (c.EepSize == 0) return "none";
  return c.HasOtp ? "otp" : "eeprom";
}

std::vector<std::string> ChipListingLines() {
  std::vector<std::string> lines;
  for (bool stm32 : {false, true}) {
    const auto series = SeriesOf(stm32);
    for (std::size_t s = 0; s < series.size(); ++s) {
      const auto names = series[s].ChipNames();
      for (std::size_t i = 0; i < names.size(); ++i) {
        const ChipInfo c = FreshConfirmation(stm32, static_cast<int>(s), static_cast<int>(i));
        char buf[320];
        std::snprintf(buf, sizeof buf,
                      "%s\t%zu\t%s\t0x%02x\t0x%02x\t%u\t0x%08x\t0x%08x\t%s\t%u\t0x%08x\t0x%08x\t"
                      "0x%08x\t%d\t0x%02x\t0x%02x\t%d\t%d\t%d\t%d",
                      series[s].Name, i, c.ChipName.c_str(), c.FamilyCode, c.ChipSubCode,
                      unsigned{c.FlashSizeKB}, c.FlashBase, c.FlashEnd, EepKind(c),
                      unsigned{c.EepSize}, c.EepBase, c.EepEnd, c.OptionByteAddr, c.HasOtp ? 1 : 0,
                      c.SectorMapCode, c.FlashVariantCode, c.VariantFlag ? 1 : 0,
                      c.DualBank ? 1 : 0, c.Needs18V ? 1 : 0, c.BlueNrgMode ? 1 : 0);
        lines.emplace_back(buf);
      }
    }
  }
  return lines;
}

}  // namespace korvel
