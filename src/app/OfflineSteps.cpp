#include "app/OfflineSteps.h"

#include <sstream>

namespace korvel {

namespace {

struct StepName {
  const char* Name;
  uint8_t Bits;  // the skip bits the name clears
};

constexpr StepName kStepNames[] = {
    {"blank", kSkipBlankCheck},
    {"erase", kSkipErase},
    {"program", kSkipProgramFlash | kSkipProgramEep},
    {"program-flash", kSkipProgramFlash},
    {"program-eep", kSkipProgramEep},
    {"verify", kSkipVerifyFlash | kSkipVerifyEep},
    {"verify-flash", kSkipVerifyFlash},
    {"verify-eep", kSkipVerifyEep},
    {"options", kSkipOptionBytes},
};

}  // namespace

std::optional<OfflineSteps> ParseOfflineSteps(const std::string& text, std::string& error) {
  OfflineSteps steps{kSkipAllSteps, false};
  bool any = false;
  std::istringstream in(text);
  for (std::string name; std::getline(in, name, ',');) {
    if (name.empty()) continue;
    if (name == "rop-only") {
      steps.RopOnly = true;
    } else {
      const StepName* found = nullptr;
      for (const StepName& s : kStepNames)
        if (name == s.Name) found = &s;
      if (!found) {
        error = "unknown off-line step \"" + name +
                "\" (blank, erase, program, program-flash, program-eep, verify, verify-flash, "
                "verify-eep, options or rop-only)";
        return std::nullopt;
      }
      steps.Skip &= static_cast<uint8_t>(~found->Bits);
    }
    any = true;
  }
  if (!any) {
    error = "--offline-steps needs at least one step";
    return std::nullopt;
  }
  if (steps.RopOnly && steps.Skip != kSkipAllSteps) {
    error = "rop-only does not go with other off-line steps";
    return std::nullopt;
  }
  if (steps.RopOnly) steps.Skip = 0xFF;
  return steps;
}

}  // namespace korvel
