// Raw binary loads at an offset: into a fixed buffer and through the
// converter's reader.
#include <algorithm>

#include "FuzzSupport.h"
#include "target/ImageConvert.h"
#include "target/ImageFile.h"

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  const uint32_t offset = in.U32();
  const auto bytes = in.Rest();
  const std::string path = fuzz::ScratchFile("image.bin", fuzz::Text(bytes));

  // Into a 64 KB buffer: what fits is stored, the rest dropped, nothing else touched.
  std::vector<uint8_t> dest(0x10000, 0xA5);
  const size_t at = offset % (dest.size() + 64);
  const BinaryLoadResult b = ReadBinaryFile(path, dest, at);
  FUZZ_CHECK(b.Opened && b.FileSize == bytes.size());
  const size_t fits = at >= dest.size() ? 0 : std::min(bytes.size(), dest.size() - at);
  FUZZ_CHECK(b.Stored == fits);
  FUZZ_CHECK(std::equal(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(fits), dest.begin() + static_cast<ptrdiff_t>(std::min(at, dest.size()))));
  for (size_t i = 0; i < std::min(at, dest.size()); ++i) FUZZ_CHECK(dest[i] == 0xA5);

  // The converter places the whole file at the offset (an empty one is refused).
  const ImageReadResult r = ReadImageFile(path, offset);
  if (bytes.empty()) {
    FUZZ_CHECK(!r.Ok);
    return 0;
  }
  if (!r.Ok) return 0;  // e.g. the file would run past the 32-bit address space
  FUZZ_CHECK(uint64_t{offset} + bytes.size() <= (uint64_t{1} << 32));
  size_t total = 0;
  for (const auto& c : r.Chunks) {
    FUZZ_CHECK(c.Address >= offset);
    const size_t from = c.Address - offset;
    FUZZ_CHECK(from + c.Bytes.size() <= bytes.size());
    FUZZ_CHECK(std::equal(c.Bytes.begin(), c.Bytes.end(), bytes.begin() + static_cast<ptrdiff_t>(from)));
    total += c.Bytes.size();
  }
  FUZZ_CHECK(total == bytes.size());
  return 0;
}
