#include "engine/SerialAllocator.h"

namespace korvel {

SerialAllocator::Handout SerialAllocator::HandOut(const std::vector<int>& channels, uint32_t shown,
                                                  uint16_t step) {
  if (!started_ || shown != shown_) {
    started_ = true;
    shown_ = next_ = shown;
    givenBack_.clear();
    ++series_;
  }
  Handout out;
  for (int ch : channels) {
    uint32_t n;
    if (!givenBack_.empty()) {
      n = givenBack_.front();
      givenBack_.pop_front();
    } else {
      n = next_;
      next_ += step;  // 32 bits, wrapping
    }
    out.Numbers.push_back(n);
    if (ch >= 0 && ch < kChannelCount) held_[ch] = Held{n, series_};
  }
  // A lone chip keeps the number shown until it succeeded, as SNEdit always
  // did; a gang shows at once what comes next.
  if (channels.size() > 1) shown_ = next_;
  return out;
}

std::optional<uint32_t> SerialAllocator::Succeeded(int channel) {
  if (channel < 0 || channel >= kChannelCount || !held_[channel]) return std::nullopt;
  const Held h = *held_[channel];
  held_[channel].reset();
  if (h.Series == series_) shown_ = next_;
  return h.Number;
}

void SerialAllocator::Settle(const ChannelTable& channels) {
  for (int ch = 0; ch < kChannelCount; ++ch) {
    if (!held_[ch] || channels[ch].Busy) continue;
    // Numbers of an earlier start are not worth keeping.
    if (held_[ch]->Series == series_) givenBack_.push_back(held_[ch]->Number);
    held_[ch].reset();
  }
}

std::optional<uint32_t> SerialAllocator::Pending(int channel) const {
  if (channel < 0 || channel >= kChannelCount || !held_[channel]) return std::nullopt;
  return held_[channel]->Number;
}

}  // namespace korvel
