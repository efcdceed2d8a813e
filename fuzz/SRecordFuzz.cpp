// S-record text from anywhere, with the differentials of every reader.
#include "RecordDifferential.h"

using namespace korvel;

namespace {
std::string WriteSrec(std::span<const ImageChunk> chunks) { return FormatSRecord(chunks, "fuzz"); }
ImageLoadResult ReadRuns(std::string_view t, std::vector<ImageChunk>& runs) { return ReadSRecord(t, runs); }
ImageLoadResult ReadRegions(std::string_view t, std::span<const ImageRegion> r, AddressTally* a) {
  return ReadSRecord(t, r, a);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::CheckRecordFile(fuzz::Text({data, size}), ReadRuns, ReadRegions, WriteSrec, ".s19");
  return 0;
}
