#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "optionbytes/OptionBuffer.h"
#include "target/ChipSelect.h"

namespace korvel::test {

// A listed chip confirmed from a fresh descriptor.
struct Chip {
  ChipInfo Info;
  bool Stm32 = false;
};

inline Chip Named(const std::string& name) {
  const ChipLocation loc = FindChip(name);
  EXPECT_TRUE(loc.Found()) << name;
  Chip c;
  c.Stm32 = loc.Stm32;
  ConfirmChip(c.Info, loc.Stm32, loc.Series, loc.Index, name);
  return c;
}

// A buffer of one fill value with runs of bytes written as hex text.
struct Run {
  std::size_t Offset;
  const char* Hex;
};
inline OptionBuffer Expected(uint8_t fill, std::initializer_list<Run> runs) {
  OptionBuffer b;
  b.fill(fill);
  for (const Run& r : runs) {
    std::string_view h = r.Hex;
    std::size_t at = r.Offset;
    for (std::size_t i = 0; i + 1 < h.size(); i += 3)
      b[at++] = static_cast<uint8_t>(std::stoi(std::string(h.substr(i, 2)), nullptr, 16));
  }
  return b;
}

inline std::string Hex(const OptionBuffer& b) {
  std::string s;
  char t[4];
  for (uint8_t v : b) {
    std::snprintf(t, sizeof t, "%02X ", v);
    s += t;
  }
  return s;
}

// A scratch directory for files a test writes.
class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/korvel-opt-XXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  std::string File(const std::string& name, std::string_view bytes) const {
    const std::string p = path_ + "/" + name;
    std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
  }
  std::string Path(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace korvel::test
