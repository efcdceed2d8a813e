#pragma once
#include <cstdint>
#include <random>
#include <vector>

namespace korvel {

// The random bytes of requests and job headers; the programmers only need
// them to differ, tests need them fixed.
struct RandomSource {
  virtual ~RandomSource() = default;
  virtual uint32_t Next() = 0;

  // 0..254, the range of the configuration block's random byte.
  uint8_t RequestByte() { return static_cast<uint8_t>(Next() % 255); }
  uint8_t Byte() { return static_cast<uint8_t>(Next()); }
  uint16_t Word() { return static_cast<uint16_t>(Next()); }
};

class StdRandomSource : public RandomSource {
 public:
  StdRandomSource() : engine_(std::random_device{}()) {}
  explicit StdRandomSource(uint32_t seed) : engine_(seed) {}
  uint32_t Next() override { return static_cast<uint32_t>(engine_()); }

 private:
  std::mt19937 engine_;
};

// Hands out the given values in turn, then starts again; 0 when empty.
class ScriptedRandomSource : public RandomSource {
 public:
  explicit ScriptedRandomSource(std::vector<uint32_t> values) : values_(std::move(values)) {}
  uint32_t Next() override {
    if (values_.empty()) return 0;
    uint32_t v = values_[pos_];
    pos_ = (pos_ + 1) % values_.size();
    return v;
  }

 private:
  std::vector<uint32_t> values_;
  size_t pos_ = 0;
};

}  // namespace korvel
