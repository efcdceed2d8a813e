#pragma once
// The whole of a file the code under test wrote, as bytes; empty when it is
// not there, which the expectations then show.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace korvel::test {

inline std::string FileText(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace korvel::test
