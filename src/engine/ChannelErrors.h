#pragma once
#include <cstdint>
#include <string>

#include "app/AppState.h"
#include "app/OperatorPrompts.h"

namespace korvel {

// The channel line for a programmer or host status code; codes outside the
// table get the generic failure line with the code in decimal and hex.
std::string ChannelErrorText(uint8_t status);

// Ends the channel's operation for status and writes its line: "操作成功！"
// with a beep for 0 and 6, the table's text otherwise (red gauge).
void ReportChannelError(AppState& app, OperatorPrompts& prompts, int channel, uint8_t status);

}  // namespace korvel
