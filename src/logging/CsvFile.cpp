#include "logging/CsvFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace korvel {

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string CsvRow(const std::vector<std::string>& fields) {
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += ',';
    out += CsvField(fields[i]);
  }
  out += "\r\n";
  return out;
}

std::optional<std::string> AppendCsvRow(const std::string& path, const std::vector<std::string>& header,
                                        const std::vector<std::string>& row) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return path + ": " + std::strerror(errno);
  struct stat st {};
  std::string text;
  if (::fstat(fd, &st) == 0 && st.st_size == 0) text = CsvRow(header);
  text += CsvRow(row);
  // One write keeps a row whole beside another program appending to the
  // same file; a short write is finished rather than left half a row.
  const char* at = text.data();
  size_t left = text.size();
  std::optional<std::string> error;
  while (left > 0) {
    const ssize_t n = ::write(fd, at, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = path + ": " + std::strerror(n < 0 ? errno : EIO);
      break;
    }
    at += n;
    left -= static_cast<size_t>(n);
  }
  if (::close(fd) != 0 && !error) error = path + ": " + std::strerror(errno);
  return error;
}

}  // namespace korvel
