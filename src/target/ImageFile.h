#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/InputFile.h"

namespace korvel {

class AddressTally;

// Where a reader stores data: the byte of target address A goes to
// Bytes[A - Base] when that index exists; any other byte is dropped and
// reported, never written elsewhere.
struct ImageRegion {
  uint32_t Base = 0;
  std::span<uint8_t> Bytes;
};

// One record that was not stored, or not whole, with the file's line
// number (from 1).
struct ImageIssue {
  int Line = 0;
  std::string What;
  // A good record whose bytes (some or all) lay outside every region;
  // otherwise the record itself was damaged.
  bool Dropped = false;
  // "line 17: checksum error"
  std::string Text() const;
};

struct ImageLoadResult {
  bool Opened = false;      // false: the file could not be read at all
  std::string OpenError;    // why, when !Opened
  bool HasData = false;     // at least one good data record was read
  uint32_t Low = 0;         // lowest and highest address of the good data
  uint32_t High = 0;        // records, stored or not (absolute addresses)
  std::vector<ImageIssue> Issues;  // the first kMaxIssues issues of both kinds
  size_t IssueCount = 0;           // all issues
  size_t BadRecords = 0;           // the damaged records among them
  size_t DroppedRecords = 0;       // the good records not stored whole
  std::optional<ImageIssue> FirstBad;
  std::optional<ImageIssue> FirstDropped;
  static constexpr size_t kMaxIssues = 64;

  // A damaged record: nothing of it is stored.
  void AddIssue(int line, std::string what);
  // A good record with bytes outside every region.
  void AddDropped(int line, std::string what);
  // Read whole and no record damaged.
  bool Clean() const { return Opened && BadRecords == 0; }
  // One line for the information log: the first issue, and how many more.
  std::string Summary() const;
  // The first damaged record and how many more; empty when there is none.
  std::string BadRecordText() const;
  // The first record not stored whole and how many more; empty when none.
  std::string DroppedText() const;
};

// Intel HEX: data, end-of-file, extended segment and extended linear
// address records; start-address records are accepted and ignored.
// A tally, when given, counts the bytes of every good data record by
// address, stored or not.
ImageLoadResult ReadIntelHex(std::string_view text, std::span<const ImageRegion> regions,
                             AddressTally* tally = nullptr);
// Motorola S-records: S1/S2/S3 data; S0 header, S5/S6 count and S7/S8/S9
// start records are checked and otherwise ignored.
ImageLoadResult ReadSRecord(std::string_view text, std::span<const ImageRegion> regions,
                            AddressTally* tally = nullptr);

// A run of bytes at consecutive addresses.
struct ImageChunk {
  uint32_t Address = 0;
  std::vector<uint8_t> Bytes;
};
// The same readers appending every good data record to runs in file order
// instead of regions (for images whose extent is not known in advance): a
// record that continues the last run grows it, any other starts a new one.
ImageLoadResult ReadIntelHex(std::string_view text, std::vector<ImageChunk>& runs);
ImageLoadResult ReadSRecord(std::string_view text, std::vector<ImageChunk>& runs);

// The files are read as OpenInputFile allows: regular files up to 64 MB.
ImageLoadResult ReadIntelHexFile(const std::string& path, std::span<const ImageRegion> regions,
                                 AddressTally* tally = nullptr);
ImageLoadResult ReadSRecordFile(const std::string& path, std::span<const ImageRegion> regions,
                                AddressTally* tally = nullptr);

struct BinaryLoadResult {
  bool Opened = false;
  std::string OpenError;
  size_t FileSize = 0;
  size_t Stored = 0;  // bytes that fitted into the destination
};
// The file's bytes go to dest[offset...]; what does not fit is dropped.
BinaryLoadResult ReadBinaryFile(const std::string& path, std::span<uint8_t> dest, size_t offset);

struct WriteResult {
  bool Ok = false;
  std::string Error;
};

// Writers take the target addresses first..last (inclusive); the byte of
// address a is buffer[a - offset]. Addresses whose byte lies outside the
// buffer are left out of the file.
std::string FormatIntelHex(std::span<const uint8_t> buffer, uint32_t offset, uint32_t first,
                           uint32_t last);
// S1, S2 or S3 records by the width of the last address, with an S0 header
// holding header and the matching count and terminator records.
std::string FormatSRecord(std::span<const uint8_t> buffer, uint32_t offset, uint32_t first,
                          uint32_t last, std::string_view header);

// The writers over separate runs, sorted by address and not overlapping.
std::string FormatIntelHex(std::span<const ImageChunk> chunks);
std::string FormatSRecord(std::span<const ImageChunk> chunks, std::string_view header);

// ViaTemporary writes beside the final name and renames over it, so a failed
// save leaves any earlier file whole; the window's saves use it. InPlace
// writes over the file itself and then cuts it to the new length, as
// command-line converters may: a rename over an existing file, or emptying
// it first, makes the file system flush it at once.
enum class ReplaceMode { ViaTemporary, InPlace };
WriteResult WriteFileBytes(const std::string& path, std::string_view bytes,
                           ReplaceMode mode = ReplaceMode::ViaTemporary);
WriteResult WriteBinaryFile(const std::string& path, std::span<const uint8_t> buffer,
                            uint32_t first, uint32_t last);
WriteResult WriteIntelHexFile(const std::string& path, std::span<const uint8_t> buffer,
                              uint32_t offset, uint32_t first, uint32_t last);
WriteResult WriteSRecordFile(const std::string& path, std::span<const uint8_t> buffer,
                             uint32_t offset, uint32_t first, uint32_t last);

}  // namespace korvel
