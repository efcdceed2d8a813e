#pragma once
#include <string>

#include "target/ImageJob.h"

namespace korvel {

// Image kinds as the load commands tell them from the file name.
enum class ImageKind { Binary, IntelHex, SRecord, Unknown };

// Object files: no extension or BIN is raw, an extension starting with HEX
// is Intel HEX, S plus a digit in third place (S19, S28, S37) is S-records;
// compared in upper case.
ImageKind ObjectFileKind(const std::string& path);
// EEP files: exactly .HEX, .BIN or .S19 in upper case.
ImageKind EepFileKind(const std::string& path);

// The file-name part after the last '/'.
std::string BaseName(const std::string& path);
// The file name's extension after its last dot, in upper case; empty if none.
std::string UpperExtension(const std::string& path);

// The raw-binary load position from the TFormOfsAddr text; nullopt text
// (dialog closed without OK) means the start of the flash area. An offset
// that is not a number or lies outside the main buffer gives nullopt, after
// a message or a log line saying why.
std::optional<uint32_t> ResolveBinOffset(ImageJob& job, const std::optional<std::string>& text);

// How an object-file load ended. Loaded is ImageLoaded afterwards: the
// file was read whole, every record was good, some of it lies in the chip's
// flash or data memory, and no load failed since the last Open. Otherwise
// Error names the file and the first thing wrong (also in the log), and
// whatever good data the file had stays in the buffers to be looked at.
struct ObjectLoad {
  bool Loaded = false;
  std::string Error;
};
ObjectLoad LoadObjectFile(ImageJob& job, const std::string& path, bool refresh);
// A data file that cannot be read whole leaves the job without a loaded
// image as a damaged object file does.
void LoadEepFile(ImageJob& job, const std::string& path, bool refresh);
void LoadOtpFile(ImageJob& job, const std::string& path);

}  // namespace korvel
