#include "optionbytes/OptionChecksums.h"

#include "target/Checksums.h"

namespace korvel {

OptionChecksums ComputeOptionChecksums(const OptionBuffer& buffer) {
  const std::span<const uint8_t> bytes(buffer);
  return {SumValue(bytes, 0, 127), GetBrevanCheckSum(bytes, 0, 127)};
}

}  // namespace korvel
