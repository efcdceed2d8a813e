#include "target/MappedFile.h"

#include <sys/mman.h>
#include <unistd.h>

#include "target/ImageFile.h"
#include "app/InputFile.h"

namespace korvel {

MappedFile::~MappedFile() {
  if (mapped_) munmap(const_cast<char*>(data_), size_);
}

bool MappedFile::Open(const std::string& path, std::string& error) {
  size_t size = 0;
  const int fd = OpenInputFile(path, size, error);
  if (fd < 0) return false;
  if (size > 0) {
    // No MAP_POPULATE: filling the page table up front takes the slow path
    // page by page, while faults on first touch map cached pages in batches.
    void* p = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (p != MAP_FAILED) {
      ::close(fd);
      data_ = static_cast<const char*>(p);
      size_ = size;
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
