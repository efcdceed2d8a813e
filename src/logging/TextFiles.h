#pragma once
#include <optional>
#include <string>
#include <vector>

namespace korvel {

// Writes lines with CR LF ends to path through a temporary file that is
// renamed over it, so a failed write never destroys the previous file.
// Returns the reason on failure.
std::optional<std::string> ReplaceTextFile(const std::string& path,
                                           const std::vector<std::string>& lines);

// Appends lines with CR LF ends to path, creating it when missing.
std::optional<std::string> AppendTextFile(const std::string& path,
                                          const std::vector<std::string>& lines);

// Lines of a text file without their line ends (LF or CR LF); nullopt when
// it cannot be read.
std::optional<std::vector<std::string>> ReadTextLines(const std::string& path);

}  // namespace korvel
