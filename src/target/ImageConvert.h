#pragma once
#include <optional>
#include <string>
#include <vector>

#include "target/ImageFile.h"

namespace korvel {

enum class ImageFormat { Binary, IntelHex, SRecord };

// .bin; .hex/.ihx; .s19/.s28/.s37/.mot/.srec (either case). nullopt otherwise.
std::optional<ImageFormat> FormatFromExtension(const std::string& path);
// For input of no known extension: records start with ':' or 'S' + digit.
ImageFormat SniffFormat(std::string_view bytes);

// Sorts runs by address and joins touching or overlapping ones; where runs
// overlap, the later one in the given (file) order wins.
std::vector<ImageChunk> NormaliseChunks(std::vector<ImageChunk> chunks);

struct ImageReadResult {
  bool Ok = false;
  std::string Error;  // the file, or the first bad record and how many more
  std::vector<ImageChunk> Chunks;
};
// Any supported input, told by its extension or, without one, by its
// content; raw input is placed at binOffset. An empty file, an unknown
// extension, a damaged record or a record file without data is an error.
ImageReadResult ReadImageFile(const std::string& path, uint32_t binOffset);

// Raw output covers the lowest to the highest address, gaps as 0xFF, and is
// refused beyond 64 MB (an image with option bytes far above its flash).
WriteResult WriteImageFile(const std::string& path, ImageFormat format,
                           const std::vector<ImageChunk>& chunks,
                           ReplaceMode mode = ReplaceMode::ViaTemporary);

}  // namespace korvel
