#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

// A field as a spreadsheet reads it back: quoted, with its quotes doubled,
// when it holds a comma, a quote, a CR or an LF; as it is otherwise.
std::string CsvField(std::string_view text);

// The fields joined by commas, ended by CR LF.
std::string CsvRow(const std::vector<std::string>& fields);

// Appends row to the file at path in one write, creating the file when
// missing; a file that is new (or empty) gets the header row first. The
// file is never truncated or rewritten, and the row has left the program
// when this returns. Returns the reason when it could not be written.
std::optional<std::string> AppendCsvRow(const std::string& path, const std::vector<std::string>& header,
                                        const std::vector<std::string>& row);

}  // namespace korvel
