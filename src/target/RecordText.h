#pragma once
#include <cstdint>
#include <span>
#include <string_view>

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

// Decodes pairs of hex digits; false when a character is not a hex digit.
bool DecodeBytes(std::string_view digits, uint8_t* out);

// True when every character is a hex digit (no output, any length).
bool AllHexDigits(std::string_view digits);

// Stores the good data of the records into the regions and keeps the
// load range; bytes outside every region become one issue per record.
class RegionStore {
 public:
  RegionStore(std::span<const ImageRegion> regions, ImageLoadResult& result)
      : regions_(regions), result_(result) {}
  RegionStore(const ImageSink& sink, ImageLoadResult& result) : sink_(&sink), result_(result) {}
  // address is 64 bits wide so a record near the top cannot wrap around.
  void Store(uint64_t address, const uint8_t* data, size_t size, int line);

 private:
  std::span<const ImageRegion> regions_;
  const ImageSink* sink_ = nullptr;
  ImageLoadResult& result_;
};

}  // namespace korvel::recordtext
