#include "SoakFaults.h"

namespace korvel::soak {

const std::vector<SoakFault>& SoakFaults() {
  // Outcome texts are the channel's own messages. Recoverable faults (noise
  // between frames, frames split by the line's pace, slow replies, a used
  // or protected chip, which Auto erases) must end in success.
  static const std::vector<SoakFault> faults = {
      {"none", "", ChannelResult::Success, "Programming Success!"},
      {"silent", "silent=2", ChannelResult::Timeout, "操作超时！"},
      {"badcrc", "badcrc=3", ChannelResult::Failure, "数据包校验错误！"},
      {"garbage", "garbage", ChannelResult::Success, "Programming Success!"},
      {"split", "wire", ChannelResult::Success, "Programming Success!"},
      {"slow", "delay=20", ChannelResult::Success, "Programming Success!"},
      {"hangup", "hangup=6", ChannelResult::Timeout, "操作超时！", true},
      {"verify", "flip", ChannelResult::Failure, "数据校验错误！"},
      {"notblank", "notblank", ChannelResult::Success, "Programming Success!"},
      {"protected", "protected", ChannelResult::Success, "Programming Success!"},
      {"short", "short=1", ChannelResult::Failure, "数据包错误！"},
      {"status", "status=95:31", ChannelResult::Failure, "数据校验错误！"},
  };
  return faults;
}

size_t DrawFault(std::mt19937& rng) {
  const size_t n = SoakFaults().size();
  if (rng() % 2 == 0) return 0;
  return 1 + rng() % (n - 1);
}

}  // namespace korvel::soak
