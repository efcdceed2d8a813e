#include "logging/TextFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "app/FileReplace.h"

namespace korvel {

namespace {

std::string Reason(const std::string& path) {
  return path + ": " + std::strerror(errno ? errno : EIO);
}

std::optional<std::string> WriteLines(std::ofstream& out, const std::string& path,
                                      const std::vector<std::string>& lines) {
  for (const auto& l : lines) out << l << "\r\n";
  out.flush();
  if (!out) return Reason(path);
  out.close();
  if (out.fail()) return Reason(path);
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ReplaceTextFile(const std::string& path,
                                           const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\r\n";
  return ReplaceFileBytes(path, text, path + ".tmp");
}

std::optional<std::string> AppendTextFile(const std::string& path,
                                          const std::vector<std::string>& lines) {
  errno = 0;
  std::ofstream out(path, std::ios::binary | std::ios::app);
  if (!out) return Reason(path);
  return WriteLines(out, path, lines);
}

std::optional<std::vector<std::string>> ReadTextLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

}  // namespace korvel
