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

#include "serial/ConnectionSettings.h"

namespace korvel {

namespace fs = std::filesystem;

namespace {

std::string Reason(const std::string& path, int error) { return path + ": " + std::strerror(error); }

// Through a temporary name, synced before the rename so that a power cut
// leaves either file, never an empty one.
std::optional<std::string> ReplaceFile(const fs::path& path, const std::string& bytes) {
  const std::string temp = path.string() + ".tmp" + std::to_string(::getpid());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return Reason(temp, errno);
  size_t done = 0;
  int error = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    done += static_cast<size_t>(n);
  }
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && std::rename(temp.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    std::remove(temp.c_str());
    return Reason(path.string(), error);
  }
  // The rename itself is only durable once the folder is.
  const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return std::nullopt;
}

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
    if (auto error = ReplaceFile(backup, old.str())) {
      r.Error = *error;
      return r;
    }
    r.Backup = backup.string();
  }
  if (auto error = ReplaceFile(file, text)) r.Error = *error;
  return r;
}

}  // namespace korvel
