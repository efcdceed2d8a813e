#pragma once
#include <cstddef>
#include <string>

namespace korvel {

// Image and data files are read whole, so only regular files of a sane size
// are taken: a directory or a device would be read without end, and opening
// a FIFO waits for a writer that may never come.
inline constexpr size_t kMaxInputFileSize = size_t{64} << 20;

// Opens path for reading when it names a regular file of at most
// kMaxInputFileSize bytes, without blocking on anything else. Returns the
// descriptor and the size, or -1 with the reason (naming the file) in error.
int OpenInputFile(const std::string& path, size_t& size, std::string& error);

// Whole-file read of a regular file up to kMaxInputFileSize; false with the
// reason (naming the file) in error.
bool ReadFileBytes(const std::string& path, std::string& out, std::string& error);

}  // namespace korvel
