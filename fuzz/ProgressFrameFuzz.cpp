// Progress frames a unit sends by itself, shown on a channel.
#include "FuzzSupport.h"
#include "app/AppState.h"
#include "app/Clock.h"
#include "engine/AutoProgress.h"

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FixedClock clock(MakeTime(2026, 12, 5, 7, 0, 0));
  fuzz::Input in(data, size);
  AppState app(clock);
  const int channel = in.Byte() % kChannelCount;
  // Several frames in a row, as a unit programming chips would send.
  while (!in.Empty()) {
    const size_t n = in.Byte() % 24;
    const auto packet = in.Take(n);
    if (auto frame = DecodeAutoProgressFrame(packet)) {
      FUZZ_CHECK(packet.size() >= 8);
    }
    HandleAutoProgress(app, channel, packet, {});
  }
  return 0;
}
