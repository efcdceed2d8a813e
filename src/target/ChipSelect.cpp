#include "target/ChipSelect.h"

#include "target/ChipRules.h"

namespace korvel {

void ConfirmChip(ChipInfo& chip, bool stm32, int series, int index, std::string_view name) {
  const ChipSeries& row = SeriesOf(stm32)[static_cast<std::size_t>(series)];
  if (stm32)
    ApplyStm32Chip(chip, name, row.FamilyCode, static_cast<uint8_t>(index));
  else
    ApplyStm8Chip(chip, name, row.FamilyCode);
}

void ChipSelectModel::Show(bool stm32) { SetFamily(stm32); }

void ChipSelectModel::SetFamily(bool stm32) {
  stm32_ = stm32;
  SelectSeries(0);
}

void ChipSelectModel::SelectSeries(int index) {
  auto series = SeriesOf(stm32_);
  if (index < 0 || index >= static_cast<int>(series.size())) return;
  series_ = index;
  SelectChip(0);
}

void ChipSelectModel::SelectChip(int index) {
  auto names = SeriesOf(stm32_)[static_cast<std::size_t>(series_)].ChipNames();
  if (index < 0 || index >= static_cast<int>(names.size())) return;
  chip_ = index;
  editSelChip_ = names[static_cast<std::size_t>(index)];
}

bool ChipSelectModel::Confirm(ChipInfo& chip) const {
  ConfirmChip(chip, stm32_, series_, chip_, editSelChip_);
  return stm32_;
}

std::vector<std::string> ChipSelectModel::SeriesNames() const {
  std::vector<std::string> out;
  for (const auto& s : SeriesOf(stm32_)) out.emplace_back(s.Name);
  return out;
}

std::vector<std::string> ChipSelectModel::ChipNames() const {
  std::vector<std::string> out;
  for (const char* n : SeriesOf(stm32_)[static_cast<std::size_t>(series_)].ChipNames())
    out.emplace_back(n);
  return out;
}

}  // namespace korvel
