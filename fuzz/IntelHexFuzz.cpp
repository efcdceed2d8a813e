// Intel HEX text from anywhere, with the differentials of every reader.
#include "RecordDifferential.h"

using namespace korvel;

namespace {
std::string WriteHex(std::span<const ImageChunk> chunks) { return FormatIntelHex(chunks); }
ImageLoadResult ReadRuns(std::string_view t, std::vector<ImageChunk>& runs) { return ReadIntelHex(t, runs); }
ImageLoadResult ReadRegions(std::string_view t, std::span<const ImageRegion> r, AddressTally* a) {
  return ReadIntelHex(t, r, a);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::CheckRecordFile(fuzz::Text({data, size}), ReadRuns, ReadRegions, WriteHex, ".hex");
  return 0;
}
