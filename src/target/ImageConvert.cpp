#include "target/ImageConvert.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "target/ImageLoading.h"
#include "target/MappedFile.h"

namespace korvel {

namespace {

constexpr uint64_t kMaxBinarySpan = 64ull << 20;

uint64_t EndOf(const ImageChunk& c) { return uint64_t{c.Address} + c.Bytes.size(); }

}  // namespace

std::optional<ImageFormat> FormatFromExtension(const std::string& path) {
  const std::string ext = UpperExtension(path);
  if (ext == "BIN") return ImageFormat::Binary;
  if (ext == "HEX" || ext == "IHX") return ImageFormat::IntelHex;
  if (ext == "S19" || ext == "S28" || ext == "S37" || ext == "MOT" || ext == "SREC")
    return ImageFormat::SRecord;
  return std::nullopt;
}

ImageFormat SniffFormat(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[i]))) ++i;
  if (i < bytes.size() && bytes[i] == ':') return ImageFormat::IntelHex;
  if (i + 1 < bytes.size() && (bytes[i] == 'S' || bytes[i] == 's') &&
      std::isdigit(static_cast<unsigned char>(bytes[i + 1])))
    return ImageFormat::SRecord;
  return ImageFormat::Binary;
}

std::vector<ImageChunk> NormaliseChunks(std::vector<ImageChunk> chunks) {
  std::erase_if(chunks, [](const ImageChunk& c) { return c.Bytes.empty(); });
  std::vector<ImageChunk> out;
  // Files nearly always ascend without overlap: their runs are only joined.
  bool ascending = true;
  for (size_t i = 1; i < chunks.size() && ascending; ++i)
    ascending = chunks[i].Address >= EndOf(chunks[i - 1]);
  if (ascending) {
    for (ImageChunk& c : chunks) {
      if (!out.empty() && c.Address == EndOf(out.back()))
        out.back().Bytes.insert(out.back().Bytes.end(), c.Bytes.begin(), c.Bytes.end());
      else
        out.push_back(std::move(c));
    }
    return out;
  }
  // Otherwise the spans the runs cover together, and then the runs copied
  // into them in file order, so a later record wins as it does in a load.
  std::vector<size_t> order(chunks.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return chunks[a].Address < chunks[b].Address; });
  std::vector<uint64_t> ends;
  for (size_t i : order) {
    const ImageChunk& c = chunks[i];
    if (out.empty() || c.Address > ends.back()) {
      out.push_back({c.Address, {}});
      ends.push_back(EndOf(c));
    } else {
      ends.back() = std::max(ends.back(), EndOf(c));
    }
  }
  for (size_t i = 0; i < out.size(); ++i) out[i].Bytes.resize(ends[i] - out[i].Address);
  for (const ImageChunk& c : chunks) {
    auto span = std::upper_bound(out.begin(), out.end(), c.Address,
                                 [](uint32_t a, const ImageChunk& s) { return a < s.Address; });
    --span;  // the span that starts at or before the run holds all of it
    std::memcpy(span->Bytes.data() + (c.Address - span->Address), c.Bytes.data(), c.Bytes.size());
  }
  return out;
}

ImageReadResult ReadImageFile(const std::string& path, uint32_t binOffset) {
  ImageReadResult r;
  MappedFile file;
  if (!file.Open(path, r.Error)) return r;
  const std::string_view bytes = file.Bytes();
  if (bytes.empty()) {
    r.Error = path + ": the file is empty";
    return r;
  }
  // Without an extension the content tells; an extension of no image
  // format is more likely a wrong file than an image.
  std::optional<ImageFormat> format = FormatFromExtension(path);
  if (!format && UpperExtension(path).empty()) format = SniffFormat(bytes);
  if (!format) {
    r.Error = path + ": unknown input format (use .bin, .hex, .ihx, .s19, .s28, .s37, .mot or .srec)";
    return r;
  }
  if (*format == ImageFormat::Binary) {
    if (uint64_t{binOffset} + bytes.size() > 0x100000000ull) {
      r.Error = path + ": the file does not fit below 4 GB at that offset";
      return r;
    }
    r.Chunks.push_back({binOffset, std::vector<uint8_t>(bytes.begin(), bytes.end())});
    r.Chunks = NormaliseChunks(std::move(r.Chunks));
    r.Ok = true;
    return r;
  }
  std::vector<ImageChunk> chunks;
  const ImageLoadResult loaded =
      *format == ImageFormat::IntelHex ? ReadIntelHex(bytes, chunks) : ReadSRecord(bytes, chunks);
  if (loaded.IssueCount) {
    r.Error = path + ": " + loaded.Summary();
    return r;
  }
  if (!loaded.HasData) {
    r.Error = path + ": no data records";
    return r;
  }
  r.Chunks = NormaliseChunks(std::move(chunks));
  r.Ok = true;
  return r;
}

WriteResult WriteImageFile(const std::string& path, ImageFormat format,
                           const std::vector<ImageChunk>& chunks, ReplaceMode mode) {
  switch (format) {
    case ImageFormat::IntelHex:
      return WriteFileBytes(path, FormatIntelHex(chunks), mode);
    case ImageFormat::SRecord:
      return WriteFileBytes(path, FormatSRecord(chunks, BaseName(path)), mode);
    case ImageFormat::Binary:
      break;
  }
  if (chunks.empty()) return WriteFileBytes(path, {}, mode);
  const uint64_t lo = chunks.front().Address, hi = EndOf(chunks.back());
  if (hi - lo > kMaxBinarySpan) {
    WriteResult w;
    w.Error = path + ": the image spans more than 64 MB; write HEX or S-records instead";
    return w;
  }
  // A single run (the usual case) is written as it stands.
  if (chunks.size() == 1) {
    const auto& b = chunks.front().Bytes;
    return WriteFileBytes(path, {reinterpret_cast<const char*>(b.data()), b.size()}, mode);
  }
  std::string flat(hi - lo, '\xFF');
  for (const ImageChunk& c : chunks)
    std::memcpy(flat.data() + (c.Address - lo), c.Bytes.data(), c.Bytes.size());
  return WriteFileBytes(path, flat, mode);
}

}  // namespace korvel
