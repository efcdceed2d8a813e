#include "serial/ConnectionSettings.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "serial/PortEnumeration.h"

namespace korvel {

namespace {

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool AllDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

}  // namespace

ConnectionSettings ParseConnectionSettings(std::istream& in) {
  ConnectionSettings s;
  std::string raw;
  bool inSection = false;
  int total = 0;
  while (std::getline(in, raw)) {
    const std::string line = Trim(raw);
    const std::string upper = Upper(line);
    if (!inSection) {
      inSection = upper == "[CONNECTION]";
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = Trim(upper.substr(0, eq));
    const std::string value = Trim(line.substr(eq + 1));
    if (key == "TOTDEV") {
      if (AllDigits(value) && value.size() <= 3) total = std::stoi(value);
    } else if (key.rfind("DEV", 0) == 0 && key.size() <= 5 && AllDigits(key.substr(3))) {
      const int channel = std::stoi(key.substr(3));
      if (channel < 1 || channel > kChannelCount || value.empty()) continue;
      s.Ports[channel - 1] = value;
      s.BoxItems.push_back(value);
    }
  }
  s.BoxText = s.Ports[0];
  // The channel table has ten entries, whatever the file says.
  s.ChannelCount = std::min(total != 0 ? total : static_cast<int>(s.BoxItems.size()), kChannelCount);
  s.PortsAvailable = !s.BoxItems.empty();
  return s;
}

ConnectionSettings SettingsForPorts(const std::vector<std::string>& ports) {
  ConnectionSettings s;
  for (size_t i = 0; i < ports.size() && i < s.Ports.size(); ++i) {
    s.Ports[i] = ports[i];
    s.BoxItems.push_back(ports[i]);
  }
  s.BoxText = s.Ports[0];
  s.ChannelCount = static_cast<int>(s.BoxItems.size());
  s.PortsAvailable = !s.BoxItems.empty();
  return s;
}

ConnectionSettings ReadConnectionSettings(const std::string& appDir, PortEnumerator& enumerator) {
  const std::filesystem::path file = std::filesystem::path(appDir.empty() ? "." : appDir) / kConnectionFile;
  std::ifstream in(file);
  if (in) return ParseConnectionSettings(in);

  ConnectionSettings s;
  const auto ports = enumerator.Enumerate();
  for (size_t i = 0; i < ports.size() && i < s.Ports.size(); ++i) {
    s.Ports[i] = ports[i];
    s.BoxItems.push_back(ports[i]);
  }
  if (s.BoxItems.empty()) {
    s.BoxText = "无可用的串口";
  } else {
    s.ChannelCount = static_cast<int>(s.BoxItems.size());
    s.BoxText = s.BoxItems.back();
    s.PortsAvailable = true;
  }
  return s;
}

}  // namespace korvel
