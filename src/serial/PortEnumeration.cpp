#include "serial/PortEnumeration.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>

#include "serial/SerialLine.h"

namespace korvel {

namespace fs = std::filesystem;

namespace {

int DefaultProbe(const std::string& path) { return ProbeSerialDevice(path); }

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// Parses digits at s[i..]; false when there are none.
bool Number(const std::string& s, size_t& i, int& out) {
  const size_t start = i;
  out = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
    out = out * 10 + (s[i] - '0');
    if (out > 1000000) return false;
    ++i;
  }
  return i > start;
}

// The physical path of a tty: the last USB interface folder among the
// ancestors of its device. Empty when it has no USB parent.
std::string UsbInterfaceOf(const fs::path& ttyDir) {
  std::error_code ec;
  const fs::path device = fs::canonical(ttyDir / "device", ec);
  if (ec) return {};
  std::string name;
  for (const auto& part : device)
    if (!UsbPathKey(part.string()).empty()) name = part.string();
  return name;
}

}  // namespace

std::string UsbPathOfPort(const std::string& port, const std::string& sysRoot) {
  std::error_code ec;
  const fs::path device = fs::canonical(port, ec);
  const std::string name = (ec ? fs::path(port) : device).filename().string();
  if (name.empty()) return {};
  return UsbInterfaceOf(fs::path(sysRoot) / name);
}

std::vector<int> UsbPathKey(const std::string& name) {
  // bus "-" port ("." port)* ":" config "." interface
  std::vector<int> key;
  size_t i = 0;
  int v = 0;
  if (!Number(name, i, v) || i >= name.size() || name[i] != '-') return {};
  key.push_back(v);
  ++i;
  for (;;) {
    if (!Number(name, i, v)) return {};
    key.push_back(v);
    if (i < name.size() && name[i] == '.') {
      ++i;
      continue;
    }
    break;
  }
  if (i >= name.size() || name[i] != ':') return {};
  ++i;
  int config = 0, intf = 0;
  if (!Number(name, i, config) || i >= name.size() || name[i] != '.') return {};
  ++i;
  if (!Number(name, i, intf) || i != name.size()) return {};
  // The marker ends the hub port list, so that a device sorts before the
  // ones behind a hub on a later port and the order is the tree's.
  key.push_back(-1);
  key.push_back(config);
  key.push_back(intf);
  return key;
}

bool NaturalLess(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const bool da = std::isdigit(static_cast<unsigned char>(a[i]));
    const bool db = std::isdigit(static_cast<unsigned char>(b[j]));
    if (da && db) {
      size_t ei = i, ej = j;
      while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
      while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
      std::string na = a.substr(i, ei - i), nb = b.substr(j, ej - j);
      na.erase(0, std::min(na.find_first_not_of('0'), na.size()));
      nb.erase(0, std::min(nb.find_first_not_of('0'), nb.size()));
      if (na.size() != nb.size()) return na.size() < nb.size();
      if (na != nb) return na < nb;
      i = ei;
      j = ej;
    } else {
      if (a[i] != b[j]) return a[i] < b[j];
      ++i;
      ++j;
    }
  }
  return a.size() - i < b.size() - j;
}

PortEnumerator::PortEnumerator(std::string sysRoot, std::string devRoot, Probe probe)
    : sysRoot_(std::move(sysRoot)), devRoot_(std::move(devRoot)),
      probe_(probe ? std::move(probe) : Probe(DefaultProbe)) {}

std::vector<UsbSerialPort> PortEnumerator::Scan() const {
  struct Candidate {
    UsbSerialPort Port;
    std::vector<int> Key;  // empty: no USB path
  };
  std::vector<Candidate> found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(sysRoot_, ec)) {
    const std::string name = entry.path().filename().string();
    if (!StartsWith(name, "ttyACM") && !StartsWith(name, "ttyUSB")) continue;
    std::string usb = UsbInterfaceOf(entry.path());
    // A ttyUSB without a USB parent is some other serial driver's port.
    if (StartsWith(name, "ttyUSB") && usb.empty()) continue;
    std::vector<int> key = UsbPathKey(usb);
    found.push_back({{name, (fs::path(devRoot_) / name).string(), std::move(usb)}, std::move(key)});
  }
  std::sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
    if (a.Key.empty() != b.Key.empty()) return !a.Key.empty();
    if (a.Key != b.Key) return a.Key < b.Key;
    return NaturalLess(a.Port.Name, b.Port.Name);
  });
  std::vector<UsbSerialPort> ports;
  ports.reserve(found.size());
  for (auto& c : found) ports.push_back(std::move(c.Port));
  return ports;
}

std::vector<std::string> PortEnumerator::Enumerate() {
  std::vector<std::string> ports;
  for (const auto& c : Scan()) {
    if (ports.size() == kMaxEnumeratedPorts) break;
    const int err = probe_(c.Device);
    if (err == 0) {
      ports.push_back(c.Device);
    } else if ((err == EACCES || err == EPERM) && !permissionNoticeGiven_) {
      permissionNoticeGiven_ = true;
      if (notice_)
        notice_("Cannot open " + c.Device +
                ": permission denied: add the user to the dialout group "
                "(sudo usermod -aG dialout $USER) and log in again");
    }
  }
  return ports;
}

}  // namespace korvel
