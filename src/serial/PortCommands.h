#pragma once
#include <iosfwd>
#include <optional>
#include <string>

#include "app/CommandLine.h"
#include "serial/PortListing.h"

namespace korvel {

// --list-ports and --write-config: they need no window, no display and no
// unit, and end the program. startFolder is where the settings file is
// read from and written to. Returns the exit status, or nullopt when the
// command line asks for neither.
std::optional<int> RunPortCommand(const CommandLine& cmd, const PortSystem& sys, const std::string& startFolder,
                                  const std::string& program, std::ostream& out, std::ostream& err);

}  // namespace korvel
