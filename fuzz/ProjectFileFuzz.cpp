// Project files: any bytes decode without reading past the end, and a file
// that decodes encodes to one that decodes to the same job.
#include "FuzzSupport.h"
#include "target/ProjectFormat.h"

using namespace korvel;

namespace {

void CheckSame(const ProjectContent& a, const ProjectContent& b) {
  FUZZ_CHECK(a.ModelName == b.ModelName);
  FUZZ_CHECK(a.ChipName == b.ChipName);
  FUZZ_CHECK(a.SourceName == b.SourceName);
  FUZZ_CHECK(a.MaxCount == b.MaxCount && a.SnDisplay == b.SnDisplay && a.EepSize == b.EepSize);
  FUZZ_CHECK(a.FlashBase == b.FlashBase && a.EepBase == b.EepBase && a.OptionByteAddr == b.OptionByteAddr);
  FUZZ_CHECK(a.ChipFlags == b.ChipFlags && a.Checks == b.Checks && a.HeaderBlock == b.HeaderBlock);
  FUZZ_CHECK(a.Flash == b.Flash && a.DataMemory == b.DataMemory);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ProjectRead read = DecodeProject({data, size});
  ProjectResultMessage(read.Result);
  if (read.Result != kProjectOk) return 0;
  uint8_t seed = size > 0 ? data[0] : 1;
  const auto random = [&seed] { return seed = static_cast<uint8_t>((seed * 37 + 11) % 255); };
  const std::vector<uint8_t> again = EncodeProject(read.Content, random);
  const ProjectRead back = DecodeProject(again);
  FUZZ_CHECK(back.Result == kProjectOk);
  CheckSame(read.Content, back.Content);
  return 0;
}
