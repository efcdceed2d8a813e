#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include "app/FileReplace.h"
#include "target/ImageFile.h"

namespace korvel {

namespace {

std::string Reason(const std::string& path) { return path + ": " + std::strerror(errno); }

}  // namespace

namespace {

// Writes all of bytes to fd, retrying short writes; false with errno set.
bool WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

// Replacing a file by truncating it to nothing first (O_TRUNC) or by a
// rename over it makes ext4 and others start writing the file out at once,
// and the next replace waits for that; converting the same file again and
// again took several times longer than the conversion itself. So the bytes
// go over the old ones and the file is cut to their length afterwards. A
// failed write cuts it to what was written, as a truncating open would
// have left it.
bool WriteOver(int fd, std::string_view bytes) {
  struct stat st {};
  const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (!WriteAll(fd, bytes)) {
    const int saved = errno;
    const off_t at = regular ? lseek(fd, 0, SEEK_CUR) : -1;
    // The write's error is the one worth reporting.
    [[maybe_unused]] const int cut = at >= 0 ? ftruncate(fd, at) : 0;
    errno = saved;
    return false;
  }
  return !regular || ftruncate(fd, static_cast<off_t>(bytes.size())) == 0;
}

}  // namespace

WriteResult WriteFileBytes(const std::string& path, std::string_view bytes, ReplaceMode mode) {
  WriteResult r;
  if (mode == ReplaceMode::ViaTemporary) {
    const auto error = ReplaceFileBytes(path, bytes, path + ".part");
    r.Ok = !error;
    if (error) r.Error = *error;
    return r;
  }
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    r.Error = Reason(path);
    return r;
  }
  if (!WriteOver(fd, bytes)) r.Error = Reason(path);
  if (::close(fd) != 0 && r.Error.empty()) r.Error = Reason(path);
  r.Ok = r.Error.empty();
  return r;
}

BinaryLoadResult ReadBinaryFile(const std::string& path, std::span<uint8_t> dest, size_t offset) {
  BinaryLoadResult r;
  std::string bytes;
  if (!ReadFileBytes(path, bytes, r.OpenError)) return r;
  r.Opened = true;
  r.FileSize = bytes.size();
  if (offset < dest.size()) {
    r.Stored = std::min(bytes.size(), dest.size() - offset);
    std::memcpy(dest.data() + offset, bytes.data(), r.Stored);
  }
  return r;
}

WriteResult WriteBinaryFile(const std::string& path, std::span<const uint8_t> buffer,
                            uint32_t first, uint32_t last) {
  std::string_view bytes;
  if (first <= last && first < buffer.size()) {
    size_t end = std::min<size_t>(size_t{last} + 1, buffer.size());
    bytes = std::string_view(reinterpret_cast<const char*>(buffer.data()) + first, end - first);
  }
  return WriteFileBytes(path, bytes);
}

}  // namespace korvel
