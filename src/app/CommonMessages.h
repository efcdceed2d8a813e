#pragma once

namespace korvel {

// Operator messages that several commands share.
inline constexpr const char* kSelectChipFirst = "请先选择芯片型号！";

}  // namespace korvel
