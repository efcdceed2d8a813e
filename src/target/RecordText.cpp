#include "target/RecordText.h"

#include "target/AddressTally.h"
#include "target/MappedFile.h"

#include <cstdio>
#include <cstring>

namespace korvel::recordtext {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }
}  // namespace

bool LineCursor::Next(std::string_view& line) {
  if (p_ >= end_) return false;
  const char* nl = static_cast<const char*>(std::memchr(p_, '\n', end_ - p_));
  const char* stop = nl ? nl : end_;
  const char* b = p_;
  const char* e = stop;
  while (b < e && IsBlank(*b)) ++b;
  while (e > b && IsBlank(e[-1])) --e;
  line = std::string_view(b, e - b);
  p_ = nl ? nl + 1 : end_;
  ++line_;
  return true;
}

void RegionStore::Append(uint32_t address, const uint8_t* data, size_t size) {
  std::vector<ImageChunk>& runs = *runs_;
  if (runs.empty() || uint64_t{runs.back().Address} + runs.back().Bytes.size() != address) {
    runs.push_back({address, {}});
    if (runs.size() == 1) runs.back().Bytes.reserve(firstRunReserve_);
  }
  auto& bytes = runs.back().Bytes;
  bytes.insert(bytes.end(), data, data + size);
}

void RegionStore::Store(uint64_t address, const uint8_t* data, size_t size, int line) {
  if (size == 0) return;
  const uint64_t last = address + size - 1;
  if (last > 0xFFFFFFFFull) {
    result_.AddIssue(line, "address beyond 32 bits");
    return;
  }
  if (!result_.HasData || address < result_.Low) result_.Low = static_cast<uint32_t>(address);
  if (!result_.HasData || last > result_.High) result_.High = static_cast<uint32_t>(last);
  result_.HasData = true;
  if (tally_) tally_->Count(address, last);
  if (runs_) {
    Append(static_cast<uint32_t>(address), data, size);
    return;
  }

  size_t stored = 0;
  for (const auto& r : regions_) {
    // The part of [address, last] that falls into this region.
    const uint64_t rb = r.Base, re = rb + r.Bytes.size();  // re exclusive
    const uint64_t b = std::max<uint64_t>(address, rb), e = std::min<uint64_t>(last + 1, re);
    if (b >= e) continue;
    std::memcpy(r.Bytes.data() + (b - rb), data + (b - address), e - b);
    stored += e - b;
  }
  if (stored < size) {
    char what[64];
    std::snprintf(what, sizeof what, "address 0x%08llx outside the buffer",
                  static_cast<unsigned long long>(address));
    result_.AddDropped(line, what);
  }
}

ImageLoadResult ParseRecords(RecordParser parse, std::string_view text,
                             std::span<const ImageRegion> regions, AddressTally* tally) {
  ImageLoadResult result;
  RegionStore store(regions, result, tally);
  parse(text, result, store);
  return result;
}

ImageLoadResult ParseRecords(RecordParser parse, std::string_view text, std::vector<ImageChunk>& runs) {
  ImageLoadResult result;
  RegionStore store(runs, text.size() / 2, result);
  parse(text, result, store);
  return result;
}

ImageLoadResult ParseRecordFile(RecordParser parse, const std::string& path,
                                std::span<const ImageRegion> regions, AddressTally* tally) {
  MappedFile file;
  std::string error;
  if (!file.Open(path, error)) {
    ImageLoadResult r;
    r.OpenError = error;
    return r;
  }
  return ParseRecords(parse, file.Bytes(), regions, tally);
}

}  // namespace korvel::recordtext
