#include "serial/ConnectionFileWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <unistd.h>

#include "app/FileReplace.h"
#include "serial/ConnectionSettings.h"

namespace korvel {

namespace fs = std::filesystem;

namespace {

std::string Reason(const std::string& path, int error) { return path + ": " + std::strerror(error); }

}  // namespace

std::string ConnectionFileText(const std::vector<std::string>& ports) {
  std::string text =
      "; Written by korvelst --write-config: channel k is the port on DEVk.\n"
      "; The /dev/serial/by-path names follow the USB socket, not the order\n"
      "; in which the ports appeared.\n"
      "[Connection]\n"
      "TOTDEV=" + std::to_string(ports.size()) + "\n";
  for (size_t k = 0; k < ports.size(); ++k) text += "DEV" + std::to_string(k + 1) + "=" + ports[k] + "\n";
  return text;
}

ConnectionFileWrite WriteConnectionFile(const std::string& dir, const std::string& text) {
  const fs::path file = fs::path(dir.empty() ? "." : dir) / kConnectionFile;
  ConnectionFileWrite r;
  r.Path = file.string();
  std::error_code ec;
  if (fs::exists(file, ec)) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      // Unreadable, it cannot be kept either: better not replace it.
      r.Error = Reason(r.Path, errno ? errno : EACCES);
      return r;
    }
    std::stringstream old;
    old << in.rdbuf();
    if (old.str() == text) {
      r.Unchanged = true;
      return r;
    }
    const fs::path backup = file.string() + ".bak";
    if (auto error = ReplaceFileBytes(backup.string(), old.str(), backup.string() + ".tmp" + std::to_string(::getpid()))) {
      r.Error = *error;
      return r;
    }
    r.Backup = backup.string();
  }
  if (auto error = ReplaceFileBytes(file.string(), text, file.string() + ".tmp" + std::to_string(::getpid()))) r.Error = *error;
  return r;
}

}  // namespace korvel
