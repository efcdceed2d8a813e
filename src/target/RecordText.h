#pragma once
#include <cstdint>
#include <span>
#include <string_view>

#include "target/HexDigits.h"
#include "target/ImageFile.h"

// Pieces shared by the Intel HEX and S-record readers.
namespace korvel::recordtext {

// Walks a text line by line (LF or CR LF ends, either mixed), counting lines
// from 1 and handing out each line without its end and outer blanks.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : p_(text.data()), end_(text.data() + text.size()) {}
  bool Next(std::string_view& line);
  int LineNumber() const { return line_; }

 private:
  const char* p_;
  const char* end_;
  int line_ = 0;
};

// One byte from the two digits at s, for a record's length before the rest
// is decoded; false when either is not a hex digit.
inline bool DecodeByte(const char* s, uint8_t& out) {
  const unsigned h = hexdigits::kValue[static_cast<unsigned char>(s[0])];
  const unsigned l = hexdigits::kValue[static_cast<unsigned char>(s[1])];
  out = static_cast<uint8_t>((h << 4) | (l & 0xF));
  return ((h | l) & 0xF0) == 0;
}

// Decodes pairs of hex digits; false when a character is not a hex digit.
// sum is the decoded bytes' sum (mod 256), for the record's check in the
// same pass.
bool DecodeBytes(std::string_view digits, uint8_t* out, uint8_t& sum);

// True when every character is a hex digit (no output, any length).
bool AllHexDigits(std::string_view digits);

// Stores the good data of the records into the regions and keeps the
// load range; bytes outside every region become one issue per record.
class RegionStore {
 public:
  RegionStore(std::span<const ImageRegion> regions, ImageLoadResult& result,
              AddressTally* tally = nullptr)
      : regions_(regions), result_(result), tally_(tally) {}
  // Runs instead of regions. A record file holds at most one byte per two
  // characters; reserving that for the first run saves regrowing a large
  // image several times.
  RegionStore(std::vector<ImageChunk>& runs, size_t firstRunReserve, ImageLoadResult& result)
      : runs_(&runs), firstRunReserve_(firstRunReserve), result_(result) {}
  // address is 64 bits wide so a record near the top cannot wrap around.
  void Store(uint64_t address, const uint8_t* data, size_t size, int line);

 private:
  void Append(uint32_t address, const uint8_t* data, size_t size);

  std::span<const ImageRegion> regions_;
  std::vector<ImageChunk>* runs_ = nullptr;
  size_t firstRunReserve_ = 0;
  ImageLoadResult& result_;
  AddressTally* tally_ = nullptr;
};

// Runs a record parser (Intel HEX or S-records) into the regions, into
// collected runs, or over a mapped file into the regions.
using RecordParser = void (*)(std::string_view text, ImageLoadResult& result, RegionStore& store);
ImageLoadResult ParseRecords(RecordParser parse, std::string_view text,
                             std::span<const ImageRegion> regions, AddressTally* tally);
ImageLoadResult ParseRecords(RecordParser parse, std::string_view text, std::vector<ImageChunk>& runs);
ImageLoadResult ParseRecordFile(RecordParser parse, const std::string& path,
                                std::span<const ImageRegion> regions, AddressTally* tally);

}  // namespace korvel::recordtext
