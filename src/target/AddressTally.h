#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvel {

// Counts the bytes a load brought in by where they lie: each byte counts
// once, in the first of the windows (in the order added) that holds it.
// The load commands ask it whether a file touches the chip at all and
// whether any of it lies beyond the chip.
class AddressTally {
 public:
  // An inclusive address window; returns its number. A window added with
  // last < first holds nothing.
  size_t AddWindow(uint32_t first, uint32_t last);
  // The bytes first..last (inclusive; 64 bits so a range cannot wrap).
  void Count(uint64_t first, uint64_t last) { Count(first, last, 0); }
  uint64_t Bytes(size_t window) const { return bytes_[window]; }

 private:
  void Count(uint64_t first, uint64_t last, size_t from);

  struct Window {
    uint64_t First = 0, Last = 0;
    bool Empty = true;
  };
  std::vector<Window> windows_;
  std::vector<uint64_t> bytes_;
};

}  // namespace korvel
