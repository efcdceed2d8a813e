#include "engine/ChipAttempt.h"

#include "engine/ChannelRequests.h"

namespace korvel {

std::string OperationOfStep(uint8_t step, bool autoChain) {
  // A download does not clear the chain flag of an earlier Auto.
  if (step == kStepDownload) return "download";
  if (step == kStepFirmware) return "upgrade";
  if (autoChain) return "auto";
  switch (step) {
    case kStepErase: return "erase";
    case kStepBlankCheck: return "blank";
    case kStepProgram: return "program";
    case kStepVerify: return "verify";
    case kStepRead: return "read";
    case kStepChecksum: return "checksum";
    case kStepWriteOptions: return "write-options";
    case kStepReadOptions: return "read-options";
    case kStepUniqueId: return "unique-id";
    case kStepWriteOtp: return "write-otp";
    case kStepVerifyOtp: return "verify-otp";
    default: return "step-" + std::to_string(step);
  }
}

bool TouchesChip(const std::string& operation) { return operation != "download" && operation != "upgrade"; }

}  // namespace korvel
