#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "target/ImageFile.h"

namespace korvel {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string Reason(const std::string& path) { return path + ": " + std::strerror(errno); }

}  // namespace

bool ReadFileBytes(const std::string& path, std::string& out, std::string& error) {
  File f(std::fopen(path.c_str(), "rb"));
  if (!f) {
    error = Reason(path);
    return false;
  }
  out.clear();
  // One read into a buffer of the file's size; the loop only runs past
  // that when the file grew meanwhile or is not seekable.
  long size = 0;
  if (std::fseek(f.get(), 0, SEEK_END) == 0 && (size = std::ftell(f.get())) > 0) {
    std::rewind(f.get());
    out.resize(static_cast<size_t>(size));
    out.resize(std::fread(out.data(), 1, out.size(), f.get()));
  } else {
    std::rewind(f.get());
  }
  char chunk[1 << 16];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) out.append(chunk, got);
  if (std::ferror(f.get())) {
    error = Reason(path);
    return false;
  }
  return true;
}

WriteResult WriteFileBytes(const std::string& path, std::string_view bytes, ReplaceMode mode) {
  WriteResult r;
  const bool inPlace = mode == ReplaceMode::InPlace;
  const std::string temp = inPlace ? path : path + ".part";
  {
    File f(std::fopen(temp.c_str(), "wb"));
    if (!f) {
      r.Error = Reason(temp);
      return r;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size() ||
        std::fflush(f.get()) != 0) {
      r.Error = Reason(temp);
      f.reset();
      if (!inPlace) std::remove(temp.c_str());
      return r;
    }
    if (std::fclose(f.release()) != 0) {
      r.Error = Reason(temp);
      if (!inPlace) std::remove(temp.c_str());
      return r;
    }
  }
  if (!inPlace && std::rename(temp.c_str(), path.c_str()) != 0) {
    r.Error = Reason(path);
    std::remove(temp.c_str());
    return r;
  }
  r.Ok = true;
  return r;
}

BinaryLoadResult ReadBinaryFile(const std::string& path, std::span<uint8_t> dest, size_t offset) {
  BinaryLoadResult r;
  std::string bytes;
  if (!ReadFileBytes(path, bytes, r.OpenError)) return r;
  r.Opened = true;
  r.FileSize = bytes.size();
  if (offset < dest.size()) {
    r.Stored = std::min(bytes.size(), dest.size() - offset);
    std::memcpy(dest.data() + offset, bytes.data(), r.Stored);
  }
  return r;
}

WriteResult WriteBinaryFile(const std::string& path, std::span<const uint8_t> buffer,
                            uint32_t first, uint32_t last) {
  std::string_view bytes;
  if (first <= last && first < buffer.size()) {
    size_t end = std::min<size_t>(size_t{last} + 1, buffer.size());
    bytes = std::string_view(reinterpret_cast<const char*>(buffer.data()) + first, end - first);
  }
  return WriteFileBytes(path, bytes);
}

}  // namespace korvel
