#pragma once
#include <array>
#include <optional>
#include <vector>

#include "engine/JobView.h"
#include "engine/SerialAllocator.h"
#include "target/ImageJob.h"

namespace korvel {

// The on-line serial numbers of Auto runs. Each chip gets its own number:
// channels started together get the next numbers in channel order, each
// written into that channel's own copy of the image; a run of one channel
// writes its number into the job's image, where the views show it. SNEdit
// shows the first number not handed out.
class SerialNumbers {
 public:
  explicit SerialNumbers(ImageJob& job) : job_(job) {}

  // Auto is about to start these channels (in channel order), with the
  // settings just captured. Nothing happens unless CheckBoxSN and
  // ChkBoxPCSN are both ticked; with an address outside the chip the
  // warning is logged and no number is handed out.
  void HandOut(const std::vector<int>& channels);
  // What the channel's start takes as its own (once).
  std::vector<ImagePatch> OwnBytes(int channel);
  // The Auto completion of a channel: its number is used; SNEdit moves on
  // where it waited for this chip. Returns the chip's number.
  std::optional<uint32_t> AdvanceSerial(int channel);
  // Channels that ended without success give their numbers back.
  void Settle();

  const SerialAllocator& Allocator() const { return allocator_; }

 private:
  void Show();

  ImageJob& job_;
  SerialAllocator allocator_;
  std::array<std::vector<ImagePatch>, kChannelCount> own_;
};

}  // namespace korvel
