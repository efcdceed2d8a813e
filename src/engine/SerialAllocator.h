#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "app/ChannelState.h"

namespace korvel {

// Which chip gets which serial number across Auto runs. Every number goes
// to one chip only; a number whose chip did not succeed is handed out again,
// before any new one, so that the numbers on finished chips have no gaps.
class SerialAllocator {
 public:
  struct Handout {
    std::vector<uint32_t> Numbers;  // one per channel, in the order given
  };
  // Numbers for the channels an Auto starts. shown is the number SNEdit
  // holds now: one other than the allocator left there is a new start typed
  // by the operator, which drops the numbers given back. A run of one
  // channel leaves SNEdit as it is until its chip succeeded.
  Handout HandOut(const std::vector<int>& channels, uint32_t shown, uint16_t step);

  // The channel's chip finished with success: its number is used for good.
  // Returns that number (nullopt when the channel had none).
  std::optional<uint32_t> Succeeded(int channel);

  // Channels that are no longer busy and did not succeed give their
  // numbers back. Run it before each hand-out and now and then.
  void Settle(const ChannelTable& channels);

  // What SNEdit is to show: the first number not handed out.
  uint32_t Shown() const { return shown_; }
  std::optional<uint32_t> Pending(int channel) const;
  const std::deque<uint32_t>& GivenBack() const { return givenBack_; }

 private:
  struct Held {
    uint32_t Number = 0;
    uint32_t Series = 0;
  };
  bool started_ = false;
  uint32_t shown_ = 0;
  uint32_t next_ = 0;     // the first new number not handed out
  uint32_t series_ = 0;   // counts the operator's new starts
  std::deque<uint32_t> givenBack_;
  std::array<std::optional<Held>, kChannelCount> held_;
};

}  // namespace korvel
