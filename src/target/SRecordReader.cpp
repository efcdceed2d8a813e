#include <cstdio>

#include "target/ImageFile.h"
#include "target/RecordText.h"

namespace korvel {

using recordtext::AllHexDigits;
using recordtext::DecodeBytes;
using recordtext::LineCursor;
using recordtext::RegionStore;

namespace {

// Address bytes of each record type S0..S9; 0 marks the reserved S4.
constexpr int kAddressBytes[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

}  // namespace

namespace {

void Parse(std::string_view text, ImageLoadResult& result, RegionStore& store) {
  result.Opened = true;
  LineCursor lines(text);
  std::string_view line;
  uint8_t rec[256];
  while (lines.Next(line)) {
    const int n = lines.LineNumber();
    if (line.empty()) continue;
    if ((line[0] != 'S' && line[0] != 's') || line.size() < 2 || line[1] < '0' || line[1] > '9') {
      result.AddIssue(n, "not an S-record");
      continue;
    }
    const int type = line[1] - '0';
    const int addressBytes = kAddressBytes[type];
    if (addressBytes == 0) {
      result.AddIssue(n, "unknown record type S4");
      continue;
    }
    std::string_view digits = line.substr(2);
    if (digits.size() < 2 || !recordtext::DecodeByte(digits.data(), rec[0])) {
      result.AddIssue(n, digits.size() < 2 ? "truncated record" : "non-hex character");
      continue;
    }
    const size_t count = rec[0];
    if (digits.size() != 2 * (count + 1)) {
      if (!AllHexDigits(digits))
        result.AddIssue(n, "non-hex character");
      else
        result.AddIssue(n, digits.size() < 2 * (count + 1)
                               ? "bad length: record truncated"
                               : "bad length: record longer than its count");
      continue;
    }
    if (count < size_t(addressBytes) + 1) {
      result.AddIssue(n, "bad length: count too small for the address");
      continue;
    }
    uint8_t sum;
    if (!DecodeBytes(digits, rec, sum)) {
      result.AddIssue(n, "non-hex character");
      continue;
    }
    if (sum != 0xFF) {
      result.AddIssue(n, "checksum error");
      continue;
    }
    if (type >= 1 && type <= 3) {
      uint32_t address = 0;
      for (int i = 0; i < addressBytes; ++i) address = (address << 8) | rec[1 + i];
      store.Store(address, rec + 1 + addressBytes, count - 1 - addressBytes, n);
    } else if (type >= 7) {
      return;
    }
  }
}

}  // namespace

ImageLoadResult ReadSRecord(std::string_view text, std::span<const ImageRegion> regions,
                            AddressTally* tally) {
  return ParseRecords(Parse, text, regions, tally);
}

ImageLoadResult ReadSRecord(std::string_view text, std::vector<ImageChunk>& runs) {
  return ParseRecords(Parse, text, runs);
}

ImageLoadResult ReadSRecordFile(const std::string& path, std::span<const ImageRegion> regions,
                                AddressTally* tally) {
  return ParseRecordFile(Parse, path, regions, tally);
}

}  // namespace korvel
