#include "sim/SimTarget.h"

#include <algorithm>

#include "sim/SimChipLayout.h"

namespace korvel {

void SimTarget::FillWithData() {
  for (size_t i = 0; i < Flash.size(); ++i) Flash[i] = static_cast<uint8_t>(i * 7 + 1);
}

bool SimTarget::MainIsBlank(const SimChipLayout& l) const {
  const auto first = Flash.begin() + l.MainOffset;
  return std::all_of(first, first + l.MainSize, [](uint8_t b) { return b == 0xFF; });
}

void SimTarget::Erase(const SimChipLayout& l) {
  std::fill_n(Flash.begin() + l.MainOffset, l.MainSize, uint8_t{0xFF});
  ReadProtected = false;
}

void SimTarget::ProgramMain(const SimChipLayout& l, uint64_t offset, std::span<const uint8_t> data) {
  for (size_t i = 0; i < data.size(); ++i) {
    const uint64_t at = offset + i;
    if (!l.InMain(at)) continue;
    Flash[at] = l.Stm32 ? static_cast<uint8_t>(Flash[at] & data[i]) : data[i];
  }
}

void SimTarget::WriteEeprom(const SimChipLayout& l, uint64_t offset, std::span<const uint8_t> data) {
  if (l.SecondIsOtp) return;
  const uint64_t end = uint64_t{l.SecondOffset} + l.SecondSize;
  for (size_t i = 0; i < data.size(); ++i) {
    const uint64_t at = offset + i;
    if (at >= l.SecondOffset && at < end) Flash[at] = data[i];
  }
}

void SimTarget::ProgramOtp(std::span<const uint8_t> data) {
  const size_t n = std::min(data.size(), Otp.size());
  for (size_t i = 0; i < n; ++i) Otp[i] &= data[i];
}

std::vector<uint8_t> SimTarget::ReadFlash(uint64_t offset, size_t length) const {
  std::vector<uint8_t> out(length, 0xFF);
  for (size_t i = 0; i < length && offset + i < Flash.size(); ++i) out[i] = Flash[offset + i];
  return out;
}

}  // namespace korvel
