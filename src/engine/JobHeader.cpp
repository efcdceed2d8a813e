#include "engine/JobHeader.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/ConfigBlock.h"
#include "protocol/FrameCodec.h"

namespace korvel {

namespace {

// A text cut to its field and NUL-padded; "?" stands for an empty one.
void PutText(uint8_t* field, size_t width, const std::string& text) {
  const std::string& t = text.empty() ? std::string("?") : text;
  std::memcpy(field, t.data(), std::min(width, t.size()));
}

void PutSpan(uint8_t* field, size_t width, std::span<const uint8_t> bytes) {
  std::fill_n(field, width, uint8_t{0});
  std::copy_n(bytes.begin(), std::min(width, bytes.size()), field);
}

}  // namespace

JobHeaderBlock BuildJobHeaderBlock(const JobView& job, const JobHeaderRandom& random) {
  const JobSettings& s = job.Settings;
  JobHeaderBlock b{};
  uint8_t* p = b.data();
  std::memcpy(p, "ZWLP", 4);
  const ConfigBlock cfg = BuildConfigBlock(job, random.ConfigParameter, random.ConfigByte);
  std::copy(cfg.begin(), cfg.end(), p + 4);
  p[68] = s.SnMode;
  p[69] = 4;  // serial numbers are always four bytes wide
  PutU16(p + 70, s.SnStep);
  PutU32(p + 72, s.SnAddress);
  PutU32(p + 76, s.SnValue);
  p[84] = s.LimitFlag;
  PutU32(p + 86, s.MaxCount);
  PutSpan(p + 112, 128, job.OptionBuffer);
  PutText(p + 240, 16, job.ChipName);
  PutText(p + 256, 48, job.ProductName);
  std::copy(random.Filler.begin(), random.Filler.end(), p + 304);
  PutSpan(p + 368, 128, job.DefaultTable);
  PutU16(p + 508, CalcFrameCrc(b, 0, 507));
  PutU16(p + 510, static_cast<uint16_t>(SumBytes(b, 0, 509)));
  return b;
}

std::array<uint8_t, 2> JobHeaderMask(uint16_t parameter) {
  return {static_cast<uint8_t>(((parameter & 0xFF) ^ 0x6E) | 0x80),
          static_cast<uint8_t>(((parameter >> 8) ^ 0x5C) | 0x80)};
}

void ScrambleJobData(uint8_t* data, size_t length, std::array<uint8_t, 2> mask) {
  for (size_t i = 0; i < length; ++i) data[i] ^= mask[i & 1];
}

}  // namespace korvel
