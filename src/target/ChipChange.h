#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "app/InfoLog.h"
#include "app/JobSettings.h"
#include "app/MainControls.h"
#include "app/OperatorPrompts.h"
#include "target/ChipInfo.h"
#include "target/ChipSelect.h"

namespace korvel {

// What the chip change asks of the buffers, the hex views and the
// option-byte model; each hook may be empty.
struct ChipChangeHooks {
  std::function<void()> ClearFlashView;     // HexViewer down to one row
  std::function<void()> RebuildDataView;    // EEPDataView in the new chip's shape
  std::function<void()> SetupHexGrids;      // column widths and header rows
  std::function<void()> ResetOptionBuffer;  // the family's option-byte default
  std::function<void(uint32_t low, uint32_t high)> SetLoadRange;  // LoadLow, LoadHigh
};

// Everything the main window's chip change reads and writes.
struct ChipChangeContext {
  ChipInfo& Chip;
  JobFlags& Flags;
  JobSettings& Settings;
  MainControls& Controls;
  InfoLog& Log;
  OperatorPrompts& Prompts;
  std::span<uint8_t> OptionBytes;  // the job's 128 option bytes
  ChipChangeHooks Hooks;
};

// RadioGpVolt items.
inline constexpr int kVolt33 = 0;
inline constexpr int kVolt50 = 1;
inline constexpr int kVolt18 = 2;

inline constexpr const char* kAdapterNotice = "注意 ：此系列需要配1.8V 转接板！";
inline constexpr const char* kNo18VNotice = "Current Programmer do not Support 1.8V!";

// MCUNameEdit := name. The window adapts only when the text changes, so
// confirming the same chip again does nothing. Returns whether it adapted.
bool SetMCUNameEdit(ChipChangeContext& ctx, const std::string& name);

// The change handler of MCUNameEdit: adapts menus, tabs, captions, labels
// and the voltage group to the descriptor already in ctx.Chip.
void OnChipNameChanged(ChipChangeContext& ctx);

// DevButton's dialog closed with OK: confirm, set the name, then the labels.
// The chip already confirmed, confirmed again, keeps its descriptor.
void ApplyChipDialogOk(ChipChangeContext& ctx, const ChipSelectModel& dialog);

// RadioGpVolt click: the choice stays even when the programmer lacks 1.8 V.
void OnVoltageChosen(MainControls& controls, const JobFlags& flags, OperatorPrompts& prompts,
                     int itemIndex);

}  // namespace korvel
