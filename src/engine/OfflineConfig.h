#pragma once
#include <array>
#include <string>

#include "app/Controls.h"
#include "app/JobSettings.h"
#include "app/MainControls.h"
#include "app/OfflineSteps.h"

namespace korvel {

// "Off-Line Programming Configure": which steps a unit runs on each chip
// while it programs alone. One box per skip bit of OptionFlags, ticked when
// the step runs, and ChkBoxROP for "only check the read-out protection".
struct OfflineConfigForm {
  OfflineConfigForm();

  std::string Caption = "Off-Line Programming Configure";
  // In bit order: ChkBoxBLK, ChkBoxERS, ChkBoxMPG, ChkBoxEPG, ChkBoxMVFY,
  // ChkBoxEVFY, ChkBoxOPG (bit i of OptionFlags is Steps[i]).
  std::array<CheckBoxState, 7> Steps;
  CheckBoxState ChkBoxROP;

  static const char* const kStepNames[7];

  // Fills the boxes from the job's flags.
  void Show(const JobSettings& s);
  // The operator ticks or unticks ChkBoxROP: the step boxes all follow.
  void ClickRop(bool ticked);
  // OK: the flags from the boxes. The option-byte step is the bit that
  // ChkBoxIgnOptB of the main window writes at every capture; that box is
  // set to match, so the next capture keeps what was chosen here.
  void Ok(JobSettings& s, MainControls& main) const;
};

// --offline-steps: the dialog shown, its boxes set to the steps, and OK.
void ApplyOfflineSteps(const OfflineSteps& steps, JobSettings& s, MainControls& main);

}  // namespace korvel
