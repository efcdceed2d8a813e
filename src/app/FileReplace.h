#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace korvel {

// Writes bytes to temp, syncs it and renames it over path, then syncs the
// folder: a failed or cut-off save leaves the earlier file whole, never an
// empty or half one. temp is removed on failure. Returns the reason (naming
// temp when it could not be written, path when the rename failed).
std::optional<std::string> ReplaceFileBytes(const std::string& path, std::string_view bytes,
                                            const std::string& temp);

}  // namespace korvel
