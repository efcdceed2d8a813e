#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace korvel {

// The steps a unit runs on each chip while it programs alone. OptionFlags
// holds one "skip" bit per step; PowerFlags bit 7 with OptionFlags 0xFF
// means the unit only checks the read-out protection.
inline constexpr uint8_t kSkipBlankCheck = 0x01;
inline constexpr uint8_t kSkipErase = 0x02;
inline constexpr uint8_t kSkipProgramFlash = 0x04;
inline constexpr uint8_t kSkipProgramEep = 0x08;
inline constexpr uint8_t kSkipVerifyFlash = 0x10;
inline constexpr uint8_t kSkipVerifyEep = 0x20;
inline constexpr uint8_t kSkipOptionBytes = 0x40;
inline constexpr uint8_t kSkipAllSteps = 0x7F;

// A choice of steps as the command line gives it.
struct OfflineSteps {
  uint8_t Skip = 0;  // the steps left out
  bool RopOnly = false;
  bool operator==(const OfflineSteps&) const = default;
};

// "blank,erase,program,verify,options", any subset in any order, or
// "rop-only" alone. "program" and "verify" take in the EEP data;
// "program-flash", "program-eep", "verify-flash" and "verify-eep" name one
// memory. A step not named is skipped. nullopt (and error set) for a name
// that is none of these, an empty list, or rop-only with other names.
std::optional<OfflineSteps> ParseOfflineSteps(const std::string& text, std::string& error);

}  // namespace korvel
