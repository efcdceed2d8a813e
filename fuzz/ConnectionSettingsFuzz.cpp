// ConfigTqz.ini as anyone may write it.
#include <sstream>

#include "FuzzSupport.h"
#include "serial/ConnectionSettings.h"

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in{std::string(fuzz::Text({data, size}))};
  const ConnectionSettings s = ParseConnectionSettings(in);
  if (s.ChannelCount) FUZZ_CHECK(*s.ChannelCount >= 0 && *s.ChannelCount <= kChannelCount);
  return 0;
}
