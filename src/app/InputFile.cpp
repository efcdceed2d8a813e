#include "app/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace korvel {

namespace {

// Why st does not describe a file we read, or nothing when it does.
const char* Refusal(const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return "is a directory, not a file";
  if (!S_ISREG(st.st_mode)) return "not a regular file";
  if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > kMaxInputFileSize)
    return "larger than 64 MB";
  return nullptr;
}

}  // namespace

int OpenInputFile(const std::string& path, size_t& size, std::string& error) {
  // The name is looked at before it is opened: opening a serial device
  // alone can reset what hangs on it.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    error = path + ": " + std::strerror(errno);
    return -1;
  }
  if (const char* why = Refusal(st)) {
    error = path + ": " + why;
    return -1;
  }
  // The name may have been replaced meanwhile, so what was opened is
  // checked again; O_NONBLOCK keeps a FIFO put there from holding us.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = path + ": " + std::strerror(errno);
    return -1;
  }
  if (::fstat(fd, &st) != 0) {
    error = path + ": " + std::strerror(errno);
    ::close(fd);
    return -1;
  }
  if (const char* why = Refusal(st)) {
    error = path + ": " + why;
    ::close(fd);
    return -1;
  }
  size = static_cast<size_t>(st.st_size);
  return fd;
}

namespace {

std::string Reason(const std::string& path) { return path + ": " + std::strerror(errno); }

}  // namespace

bool ReadFileBytes(const std::string& path, std::string& out, std::string& error) {
  size_t size = 0;
  const int fd = OpenInputFile(path, size, error);
  if (fd < 0) return false;
  out.clear();
  out.resize(size);
  // The size was taken when the file was opened; a file that grows while
  // it is read is read as it was then, one that shrinks as far as it goes.
  size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd, out.data() + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = Reason(path);
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  out.resize(got);
  ::close(fd);
  return true;
}

}  // namespace korvel
