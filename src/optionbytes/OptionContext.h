#pragma once
#include "app/InfoLog.h"
#include "app/JobSettings.h"
#include "app/OperatorPrompts.h"
#include "optionbytes/OptionBuffer.h"
#include "target/ChipInfo.h"

namespace korvel {

// What the option-byte commands of the main window read and write.
struct OptionContext {
  OptionBuffer& Buffer;
  const ChipInfo& Chip;
  const JobFlags& Flags;
  InfoLog& Log;
  OperatorPrompts& Prompts;
};

}  // namespace korvel
