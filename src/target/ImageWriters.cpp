#include <algorithm>

#include "target/HexDigits.h"
#include "target/ImageFile.h"

namespace korvel {

using hexdigits::PutByte;

namespace {

constexpr uint32_t kRecordBytes = 16;
constexpr char kLineEnd[] = "\r\n";

// The addresses of first..last whose byte exists in the buffer; false if none.
bool Clip(std::span<const uint8_t> buffer, uint32_t offset, uint32_t first, uint32_t last,
          uint32_t& lo, uint32_t& hi) {
  if (last < first || buffer.empty()) return false;
  const uint64_t bufLo = offset, bufHi = uint64_t{offset} + buffer.size() - 1;
  const uint64_t l = std::max<uint64_t>(first, bufLo), h = std::min<uint64_t>(last, bufHi);
  if (l > h) return false;
  lo = static_cast<uint32_t>(l);
  hi = static_cast<uint32_t>(h);
  return true;
}

// One record: the prefix, then the bytes as hex with their check byte.
// checkOf turns the byte sum into the format's check byte.
template <typename CheckOf>
void PutRecord(std::string& out, const char* prefix, const uint8_t* bytes, size_t n,
               CheckOf checkOf) {
  char line[8 + 2 * 300];
  char* p = line;
  for (const char* s = prefix; *s; ++s) *p++ = *s;
  uint8_t sum = 0;
  for (size_t i = 0; i < n; ++i) {
    sum = static_cast<uint8_t>(sum + bytes[i]);
    p = PutByte(p, bytes[i]);
  }
  p = PutByte(p, checkOf(sum));
  for (const char* s = kLineEnd; *s; ++s) *p++ = *s;
  out.append(line, p - line);
}

uint8_t IntelCheck(uint8_t sum) { return static_cast<uint8_t>(0x100 - sum); }
uint8_t MotorolaCheck(uint8_t sum) { return static_cast<uint8_t>(~sum); }

}  // namespace

namespace {

// A run of bytes to write: bytes[0] belongs to address lo.
struct Run {
  const uint8_t* Bytes;
  uint32_t Lo, Hi;
};

std::string IntelHex(std::span<const Run> runs) {
  std::string out;
  uint64_t total = 0;
  for (const Run& r : runs) total += uint64_t{r.Hi} - r.Lo + 1;
  out.reserve(total / kRecordBytes * 45 + runs.size() * 64 + 64);
  uint32_t upper = 0;
  for (const Run& run : runs) {
    for (uint64_t a = run.Lo; a <= run.Hi;) {
      if ((a >> 16) != upper) {
        upper = static_cast<uint32_t>(a >> 16);
        const uint8_t ext[] = {2, 0, 0, 4, uint8_t(upper >> 8), uint8_t(upper)};
        PutRecord(out, ":", ext, sizeof ext, IntelCheck);
      }
      // Records end on 16-byte boundaries, so none crosses a 64 KB page.
      const uint64_t stop = std::min<uint64_t>(run.Hi, (a | (kRecordBytes - 1)));
      const size_t n = static_cast<size_t>(stop - a + 1);
      uint8_t rec[4 + kRecordBytes] = {uint8_t(n), uint8_t(a >> 8), uint8_t(a), 0};
      std::copy_n(run.Bytes + (a - run.Lo), n, rec + 4);
      PutRecord(out, ":", rec, 4 + n, IntelCheck);
      a = stop + 1;
    }
  }
  out += ":00000001FF";
  out += kLineEnd;
  return out;
}

std::string SRecord(std::span<const Run> runs, std::string_view header) {
  std::string out;
  uint8_t rec[3 + 4 + 64] = {};
  {
    const size_t n = std::min<size_t>(header.size(), 64);
    rec[0] = static_cast<uint8_t>(n + 3);
    std::copy_n(header.data(), n, rec + 3);
    PutRecord(out, "S0", rec, n + 3, MotorolaCheck);
  }
  uint32_t top = 0;
  uint64_t total = 0;
  for (const Run& r : runs) {
    top = std::max(top, r.Hi);
    total += uint64_t{r.Hi} - r.Lo + 1;
  }
  const int width = top <= 0xFFFF ? 2 : top <= 0xFFFFFF ? 3 : 4;
  const char* dataPrefix = width == 2 ? "S1" : width == 3 ? "S2" : "S3";
  const char* endPrefix = width == 2 ? "S9" : width == 3 ? "S8" : "S7";
  out.reserve(total / kRecordBytes * (12 + 2 * width + 32) + runs.size() * 64 + 128);
  uint64_t records = 0;
  for (const Run& run : runs) {
    for (uint64_t a = run.Lo; a <= run.Hi;) {
      const uint64_t stop = std::min<uint64_t>(run.Hi, (a | (kRecordBytes - 1)));
      const size_t n = static_cast<size_t>(stop - a + 1);
      rec[0] = static_cast<uint8_t>(n + width + 1);
      for (int i = 0; i < width; ++i) rec[1 + i] = uint8_t(a >> (8 * (width - 1 - i)));
      std::copy_n(run.Bytes + (a - run.Lo), n, rec + 1 + width);
      PutRecord(out, dataPrefix, rec, 1 + width + n, MotorolaCheck);
      ++records;
      a = stop + 1;
    }
  }
  if (records <= 0xFFFFFF) {
    const bool s5 = records <= 0xFFFF;
    uint8_t cnt[4] = {uint8_t(s5 ? 3 : 4)};
    for (int i = 0, w = s5 ? 2 : 3; i < w; ++i) cnt[1 + i] = uint8_t(records >> (8 * (w - 1 - i)));
    PutRecord(out, s5 ? "S5" : "S6", cnt, s5 ? 3 : 4, MotorolaCheck);
  }
  uint8_t end[5] = {uint8_t(width + 1)};
  PutRecord(out, endPrefix, end, 1 + width, MotorolaCheck);
  return out;
}

std::vector<Run> RunsOf(std::span<const uint8_t> buffer, uint32_t offset, uint32_t first,
                        uint32_t last) {
  uint32_t lo, hi;
  if (!Clip(buffer, offset, first, last, lo, hi)) return {};
  return {Run{buffer.data() + (lo - offset), lo, hi}};
}

std::vector<Run> RunsOf(std::span<const ImageChunk> chunks) {
  std::vector<Run> runs;
  for (const ImageChunk& c : chunks) {
    if (c.Bytes.empty()) continue;
    const uint64_t hi = uint64_t{c.Address} + c.Bytes.size() - 1;
    runs.push_back({c.Bytes.data(), c.Address, static_cast<uint32_t>(std::min<uint64_t>(hi, 0xFFFFFFFF))});
  }
  return runs;
}

}  // namespace

std::string FormatIntelHex(std::span<const uint8_t> buffer, uint32_t offset, uint32_t first,
                           uint32_t last) {
  return IntelHex(RunsOf(buffer, offset, first, last));
}

std::string FormatSRecord(std::span<const uint8_t> buffer, uint32_t offset, uint32_t first,
                          uint32_t last, std::string_view header) {
  return SRecord(RunsOf(buffer, offset, first, last), header);
}

std::string FormatIntelHex(std::span<const ImageChunk> chunks) {
  return IntelHex(RunsOf(chunks));
}

std::string FormatSRecord(std::span<const ImageChunk> chunks, std::string_view header) {
  return SRecord(RunsOf(chunks), header);
}

WriteResult WriteIntelHexFile(const std::string& path, std::span<const uint8_t> buffer,
                              uint32_t offset, uint32_t first, uint32_t last) {
  return WriteFileBytes(path, FormatIntelHex(buffer, offset, first, last));
}

WriteResult WriteSRecordFile(const std::string& path, std::span<const uint8_t> buffer,
                             uint32_t offset, uint32_t first, uint32_t last) {
  const size_t slash = path.find_last_of('/');
  const std::string header = slash == std::string::npos ? path : path.substr(slash + 1);
  return WriteFileBytes(path, FormatSRecord(buffer, offset, first, last, header));
}

}  // namespace korvel
