#pragma once
#include "app/CommonMessages.h"
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "app/AppState.h"
#include "app/OperatorPrompts.h"
#include "target/ChipInfo.h"
#include "target/MemoryBuffers.h"

namespace korvel {

// What the window does when the images change; any hook may be empty.
struct ImageViewHooks {
  std::function<void()> FlashViewChanged;
  std::function<void()> DataViewChanged;
  std::function<void()> ShowFlashTab;
  // A few bytes of the main buffer changed (a serial number, fixed data):
  // the grid rows showing main-buffer indices first..last are redrawn.
  std::function<void(uint32_t first, uint32_t last)> MainBytesChanged;
  // ProductEdit shows the loaded file's name without its folder.
  std::function<void(const std::string&)> ProductNameChanged;
};

// Everything the load, save and check-value commands work on. The option
// buffer is the job's 128-byte option-byte image, owned elsewhere.
struct ImageJob {
  AppState& App;
  ChipInfo& Chip;
  MemoryBuffers& Buffers;
  std::span<uint8_t> OptionBuffer;
  OperatorPrompts& Prompts;
  // The BIN offset dialog (TFormOfsAddr): shown with the initial text,
  // returns the text on OK, nullopt when closed otherwise.
  std::function<std::optional<std::string>(const std::string& initial)> AskBinOffset;
  ImageViewHooks Views;
};

inline constexpr const char* kChecksumSeparator = "...........................................";

}  // namespace korvel
