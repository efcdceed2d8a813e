#include "target/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "target/ImageFile.h"

namespace korvel {

MappedFile::~MappedFile() {
  if (mapped_) munmap(const_cast<char*>(data_), size_);
}

bool MappedFile::Open(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    // No MAP_POPULATE: filling the page table up front takes the slow path
    // page by page, while faults on first touch map cached pages in batches.
    void* p = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (p != MAP_FAILED) {
      ::close(fd);
      data_ = static_cast<const char*>(p);
      size_ = static_cast<size_t>(st.st_size);
      mapped_ = true;
      return true;
    }
  }
  ::close(fd);
  if (!ReadFileBytes(path, fallback_, error)) return false;
  data_ = fallback_.data();
  size_ = fallback_.size();
  return true;
}

}  // namespace korvel
