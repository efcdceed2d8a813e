#pragma once
// Shared pieces of the fuzz targets: a reader that takes typed values off
// the front of the input, a scratch file for readers that want a path, and
// the check that turns a failed differential into a crash the fuzzer keeps.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <span>
#include <string>
#include <string_view>

namespace korvel::fuzz {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint16_t U16() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }
  uint32_t U32() { return static_cast<uint32_t>(U16() | (uint32_t{U16()} << 16)); }
  // Up to max bytes.
  std::span<const uint8_t> Take(size_t max) {
    const size_t n = std::min(max, size_ - pos_);
    std::span<const uint8_t> s(data_ + pos_, n);
    pos_ += n;
    return s;
  }
  std::span<const uint8_t> Rest() { return Take(size_ - pos_); }
  bool Empty() const { return pos_ >= size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

inline std::string_view Text(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// One file per process, so parallel fuzzing jobs do not share it.
inline std::string ScratchFile(const std::string& name, std::string_view bytes) {
  static const std::string dir = [] {
    std::string d = "/tmp/korvel-fuzz-" + std::to_string(getpid());
    std::string cmd = "mkdir -p '" + d + "'";
    if (std::system(cmd.c_str()) != 0) std::abort();
    return d;
  }();
  const std::string path = dir + "/" + name;
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

// A differential that does not hold is a finding: abort so that the fuzzer
// saves the input and the replay test fails.
#define FUZZ_CHECK(cond)                                                              \
  do {                                                                                \
    if (!(cond)) {                                                                    \
      std::fprintf(stderr, "check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
      std::abort();                                                                   \
    }                                                                                 \
  } while (0)

}  // namespace korvel::fuzz
