#include "sim/SimSchedule.h"

#include <algorithm>

namespace korvel {

uint64_t InputPacer::Arrive(uint64_t nowUs, size_t n) {
  if (!wire_) return nowUs;
  const uint64_t start = std::max(nowUs, lineFree_);
  lineFree_ = start + n * kWireByteUs;
  return start;
}

void OutputSchedule::Add(uint64_t readyUs, std::vector<uint8_t> bytes, uint8_t tag) {
  auto at = std::upper_bound(chunks_.begin(), chunks_.end(), readyUs,
                             [](uint64_t r, const Chunk& c) { return r < c.Ready; });
  chunks_.insert(at, Chunk{readyUs, std::move(bytes), tag});
}

size_t OutputSchedule::Drop(uint8_t tag) {
  if (tag == 0) return 0;
  const auto kept = std::remove_if(chunks_.begin(), chunks_.end(), [tag](const Chunk& c) { return c.Tag == tag; });
  const size_t dropped = static_cast<size_t>(chunks_.end() - kept);
  chunks_.erase(kept, chunks_.end());
  return dropped;
}

uint64_t OutputSchedule::NextDueUs() const {
  if (chunks_.empty()) return kNever;
  const Chunk& c = chunks_.front();
  if (!wire_) return c.Ready;
  return std::max(c.Ready, lineFree_) + c.Bytes.size() * kWireByteUs;
}

void OutputSchedule::TakeDue(uint64_t nowUs, std::vector<uint8_t>& out) {
  while (!chunks_.empty()) {
    const uint64_t due = NextDueUs();
    if (due > nowUs) return;
    lineFree_ = due;
    out.insert(out.end(), chunks_.front().Bytes.begin(), chunks_.front().Bytes.end());
    chunks_.pop_front();
  }
}

void OutputSchedule::TakeAll(std::vector<uint8_t>& out) { TakeDue(kNever - 1, out); }

}  // namespace korvel
