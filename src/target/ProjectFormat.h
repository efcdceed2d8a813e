#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace korvel {

// The byte layout of a ".PKV" project file: a named, masked record of the
// whole job with a running 32-bit sum. This file knows the bytes only; what
// they mean to the job is ProjectJob's business.

inline constexpr size_t kProjectHeaderBlockSize = 1024;
inline constexpr size_t kProjectMaskSize = 2049;
// Only this much of the mask is used; a fresh key byte follows every run
// of this many section bytes.
inline constexpr size_t kProjectMaskRun = 1024;
// The data-memory staging buffer: the largest data memory of any chip.
inline constexpr size_t kProjectDataStageSize = 16384;
// The main buffer holds at most 2 MB of flash.
inline constexpr size_t kProjectMaxFlashBytes = 0x200000;
inline constexpr size_t kProjectTrailerSize = 256;

// The four masking keys of the format, fixed once: non-zero and distinct,
// and above the ASCII range so that no character of a chip name masks to
// the zero byte that marks padding.
inline constexpr uint8_t kProjectNameKey = 0xE1;
inline constexpr uint8_t kProjectCfgKey = 0xB4;
inline constexpr uint8_t kProjectMfmKey = 0x96;
inline constexpr uint8_t kProjectEepKey = 0xD2;

inline constexpr uint8_t kProjectVersion = 1;
inline constexpr uint8_t kProjectModelCode = 11;
inline constexpr const char* kProjectModelName = "Korvel200ST8";

// Result codes of a read.
inline constexpr int kProjectOk = 0;
inline constexpr int kProjectBadMagic = 5;
inline constexpr int kProjectBadCfgTag = 10;
inline constexpr int kProjectBadMfmTag = 13;
inline constexpr int kProjectBadEepTag = 15;
inline constexpr int kProjectBadSum = 16;

inline constexpr const char* kProjectOpenSuccess = "Project File Open Success!";
inline constexpr const char* kProjectNotValid = "Not Valid Brevan Project File!";
inline constexpr const char* kProjectCorrupted = "Project File Data Has Been Corrupted!";

// The message the open shows for a result code.
const char* ProjectResultMessage(int result);

// Chip flags byte.
inline constexpr uint8_t kProjectFlagStm32 = 0x01;
inline constexpr uint8_t kProjectFlagVariant = 0x04;
inline constexpr uint8_t kProjectFlag18V = 0x10;
inline constexpr uint8_t kProjectFlagDualBank = 0x40;
inline constexpr uint8_t kProjectFlagOtp = 0x80;

// Serial-number display byte.
inline constexpr uint8_t kProjectSnDecimal = 0x01;
inline constexpr uint8_t kProjectSnStOrder = 0x04;

// The six check values in the order the file keeps them.
struct ProjectChecks {
  uint16_t FlashSum = 0;
  uint16_t FlashCrc = 0;
  uint16_t EepSum = 0;
  uint16_t EepCrc = 0;
  uint16_t OptSum = 0;
  uint16_t OptCrc = 0;
  bool operator==(const ProjectChecks&) const = default;
};

// Everything a project file carries, unmasked. Flash holds the flash
// section (its size is the file's flash size, a multiple of 1024), and
// DataMemory the data-memory image (its size is n).
struct ProjectContent {
  std::string ModelName = kProjectModelName;
  std::string ChipName;    // at most 20 characters are kept
  std::string SourceName;  // at most 48
  uint32_t MaxCount = 0;
  uint8_t SnDisplay = 0;
  uint16_t EepSize = 0;
  uint32_t FlashBase = 0;
  uint32_t EepBase = 0;
  uint32_t OptionByteAddr = 0;
  uint8_t ChipFlags = 0;
  ProjectChecks Checks;
  std::array<uint8_t, kProjectHeaderBlockSize> HeaderBlock{};
  std::vector<uint8_t> Flash;
  std::vector<uint8_t> DataMemory;
};

// Random bytes of the file (masks, keys, trailer), each 0..254.
using ProjectRandomByte = std::function<uint8_t()>;

// The whole file. Flash is written in runs of 1024 (a shorter last run is
// padded with 0xFF) and DataMemory is cut to the staging size, so whatever
// is written reads back.
std::vector<uint8_t> EncodeProject(const ProjectContent& content, const ProjectRandomByte& random);

struct ProjectRead {
  int Result = kProjectOk;
  ProjectContent Content;  // whole only when Result is kProjectOk
};

// Reads a file's bytes in the order they were written. Never reads past the
// end of file: a missing byte makes the file corrupted. A flash size beyond
// the main buffer or an n beyond the staging buffer is corrupted too.
ProjectRead DecodeProject(std::span<const uint8_t> file);

}  // namespace korvel
