#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "target/ChipInfo.h"
#include "target/ChipSeries.h"

namespace korvel {

// Confirms a chip as the chip dialog's OK does: the series' family code and
// the chip's list index go to the rules of the family. Does not touch
// anything but the descriptor.
void ConfirmChip(ChipInfo& chip, bool stm32, int series, int index, std::string_view name);

// The state of the chip dialog while it is open. The Qt dialog mirrors it;
// the dialog keeps its own family choice until OK.
class ChipSelectModel {
 public:
  // On show: the family of the current chip, its first series selected.
  void Show(bool stm32);
  // The family radio buttons: rebuild the series list.
  void SetFamily(bool stm32);
  // ListBoxSeries click: its chips listed, the first one selected.
  void SelectSeries(int index);
  // ListBoxChips click (and the highlighted chip of a double click).
  void SelectChip(int index);
  // The operator types into EditSelChip.
  void SetEditSelChip(std::string text) { editSelChip_ = std::move(text); }

  // OK: confirms the EditSelChip text with the selected series. Returns
  // the family the job now has (the new Stm32Family). A typed name that is
  // in no list is confirmed with the selected series' code all the same.
  bool Confirm(ChipInfo& chip) const;

  bool Stm32() const { return stm32_; }
  int SeriesIndex() const { return series_; }
  int ChipIndex() const { return chip_; }
  const std::string& EditSelChip() const { return editSelChip_; }
  std::vector<std::string> SeriesNames() const;
  std::vector<std::string> ChipNames() const;

 private:
  bool stm32_ = false;
  int series_ = 0;
  int chip_ = 0;
  std::string editSelChip_;
};

}  // namespace korvel
