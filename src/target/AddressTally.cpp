#include "target/AddressTally.h"

#include <algorithm>

namespace korvel {

size_t AddressTally::AddWindow(uint32_t first, uint32_t last) {
  windows_.push_back({first, last, last < first});
  bytes_.push_back(0);
  return windows_.size() - 1;
}

void AddressTally::Count(uint64_t first, uint64_t last, size_t from) {
  // Records are small and windows few: what a window does not hold goes on
  // to the next ones, at most a piece on either side.
  for (size_t i = from; i < windows_.size() && first <= last; ++i) {
    const Window& w = windows_[i];
    if (w.Empty || last < w.First || first > w.Last) continue;
    const uint64_t b = std::max(first, w.First), e = std::min(last, w.Last);
    bytes_[i] += e - b + 1;
    if (first < b) Count(first, b - 1, i + 1);
    if (e >= last) return;
    first = e + 1;
  }
}

}  // namespace korvel
