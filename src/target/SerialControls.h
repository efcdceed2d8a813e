#pragma once
#include <optional>
#include <string>

#include "app/CommandLine.h"
#include "app/JobSettings.h"
#include "app/MainControls.h"
#include "app/OperatorPrompts.h"
#include "target/ChipInfo.h"

namespace korvel {

// What the serial-number group's controls do when clicked or left. Each
// applies the enabling rules and tells the model's listeners.

// CheckBoxSN: the group follows the box; SnMode is 0x0F when ticked, else 0.
void OnCheckBoxSNClick(MainControls& c, JobSettings& s);
// ChkBoxSNDP: SNEdit is read as a number and shown again as "%u" (ticked)
// or "0x%0.8x"; a text that is not a number gets the conversion error and
// stays as it is.
void OnChkBoxSNDPClick(MainControls& c, OperatorPrompts& prompts);
// ChkBoxStrSN: ChkBoxSNDP takes its state (ASCII numbers are decimal).
void OnChkBoxStrSNClick(MainControls& c, OperatorPrompts& prompts);
// AddrEdit is left: with a chip selected, an address outside it gets the
// warning box (OK, Ignore). Returns true when the focus is to go back to
// AddrEdit (OK, or a text that is not a number).
bool OnAddrEditExit(const MainControls& c, const JobFlags& flags, const ChipInfo& chip,
                    OperatorPrompts& prompts);
// ButtonCfgSN: true when TConfigSNForm is to be shown; without a chip and a
// loaded image the warning box instead.
bool OnButtonCfgSNClick(const JobFlags& flags, OperatorPrompts& prompts);

// Sets the serial-number controls as the command line asks (on-line serial
// numbers on). Returns why they cannot be used with the selected chip.
std::optional<std::string> ApplySerialOptions(MainControls& c, JobSettings& s, const ChipInfo& chip,
                                              const SerialOptions& options);

inline constexpr const char* kSnAddressOutsideChip =
    "序列号地址超出了芯片的有效地址空间，请核对清楚并重新设定！";
inline constexpr const char* kSelectChipAndLoadFirst = "请先选择芯片并加载数据文件！";

}  // namespace korvel
