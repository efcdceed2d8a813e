#include <cstdio>

#include "target/ImageFile.h"
#include "target/RecordText.h"

namespace korvel {

using recordtext::DecodeBytes;
using recordtext::LineCursor;
using recordtext::RegionStore;

namespace {

void Parse(std::string_view text, ImageLoadResult& result, RegionStore& store) {
  result.Opened = true;
  LineCursor lines(text);
  std::string_view line;
  uint8_t rec[5 + 255];
  // Extended segment and extended linear records both set the upper part
  // of the address; the last one seen counts.
  uint64_t base = 0;
  while (lines.Next(line)) {
    const int n = lines.LineNumber();
    if (line.empty()) continue;
    if (line[0] != ':') {
      result.AddIssue(n, "record does not start with ':'");
      continue;
    }
    std::string_view digits = line.substr(1);
    if (digits.size() < 10) {
      result.AddIssue(n, "truncated record");
      continue;
    }
    // The length byte first, so a lying length is told apart from bad digits.
    if (!recordtext::DecodeByte(digits.data(), rec[0])) {
      result.AddIssue(n, "non-hex character");
      continue;
    }
    const size_t count = rec[0];
    const size_t expected = 2 * (count + 5);
    if (digits.size() != expected) {
      if (!recordtext::AllHexDigits(digits))
        result.AddIssue(n, "non-hex character");
      else
        result.AddIssue(n, digits.size() < expected ? "bad length: record truncated"
                                                    : "bad length: record longer than its count");
      continue;
    }
    uint8_t sum;
    if (!DecodeBytes(digits, rec, sum)) {
      result.AddIssue(n, "non-hex character");
      continue;
    }
    if (sum != 0) {
      result.AddIssue(n, "checksum error");
      continue;
    }
    const uint32_t offset = (uint32_t{rec[1]} << 8) | rec[2];
    const uint8_t type = rec[3];
    const uint8_t* data = rec + 4;
    switch (type) {
      case 0x00:
        store.Store(base + offset, data, count, n);
        break;
      case 0x01:
        return;
      case 0x02:
      case 0x04:
        if (count != 2) {
          result.AddIssue(n, "bad length for an extended address record");
          break;
        }
        base = uint64_t((uint32_t{data[0]} << 8) | data[1]) << (type == 0x02 ? 4 : 16);
        break;
      case 0x03:
      case 0x05:
        if (count != 4) result.AddIssue(n, "bad length for a start address record");
        break;
      default: {
        char what[48];
        std::snprintf(what, sizeof what, "unknown record type %02x", type);
        result.AddIssue(n, what);
      }
    }
  }
}

}  // namespace

ImageLoadResult ReadIntelHex(std::string_view text, std::span<const ImageRegion> regions,
                             AddressTally* tally) {
  return ParseRecords(Parse, text, regions, tally);
}

ImageLoadResult ReadIntelHex(std::string_view text, std::vector<ImageChunk>& runs) {
  return ParseRecords(Parse, text, runs);
}

ImageLoadResult ReadIntelHexFile(const std::string& path, std::span<const ImageRegion> regions,
                                 AddressTally* tally) {
  return ParseRecordFile(Parse, path, regions, tally);
}

}  // namespace korvel
