// Option-byte files (.HEX, .S19, .BIN, .FRB) loaded for a chosen chip.
#include "FuzzChips.h"
#include "FuzzSupport.h"
#include "app/Clock.h"
#include "app/InfoLog.h"
#include "optionbytes/OptionFile.h"

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FixedClock clock(MakeTime(2026, 12, 5, 7, 0, 0));
  static constexpr const char* kExtensions[] = {".HEX", ".S19", ".BIN", ".FRB", ".frb", ".hex"};
  fuzz::Input in(data, size);
  const auto chip = fuzz::PickChip(in.Byte());
  const char* extension = kExtensions[in.Byte() % 6];
  const std::string path = fuzz::ScratchFile(std::string("options") + extension, fuzz::Text(in.Rest()));

  OptionBuffer buffer{};
  ResetOptionBuffer(buffer, chip.Info, chip.Stm32);
  JobFlags flags;
  flags.ChipSelected = true;
  flags.Stm32Family = chip.Stm32;
  InfoLog log(clock);
  RecordingPrompts prompts;
  OptionContext ctx{buffer, chip.Info, flags, log, prompts};
  LoadOptionFile(ctx, path);

  OptionBuffer frb{};
  ReadFrbFile(path, frb);
  return 0;
}
