#include "serial/PortIdentity.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>

namespace korvel {

PortIdentity IdentifyPort(const std::string& name) {
  PortIdentity id;
  char buffer[PATH_MAX];
  id.Resolved = ::realpath(name.c_str(), buffer) ? std::string(buffer) : name;
  struct stat st {};
  if (::stat(name.c_str(), &st) == 0 && S_ISCHR(st.st_mode)) id.CharDevice = st.st_rdev;
  return id;
}

bool SameDevice(const PortIdentity& a, const PortIdentity& b) {
  if (a.Resolved == b.Resolved) return true;
  return a.CharDevice && b.CharDevice && *a.CharDevice == *b.CharDevice;
}

std::vector<std::optional<int>> EarlierPortsOnSameDevice(const std::vector<std::string>& ports) {
  std::vector<PortIdentity> ids;
  ids.reserve(ports.size());
  for (const auto& p : ports) ids.push_back(p.empty() ? PortIdentity{} : IdentifyPort(p));
  std::vector<std::optional<int>> earlier(ports.size());
  for (size_t k = 0; k < ports.size(); ++k) {
    if (ports[k].empty()) continue;
    for (size_t j = 0; j < k; ++j) {
      if (!ports[j].empty() && SameDevice(ids[j], ids[k])) {
        earlier[k] = static_cast<int>(j);
        break;
      }
    }
  }
  return earlier;
}

}  // namespace korvel
