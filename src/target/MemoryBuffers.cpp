#include "target/MemoryBuffers.h"

#include <algorithm>

namespace korvel {

void InitialDataBuffer(std::span<uint8_t> buffer, uint32_t rows, uint8_t fill) {
  const size_t n = std::min<size_t>(size_t{rows} * 16, buffer.size());
  std::fill_n(buffer.begin(), n, fill);
}

void ClearBuffersForOpen(MemoryBuffers& buffers, bool stm32, uint8_t familyCode) {
  const bool erasedIsZero = !stm32 || (familyCode >= 0x20 && familyCode <= 0x2F);
  buffers.LoadFailed = false;
  constexpr uint32_t kMainRows = MemoryBuffers::kMainSize / 16;
  constexpr uint32_t kDataRows = MemoryBuffers::kDataSize / 16;
  if (erasedIsZero) {
    InitialDataBuffer(buffers.Main, kMainRows, 0x00);
  } else {
    InitialDataBuffer(buffers.Main, kMainRows, 0xFF);
    InitialDataBuffer(buffers.Data, kDataRows, 0xFF);
  }
}

}  // namespace korvel
