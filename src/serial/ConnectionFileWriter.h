#pragma once
#include <string>
#include <vector>

namespace korvel {

// The settings file for these ports, channel k on ports[k-1], in the form
// ParseConnectionSettings reads.
std::string ConnectionFileText(const std::vector<std::string>& ports);

struct ConnectionFileWrite {
  std::string Path;
  std::string Error;     // empty on success
  bool Unchanged = false;  // the file already said exactly this
  std::string Backup;    // where the previous file was kept, when there was one
};

// Replaces dir/ConfigTqz.ini with text. The file is written beside its
// final name and renamed over it, so a failure leaves the old one whole;
// a previous file that differs is first copied to ConfigTqz.ini.bak.
ConnectionFileWrite WriteConnectionFile(const std::string& dir, const std::string& text);

}  // namespace korvel
