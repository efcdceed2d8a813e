#pragma once
// The checks both record readers share: the run reader, the region reader,
// the converter's file reader and the writer's output all hold the same
// bytes at the same addresses.
#include <map>
#include <vector>

#include "FuzzSupport.h"
#include "target/ImageConvert.h"
#include "target/ImageFile.h"

namespace korvel::fuzz {

using Reader = ImageLoadResult (*)(std::string_view, std::vector<ImageChunk>&);
using RegionReader = ImageLoadResult (*)(std::string_view, std::span<const ImageRegion>, AddressTally*);
using Writer = std::string (*)(std::span<const ImageChunk>);

// Address -> byte, later records winning, as a loader into a buffer sees it.
inline std::map<uint32_t, uint8_t> Flatten(const std::vector<ImageChunk>& chunks) {
  std::map<uint32_t, uint8_t> bytes;
  for (const auto& c : chunks)
    for (size_t i = 0; i < c.Bytes.size(); ++i) bytes[static_cast<uint32_t>(c.Address + i)] = c.Bytes[i];
  return bytes;
}

inline void CheckRecordFile(std::string_view text, Reader read, RegionReader readRegions, Writer write,
                            const char* extension) {
  std::vector<ImageChunk> runs;
  const ImageLoadResult r = read(text, runs);
  if (!r.Clean() || !r.HasData) return;
  const std::vector<ImageChunk> normal = NormaliseChunks(runs);
  const auto expected = Flatten(runs);
  FUZZ_CHECK(Flatten(normal) == expected);
  FUZZ_CHECK(!expected.empty());
  FUZZ_CHECK(expected.begin()->first == r.Low && expected.rbegin()->first == r.High);

  // Into a buffer over the whole extent (when it is small enough to hold).
  if (r.High - r.Low < (1u << 20)) {
    std::vector<uint8_t> buffer(r.High - r.Low + 1, 0xFF);
    std::vector<uint8_t> seen(buffer.size(), 0);
    const ImageRegion region{r.Low, buffer};
    const ImageLoadResult rr = readRegions(text, std::span<const ImageRegion>(&region, 1), nullptr);
    FUZZ_CHECK(rr.Clean() && rr.DroppedRecords == 0);
    for (const auto& [address, byte] : expected) FUZZ_CHECK(buffer[address - r.Low] == byte);
  }

  // Written out and read back: the same bytes.
  const std::string again = write(normal);
  std::vector<ImageChunk> back;
  const ImageLoadResult rb = read(again, back);
  FUZZ_CHECK(rb.Clean());
  FUZZ_CHECK(Flatten(back) == expected);

  // The converter's reader (what the image tool loads) agrees.
  const ImageReadResult file = ReadImageFile(ScratchFile(std::string("image") + extension, text), 0);
  FUZZ_CHECK(file.Ok);
  FUZZ_CHECK(Flatten(file.Chunks) == expected);
}

}  // namespace korvel::fuzz
