#include "engine/OfflineConfig.h"

namespace korvel {

const char* const OfflineConfigForm::kStepNames[7] = {"ChkBoxBLK",  "ChkBoxERS",  "ChkBoxMPG", "ChkBoxEPG",
                                                      "ChkBoxMVFY", "ChkBoxEVFY", "ChkBoxOPG"};

OfflineConfigForm::OfflineConfigForm() {
  const char* captions[7] = {"Enable Chip Blank Check",
                             "Enable Chip Erase",
                             "Enable Main Flash Programming",
                             "Enable EEP Data Programming",
                             "Enable Do Main Flash Verification",
                             "Enable Do EEP Data Verification",
                             "Enable Program Option Byte"};
  for (size_t i = 0; i < Steps.size(); ++i) Steps[i] = CheckBoxState{captions[i], true, true, true};
  ChkBoxROP = CheckBoxState{"Only Check Read Out Protection", false, true, true};
}

void OfflineConfigForm::Show(const JobSettings& s) {
  for (size_t i = 0; i < Steps.size(); ++i) Steps[i].Checked = (s.OptionFlags & (1u << i)) == 0;
  ChkBoxROP.Checked = (s.PowerFlags & kPowerOnlyCheckRdp) != 0;
  // Greyed as the last click on ChkBoxROP left them: with it ticked the
  // boxes would change nothing.
  for (CheckBoxState& b : Steps) b.Enabled = !ChkBoxROP.Checked;
}

void OfflineConfigForm::ClickRop(bool ticked) {
  ChkBoxROP.Checked = ticked;
  for (CheckBoxState& b : Steps) {
    b.Checked = !ticked;
    b.Enabled = !ticked;
  }
}

void OfflineConfigForm::Ok(JobSettings& s, MainControls& main) const {
  if (ChkBoxROP.Checked) {
    s.PowerFlags |= kPowerOnlyCheckRdp;
    s.OptionFlags = 0xFF;
  } else {
    s.PowerFlags &= static_cast<uint8_t>(~kPowerOnlyCheckRdp);
    s.OptionFlags = 0;
    for (size_t i = 0; i < Steps.size(); ++i)
      if (!Steps[i].Checked) s.OptionFlags |= static_cast<uint8_t>(1u << i);
  }
  main.ChkBoxIgnOptB.Checked = (s.OptionFlags & kOptionSkipOptionBytes) != 0;
  main.Changed();
}

void ApplyOfflineSteps(const OfflineSteps& steps, JobSettings& s, MainControls& main) {
  OfflineConfigForm form;
  form.Show(s);
  form.ClickRop(steps.RopOnly);
  if (!steps.RopOnly)
    for (size_t i = 0; i < form.Steps.size(); ++i) form.Steps[i].Checked = (steps.Skip & (1u << i)) == 0;
  form.Ok(s, main);
}

}  // namespace korvel
