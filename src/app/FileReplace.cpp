#include "app/FileReplace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace korvel {

namespace {

std::string Reason(const std::string& path, int error) { return path + ": " + std::strerror(error ? error : EIO); }

// 0, or the errno of the failed write.
int WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<size_t>(n);
  }
  return 0;
}

}  // namespace

std::optional<std::string> ReplaceFileBytes(const std::string& path, std::string_view bytes,
                                            const std::string& temp) {
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return Reason(temp, errno);
  int error = WriteAll(fd, bytes);
  // Synced before the rename, so that a power cut cannot leave the new name
  // on a file whose bytes never reached the disk.
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    std::remove(temp.c_str());
    return Reason(temp, error);
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    error = errno;
    std::remove(temp.c_str());
    return Reason(path, error);
  }
  // The rename itself is only durable once the folder is.
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  const std::string folder = parent.empty() ? std::string(".") : parent.string();
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return std::nullopt;
}

}  // namespace korvel
