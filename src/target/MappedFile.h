#pragma once
#include <string>
#include <string_view>

namespace korvel {

// A whole file mapped read-only, so large record files are parsed where the
// page cache holds them, without copying them into a buffer first.
class MappedFile {
 public:
  MappedFile() = default;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  // Regular files only (see OpenInputFile); false with the reason in error.
  // An empty file opens with no bytes.
  bool Open(const std::string& path, std::string& error);
  std::string_view Bytes() const { return {data_, size_}; }

 private:
  const char* data_ = nullptr;
  size_t size_ = 0;
  bool mapped_ = false;
  std::string fallback_;  // files that cannot be mapped are read
};

}  // namespace korvel
