#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace korvel {

// Integer text as the operator types it: decimal, or hexadecimal with a
// "0x"/"0X" or "$" prefix, either letter case; blanks around are ignored.
// Values past 32 bits are refused, as the original's conversion does.
std::optional<int64_t> ParseInteger(const std::string& text);

// A 32-bit pattern such as a serial number: what ParseInteger takes, and
// also decimal text up to 4294967295, so that a number the program showed
// as "%u" reads back.
std::optional<uint32_t> ParseUnsigned32(const std::string& text);

// The conversion error shown when a field is not a number.
std::string NotAnIntegerMessage(const std::string& text);

}  // namespace korvel
